// SPDX-License-Identifier: GPL-2.0-or-later

// The sorting panel right of the list: the pattern boxes on their pages ("Folders",
// "Patterns", "Repair"), the method switch, the target folder, the old and new file name,
// "Fix filenames" and the sort buttons. Keys that a pattern or the new name cannot hold are
// refused here; the window runs the commands.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QWidget>

#include "naming/PatternEngine.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vorda::app {

struct Settings;

class SortingPanel : public QWidget {
    Q_OBJECT
public:
    // The check boxes of the panel.
    enum class Option { FixFilenames, DetectInPattern, ScanSubfolders, AlbumPattern };

    explicit SortingPanel(QWidget* parent = nullptr);

    // Check boxes and pattern boxes from the settings, and back.
    void load(const Settings& s);
    void store(Settings& s) const;
    Qt::CheckState optionState(Option option) const;
    // Checked or grey.
    bool ticked(Option option) const { return optionState(option) != Qt::Unchecked; }

    // ---- pattern boxes
    QString patternText(naming::PatternKind kind) const;
    // Replaces the box's text (at its start when startShown, as a long pattern is read).
    void setPatternText(naming::PatternKind kind, const QString& text, bool startShown = true);
    // The box's list of entries with current as its text.
    void fillPatternBox(naming::PatternKind kind, const std::string& current, const std::vector<std::string>& entries);

    // ---- method and target folder
    // Checks the method button (0..2); any other value clears the three.
    void showMethodButton(int button);
    void setCaptions(const QString& sortAll, const QString& sortSelected, const QString& targetLabel,
                     bool browseEnabled);
    // The target box's text; a locked box is read-only and greyed.
    void showTarget(const QString& text, bool locked);
    bool targetHasFocus() const;
    void selectTarget();
    void showPatternsPage();

    // ---- file names
    QString oldName() const;
    QString newName() const;
    void setOldName(const QString& name);
    void setNewName(const QString& name);
    void clearNames();

signals:
    void methodClicked(int button);
    void targetTyped(const QString& text);
    void targetLeft();
    void browseClicked();
    void editPatternsClicked(naming::PatternKind kind);
    // A pattern box lost the focus to another control.
    void patternBoxLeft(naming::PatternKind kind);
    // The input or output pattern, or "Fix filenames", changed: the new name follows.
    void previewInputsChanged();
    void scanSubfoldersClicked(bool checked);
    // Up (-1) or Down (+1) in a name box.
    void nameStepRequested(int delta);
    void sortAllClicked();
    void sortSelectedClicked();
    void removeJunkClicked();
    void freedbClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createFoldersPage();
    QWidget* createPatternsPage();
    QWidget* createRepairPage();
    QComboBox* patternBox(naming::PatternKind kind) const;
    QCheckBox* optionBox(Option option) const;

    QTabWidget* pages_ = nullptr;
    QComboBox* pathPatternBox_ = nullptr;
    QComboBox* albumPatternBox_ = nullptr;
    QComboBox* inPatternBox_ = nullptr;
    QComboBox* outPatternBox_ = nullptr;
    QCheckBox* albumPatternCheck_ = nullptr;
    QCheckBox* detectCheck_ = nullptr;
    QCheckBox* subfoldersCheck_ = nullptr;
    QCheckBox* fixFilenamesCheck_ = nullptr;
    QGroupBox* methodFrame_ = nullptr;
    std::array<QRadioButton*, 3> methodButtons_{};
    QLabel* targetLabel_ = nullptr;
    QLineEdit* targetBox_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLineEdit* oldNameBox_ = nullptr;
    QLineEdit* newNameBox_ = nullptr;
    QPushButton* sortAllButton_ = nullptr;
    QPushButton* sortSelectedButton_ = nullptr;
};

}  // namespace vorda::app
