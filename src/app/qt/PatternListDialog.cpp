// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/PatternListDialog.h"

#include <algorithm>

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Text.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::naming;

using namespace vorda::platform;

namespace vorda::app {

namespace {}  // namespace

PatternListDialog::PatternListDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPatterns"));
    setWindowTitle(QStringLiteral("Vorda - Patterns"));
    setModal(true);

    lvwView = new QListWidget(this);
    lvwView->setObjectName(QStringLiteral("lvwView"));
    lvwView->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    lvwView->installEventFilter(this);
    connect(lvwView, &QListWidget::itemClicked, this, &PatternListDialog::onItemClicked);
    connect(lvwView, &QListWidget::itemChanged, this, &PatternListDialog::onItemChanged);

    txtPattern = new QLineEdit(this);
    txtPattern->setObjectName(QStringLiteral("txtPattern"));
    txtPattern->installEventFilter(this);

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

    fraInfo = new QGroupBox(QStringLiteral("Info"), this);
    fraInfo->setObjectName(QStringLiteral("fraInfo"));
    lblInfo = new QLabel(fraInfo);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);
    lblInfo->setTextFormat(Qt::PlainText);
    auto* info = new QVBoxLayout(fraInfo);
    info->addWidget(lblInfo);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdUpdate, cmdDelete, cmdUp, cmdDown}) side->addWidget(b);
    side->addStretch();
    auto* top = new QHBoxLayout;
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(lvwView, 1);
    listColumn->addWidget(txtPattern);
    top->addLayout(listColumn, 1);
    top->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    bottom->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addWidget(fraInfo);
    all->addLayout(bottom);

    connect(cmdAdd, &QPushButton::clicked, this, &PatternListDialog::onAdd);
    connect(cmdUpdate, &QPushButton::clicked, this, &PatternListDialog::onUpdate);
    connect(cmdDelete, &QPushButton::clicked, this, &PatternListDialog::onDelete);
    connect(cmdUp, &QPushButton::clicked, this, [this] { onMove(true); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { onMove(false); });
    connect(cmdOK, &QPushButton::clicked, this, &PatternListDialog::onOk);
    connect(cmdCancel, &QPushButton::clicked, this, &PatternListDialog::reject);
    reset();
    resize(480, 460);
}

void PatternListDialog::reset() {
    rules_.reset();
    accepted_ = false;
    txtPattern->clear();
    fraInfo->hide();
    showList(-1);
}

void PatternListDialog::addPattern(const std::string& text) {
    rules_.addPattern(text);
    showList(-1);
}

void PatternListDialog::showInfo(const std::string& text) {
    lblInfo->setText(displayText(text));
    fraInfo->show();
}

std::vector<std::string> PatternListDialog::patterns() const {
    return accepted_ ? rules_.patterns() : std::vector<std::string>();
}

void PatternListDialog::showList(int select) {
    filling_ = true;
    lvwView->clear();
    for (const std::string& pattern : rules_.patterns()) {
        auto* item = new QListWidgetItem(displayText(pattern), lvwView);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (select >= 0 && select < lvwView->count()) lvwView->setCurrentRow(select);
    filling_ = false;
}

int PatternListDialog::selectedIndex() const {
    const QList<QListWidgetItem*> selected = lvwView->selectedItems();
    return selected.isEmpty() ? -1 : lvwView->row(selected.first());
}

void PatternListDialog::showMessage(const std::string& text, bool information) {
    if (text.empty()) return;
    QMessageBox box(information ? QMessageBox::Information : QMessageBox::NoIcon, QStringLiteral("Vorda"),
                    displayText(text), QMessageBox::Ok, this);
    box.exec();
}

bool PatternListDialog::validateEditBox() {
    std::string text = fromQt(txtPattern->text());
    const std::string message = rules_.validate(text);
    if (displayText(text) != txtPattern->text()) txtPattern->setText(displayText(text));
    showMessage(message, false);
    return message.empty();
}

void PatternListDialog::onItemClicked(QListWidgetItem* item) {
    if (item) txtPattern->setText(item->text());
}

void PatternListDialog::onItemChanged(QListWidgetItem* item) {
    if (filling_ || !item) return;
    const int index = lvwView->row(item);
    std::string text = fromQt(item->text());
    if (index < 0 || index >= rules_.count() || text == rules_.patterns()[static_cast<size_t>(index)]) return;
    const std::string message = rules_.editInPlace(index, text);
    filling_ = true;
    item->setText(displayText(text));
    filling_ = false;
    const bool duplicate = message.find("already exists!") != std::string::npos;
    showMessage(message, duplicate);
}

void PatternListDialog::onAdd() {
    if (!validateEditBox()) return;
    const std::string text = fromQt(txtPattern->text());
    const std::string message = rules_.add(text);
    if (!message.empty()) {
        showMessage(message, true);
        return;
    }
    showList(rules_.count() - 1);
}

void PatternListDialog::onUpdate() {
    const int index = selectedIndex();
    if (index < 0) return;
    if (!validateEditBox()) return;
    const std::string message = rules_.update(index, fromQt(txtPattern->text()));
    if (!message.empty()) {
        showMessage(message, true);
        return;
    }
    showList(index);
}

void PatternListDialog::onDelete() {
    const int index = selectedIndex();
    if (!rules_.Delete(index)) return;
    showList(std::min(index, rules_.count() - 1));
}

void PatternListDialog::onMove(bool up) {
    const int index = selectedIndex();
    const int moved = up ? rules_.moveUp(index) : rules_.moveDown(index);
    if (moved < 0) return;
    showList(moved);
}

void PatternListDialog::onOk() {
    accepted_ = true;
    accept();
}

void PatternListDialog::reject() {
    accepted_ = false;
    QDialog::reject();
}

bool PatternListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPattern && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box of its own, or a pop-up, is no leaving of the box.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) validateEditBox();
        return false;
    }
    // Keys typed into an in-place editor reach the editor, not the list.
    if (watched == lvwView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        onDelete();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda::app
