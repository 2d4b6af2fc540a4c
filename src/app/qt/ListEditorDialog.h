// SPDX-License-Identifier: GPL-2.0-or-later

// The frame the list editors share: Add, Update, Delete, Up and Down beside a list, OK and
// Cancel, and the Delete key on the list. A subclass makes its list and boxes, then the buttons
// (so that the tab order follows the layout), and keeps the rows themselves.
#pragma once

#include <functional>

#include <QDialog>

class QAbstractItemView;
class QPushButton;
class QVBoxLayout;

namespace vorda::app {

// What Delete, Up and Down do to the rows the editor keeps.
struct ListRowEdits {
    std::function<bool(int index)> remove;
    // Moves the row one place; returns where it is now, -1 when there was no such row.
    std::function<int(int index, bool up)> move;
    std::function<int()> count;
};

// The row edits of a rules object with removeAt, moveUp and moveDown.
template <typename Rules>
ListRowEdits rowEditsOf(Rules& rules, int (Rules::*count)() const) {
    return {[&rules](int index) { return rules.removeAt(index); },
            [&rules](int index, bool up) { return up ? rules.moveUp(index) : rules.moveDown(index); },
            [&rules, count] { return (rules.*count)(); }};
}

class ListEditorDialog : public QDialog {
    Q_OBJECT

public:
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    explicit ListEditorDialog(QWidget* parent);

    // Makes the seven buttons and wires them and the Delete key of list to the handlers and the
    // row edits; returns the column of Add to Down for the subclass's layout.
    QVBoxLayout* createButtons(QAbstractItemView* list, ListRowEdits edits);
    // The row selected in the list, -1 for none.
    int selectedIndex() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

    // Shows the rows again with row select selected (none when out of range).
    virtual void showList(int select) = 0;
    virtual void onAdd() = 0;
    virtual void onUpdate() = 0;
    virtual void onOk() = 0;

    bool accepted_ = false;  // closed with OK, not cancelled

private:
    void onDelete();
    void onMove(bool up);

    QAbstractItemView* list_ = nullptr;
    ListRowEdits edits_;
};

}  // namespace vorda::app
