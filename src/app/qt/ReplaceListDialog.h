// SPDX-License-Identifier: GPL-2.0-or-later

// The replace-list editor: a list of find/replacement pairs with Add, Update, Delete, Up and
// Down, and the checks made on OK. The caller fills it, shows it with exec() and reads the
// list back unless it was cancelled.
#pragma once

#include <string>

#include "app/ReplaceListRules.h"
#include "app/qt/ListEditorDialog.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace vorda::app {

class ReplaceListDialog : public ListEditorDialog {
    Q_OBJECT

public:
    explicit ReplaceListDialog(QWidget* parent = nullptr);

    void reset();
    void addReplace(const std::string& find, const std::string& replacement);
    bool wasCanceled() const { return !accepted_; }
    int getTotalReplaces() const { return rules_.getTotalReplaces(); }
    std::string getOldString(int i) const { return rules_.getOldString(i); }
    std::string getNewString(int i) const { return rules_.getNewString(i); }
    const ReplaceListRules& rules() const { return rules_; }

    QTreeWidget* lvwReplaces = nullptr;
    QLineEdit* txtOld = nullptr;
    QLineEdit* txtNew = nullptr;
    QLabel* lblInfo = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showList(int select) override;
    void onItemClicked();
    void onAdd() override;
    void onUpdate() override;
    void onOk() override;

    ReplaceListRules rules_;
};

}  // namespace vorda::app
