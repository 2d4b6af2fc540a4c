// SPDX-License-Identifier: GPL-2.0-or-later

// The export dialog ("Export..."): the kind of export, the three template sections, template
// files, the look of a CD cover, all or selected files, and the export itself. It works on rows
// handed to it by the window; the file, colour and font pickers and the questions it asks are
// virtual, so a test can answer them.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/ExportGenerator.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTextBrowser;
class QTimer;

namespace vorda::exports {

class ExportDialog : public QDialog {
    Q_OBJECT

public:
    // The rows of the file list in list order, with their selection. maxRows > 0 asks for the first
    // maxRows rows only (the preview); 0 for every row.
    using RowProvider = std::function<std::vector<ExportRow>(long maxRows)>;

    enum class ExportOutcome { Written, Cancelled, FolderDeclined, FolderNotCreated, WriteFailed };

    // dataFolder holds templates/; lastFolder is where the file pickers start; trackDigits >= 1
    // pads "<track>".
    ExportDialog(std::string dataFolder, std::string lastFolder, RowProvider rows, int trackDigits,
                 QWidget* parent = nullptr);
    ~ExportDialog() override;

    ExportType currentType() const;
    // Chooses the type as the type list does: its built-in template is loaded and shown.
    void selectType(ExportType type);
    // The three sections as the boxes show them.
    ExportTemplate shownTemplate() const;
    CoverStyle coverStyle() const;
    // The Export button: asks for the target, builds the text from the boxes and writes it.
    ExportOutcome exportNow();
    // The Load Template... and Save Template As... buttons; false when nothing was read or written.
    bool loadTemplate();
    bool saveTemplateAs();

protected:
    // The target file of an export ("" when cancelled), asking before it replaces a file.
    virtual std::string chooseTargetFile(ExportType type, const std::string& startFolder);
    virtual std::string chooseTemplateToOpen(const std::string& startFolder);
    virtual std::string chooseTemplateToSave(const std::string& startFolder);
    virtual std::string choosePicture(const std::string& startFolder);
    virtual std::optional<QColor> chooseColor(const QColor& current);
    virtual std::optional<QFont> chooseFont(const QFont& current);
    // "The target directory does not exist. Do you want to creat it?"; true for Yes.
    virtual bool askCreateFolder();
    // A message box titled "Vorda".
    virtual void tell(const QString& text, bool isError);

private:
    struct FacePanel {
        QLineEdit* title = nullptr;
        QLineEdit* font = nullptr;
        QLineEdit* textColor = nullptr;
        QLineEdit* backColor = nullptr;
        QLineEdit* backPicture = nullptr;
    };

    void buildCustomPanel();
    void buildCoverPanel();
    QGroupBox* buildFace(const QString& caption, const QString& prefix, FacePanel& face, bool withPicture);
    void showTemplate(const ExportTemplate& tpl);
    void showTemplatePath(const std::string& path);
    void showPanels(bool cover);
    void pickColor(const FacePanel& face, QLineEdit* box, bool isText);
    CoverFace faceOf(const FacePanel& face) const;
    std::string startFolderForTemplates() const;
    ExportOptions optionsFor(ExportType type) const;
    void schedulePreview();
    void updatePreview();

    std::string dataFolder_;
    std::string lastFolder_;
    RowProvider rows_;
    int trackDigits_;

    QComboBox* cmbExportType_ = nullptr;
    QLineEdit* txtTemplate_ = nullptr;
    QRadioButton* optAllFiles_ = nullptr;
    QRadioButton* optSelectedFiles_ = nullptr;
    QWidget* picCustom_ = nullptr;
    QWidget* picCDCover_ = nullptr;
    QPlainTextEdit* txtStartData_ = nullptr;
    QPlainTextEdit* txtRowData_ = nullptr;
    QPlainTextEdit* txtEndData_ = nullptr;
    QPlainTextEdit* txtVariables_ = nullptr;
    QCheckBox* chkTwoColumns_ = nullptr;
    QTextBrowser* txtPreview_ = nullptr;
    QTimer* previewTimer_ = nullptr;
    FacePanel front_;
    FacePanel back_;
    FacePanel sides_;
};

// The target file of an export of the type ("" when cancelled): a save-file dialog with the type's
// filters, starting in startFolder, that asks before it replaces a file.
std::string askExportTarget(QWidget* parent, ExportType type, const std::string& startFolder);

// The placeholder list of the Variables box: a line per group, the placeholders separated by tabs.
QString variablesText();

}  // namespace vorda::exports
