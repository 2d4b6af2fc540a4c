// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/PatternListDialog.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
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

PatternListDialog::PatternListDialog(QWidget* parent) : ListEditorDialog(parent) {
    setObjectName(QStringLiteral("frmPatterns"));
    setWindowTitle(QStringLiteral("Vorda - Patterns"));
    setModal(true);

    lvwView = new QListWidget(this);
    lvwView->setObjectName(QStringLiteral("lvwView"));
    lvwView->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(lvwView, &QListWidget::itemClicked, this, &PatternListDialog::onItemClicked);
    connect(lvwView, &QListWidget::itemChanged, this, &PatternListDialog::onItemChanged);

    txtPattern = new QLineEdit(this);
    txtPattern->setObjectName(QStringLiteral("txtPattern"));
    txtPattern->installEventFilter(this);

    QVBoxLayout* side = createButtons(lvwView, rowEditsOf(rules_, &PatternListRules::count));

    fraInfo = new QGroupBox(QStringLiteral("Info"), this);
    fraInfo->setObjectName(QStringLiteral("fraInfo"));
    lblInfo = new QLabel(fraInfo);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);
    lblInfo->setTextFormat(Qt::PlainText);
    auto* info = new QVBoxLayout(fraInfo);
    info->addWidget(lblInfo);

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

void PatternListDialog::onOk() {
    accepted_ = true;
    accept();
}

bool PatternListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPattern && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box of its own, or a pop-up, is no leaving of the box.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) validateEditBox();
        return false;
    }
    return ListEditorDialog::eventFilter(watched, event);
}

}  // namespace vorda::app
