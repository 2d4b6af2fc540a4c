// SPDX-License-Identifier: GPL-2.0-or-later

// The pattern-list editor: the stored patterns of one pattern box with Add, Update, Delete, Up
// and Down, in-place editing and the checks of typed patterns. The caller fills it (Reset,
// setIllegalChars, addPattern, showInfo), shows it with exec() and reads Patterns() afterwards:
// after Cancel the list is empty, so the caller changes nothing.
#pragma once

#include <string>
#include <vector>

#include "app/qt/ListEditorDialog.h"
#include "naming/PatternListRules.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace vorda::app {

class PatternListDialog : public ListEditorDialog {
    Q_OBJECT

public:
    explicit PatternListDialog(QWidget* parent = nullptr);

    // Empties the list and the edit box and hides the information frame.
    void reset();
    void setIllegalChars(const std::string& chars) { rules_.setIllegalChars(chars); }
    void addPattern(const std::string& text);
    void showInfo(const std::string& text);
    // The list as the dialog closed: empty after Cancel.
    std::vector<std::string> patterns() const;
    const naming::PatternListRules& rules() const { return rules_; }

    QListWidget* lvwView = nullptr;
    QLineEdit* txtPattern = nullptr;
    QGroupBox* fraInfo = nullptr;
    QLabel* lblInfo = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMessage(const std::string& text, bool information);
    // Cleans the edit box; false (after the message) when its pattern is invalid.
    bool validateEditBox();
    void showList(int select) override;
    void onItemClicked(QListWidgetItem* item);
    void onItemChanged(QListWidgetItem* item);
    void onAdd() override;
    void onUpdate() override;
    void onOk() override;

    naming::PatternListRules rules_;
    bool filling_ = false;  // the list widget is being refilled
};

}  // namespace vorda::app
