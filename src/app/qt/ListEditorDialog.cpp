// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/ListEditorDialog.h"

#include <algorithm>
#include <utility>

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorda::app {

ListEditorDialog::ListEditorDialog(QWidget* parent) : QDialog(parent) {}

QVBoxLayout* ListEditorDialog::createButtons(QAbstractItemView* list, ListRowEdits edits) {
    list_ = list;
    edits_ = std::move(edits);
    list_->installEventFilter(this);
    auto makeButton = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdAdd = makeButton("cmdAdd", "&Add");
    cmdUpdate = makeButton("cmdUpdate", "&Update");
    cmdDelete = makeButton("cmdDelete", "&Delete");
    cmdUp = makeButton("cmdUp", "U&p");
    cmdDown = makeButton("cmdDown", "Do&wn");
    cmdOK = makeButton("cmdOK", "&OK");
    cmdCancel = makeButton("cmdCancel", "&Cancel");
    cmdOK->setDefault(true);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { onAdd(); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { onUpdate(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { onDelete(); });
    connect(cmdUp, &QPushButton::clicked, this, [this] { onMove(true); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { onMove(false); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { onOk(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdUpdate, cmdDelete, cmdUp, cmdDown}) side->addWidget(b);
    side->addStretch();
    return side;
}

int ListEditorDialog::selectedIndex() const {
    const QModelIndexList selected = list_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListEditorDialog::onDelete() {
    const int index = selectedIndex();
    if (!edits_.remove(index)) return;
    showList(std::min(index, edits_.count() - 1));
}

void ListEditorDialog::onMove(bool up) {
    const int moved = edits_.move(selectedIndex(), up);
    if (moved >= 0) showList(moved);
}

void ListEditorDialog::reject() {
    accepted_ = false;
    QDialog::reject();
}

bool ListEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    // Keys typed into an in-place editor reach the editor, not the list.
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        onDelete();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda::app
