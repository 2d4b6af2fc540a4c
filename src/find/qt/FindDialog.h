// SPDX-License-Identifier: GPL-2.0-or-later

// The Find & Replace / Trim / Add dialog. It drives a find engine with the settings of its
// boxes and tells the window through signals what to show: the match to show, the rows to
// select, the rows whose files were written.
#pragma once

#include <QDialog>
#include <QMessageBox>

#include <array>
#include <functional>
#include <vector>

#include "find/FindReplace.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vorda::find {

class FindDialog : public QDialog {
    Q_OBJECT

public:
    // How the dialog shows a message; a message box unless replaced (tests capture them).
    using MessageHandler = std::function<void(const QString& text, QMessageBox::Icon icon)>;

    explicit FindDialog(FindReplace& engine, QWidget* parent = nullptr);

    // The settings the boxes show, and setting the boxes (the search starts again).
    SearchOptions searchOptions() const;
    void setSearchOptions(const SearchOptions& options);
    void setMessageHandler(MessageHandler handler) { message_ = std::move(handler); }

signals:
    // The stepping found a match: the window selects only its row, shows the file and puts
    // the focus on the field that holds it.
    void matchFound(const vorda::find::Match& match);
    // "Select matching files": the window selects exactly these rows.
    void rowsMatched(const std::vector<int>& rows);
    // The files of these rows were changed (and written, or reported as failed): the window
    // shows them again.
    void filesChanged(const std::vector<int>& rows);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void runFind();
    void runReplace();
    void optionsChanged();
    void updatePage();
    void updateFieldBoxes();
    void reportWrites(const WriteReport& writes);
    void showMessage(const QString& text, QMessageBox::Icon icon);
    void showFindOutcome(FindOutcome outcome);
    // The line under the buttons: what the last run changed or selected.
    void showResult(const QString& text);

    FindReplace& engine_;
    MessageHandler message_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* findText_ = nullptr;
    QLineEdit* replaceText_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* replaceAll_ = nullptr;
    QCheckBox* selectMatches_ = nullptr;
    QRadioButton* allFiles_ = nullptr;
    QRadioButton* selectedFiles_ = nullptr;
    std::array<QCheckBox*, kSearchTagCount> tagBoxes_{};
    std::array<QCheckBox*, kSearchFieldCount> fieldBoxes_{};
    QLineEdit* removeCount_ = nullptr;
    QRadioButton* trimBeginning_ = nullptr;
    QLineEdit* addText_ = nullptr;
    QRadioButton* addBeginning_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* replace_ = nullptr;
    QLabel* result_ = nullptr;
};

}  // namespace vorda::find
