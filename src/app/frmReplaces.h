// The replace-list editor: a list of find/replacement pairs with Add, Update, Delete, Up and
// Down, and the checks made on OK. The caller fills it, shows it with exec() and reads the
// list back unless it was cancelled.
#pragma once

#include <string>

#include <QDialog>

#include "app/ReplaceListRules.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vorda {

class frmReplaces : public QDialog {
    Q_OBJECT

public:
    explicit frmReplaces(QWidget* parent = nullptr);

    void Reset();
    void AddReplace(const std::string& find, const std::string& replacement);
    bool WasCanceled() const { return canceled_; }
    int GetTotalReplaces() const { return rules_.GetTotalReplaces(); }
    std::string GetOldString(int i) const { return rules_.GetOldString(i); }
    std::string GetNewString(int i) const { return rules_.GetNewString(i); }
    const ReplaceListRules& Rules() const { return rules_; }

    QTreeWidget* lvwReplaces = nullptr;
    QLineEdit* txtOld = nullptr;
    QLineEdit* txtNew = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblInfo = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void ShowList(int select);
    int SelectedIndex() const;
    void OnItemClicked();
    void OnAdd();
    void OnUpdate();
    void OnDelete();
    void OnMove(bool up);
    void OnOk();

    ReplaceListRules rules_;
    bool canceled_ = true;
};

}  // namespace vorda
