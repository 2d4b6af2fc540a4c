// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/ReplaceListDialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/qt/OptionsSupport.h"

using namespace vorda::base;

namespace vorda::app {

ReplaceListDialog::ReplaceListDialog(QWidget* parent) : ListEditorDialog(parent) {
    setObjectName(QStringLiteral("frmReplaces"));
    setWindowTitle(QStringLiteral("Vorda - Replaces"));
    setModal(true);

    lvwReplaces = new QTreeWidget(this);
    lvwReplaces->setObjectName(QStringLiteral("lvwReplaces"));
    lvwReplaces->setColumnCount(2);
    lvwReplaces->setHeaderLabels({QStringLiteral("Find"), QStringLiteral("Replace with")});
    lvwReplaces->setRootIsDecorated(false);
    lvwReplaces->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwReplaces->header()->setSectionResizeMode(QHeaderView::Stretch);

    txtOld = new QLineEdit(this);
    txtOld->setObjectName(QStringLiteral("txtOld"));
    txtNew = new QLineEdit(this);
    txtNew->setObjectName(QStringLiteral("txtNew"));
    txtNew->setValidator(new RuleValidator(InputRule::NameText, txtNew));
    txtNew->installEventFilter(this);

    QVBoxLayout* side = createButtons(lvwReplaces, rowEditsOf(rules_, &ReplaceListRules::getTotalReplaces));

    lblInfo = new QLabel(QStringLiteral("The pairs are applied in list order to new file names and to tag fields "
                                        "when \"Use replaces\" is checked. The replacement cannot hold any of "
                                        "these characters: <>?\\/:\"|*"),
                         this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);

    auto* boxes = new QGridLayout;
    boxes->addWidget(new QLabel(QStringLiteral("Find:"), this), 0, 0);
    boxes->addWidget(txtOld, 0, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Replace with:"), this), 1, 0);
    boxes->addWidget(txtNew, 1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(lvwReplaces, 1);
    top->addLayout(side);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblInfo, 1);
    bottom->addWidget(cmdOK);
    bottom->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(boxes);
    layout->addLayout(bottom);
    resize(520, 380);

    connect(lvwReplaces, &QTreeWidget::itemClicked, this, [this] { onItemClicked(); });
}

void ReplaceListDialog::reset() {
    rules_.reset();
    accepted_ = false;
    txtOld->clear();
    txtNew->clear();
    showList(-1);
}

void ReplaceListDialog::addReplace(const std::string& find, const std::string& replacement) {
    rules_.addReplace(find, replacement);
    showList(-1);
}

void ReplaceListDialog::showList(int select) {
    lvwReplaces->clear();
    for (const auto& [find, replacement] : rules_.pairs()) {
        auto* item = new QTreeWidgetItem(lvwReplaces);
        item->setText(0, QString::fromStdString(find));
        item->setText(1, QString::fromStdString(replacement));
    }
    if (select >= 0 && select < lvwReplaces->topLevelItemCount()) {
        lvwReplaces->setCurrentItem(lvwReplaces->topLevelItem(select));
        lvwReplaces->topLevelItem(select)->setSelected(true);
    }
}

void ReplaceListDialog::onItemClicked() {
    const int i = selectedIndex();
    if (i < 0) return;
    txtOld->setText(QString::fromStdString(rules_.getOldString(i)));
    txtNew->setText(QString::fromStdString(rules_.getNewString(i)));
}

void ReplaceListDialog::onAdd() {
    if (rules_.add(txtOld->text().toStdString(), txtNew->text().toStdString())) showList(rules_.getTotalReplaces() - 1);
}

void ReplaceListDialog::onUpdate() {
    const int i = selectedIndex();
    if (rules_.update(i, txtOld->text().toStdString(), txtNew->text().toStdString())) showList(i);
}

void ReplaceListDialog::onOk() {
    const ReplaceListRules::Problem problem = rules_.check();
    if (problem.index >= 0) {
        showList(problem.index);
        showMessage(this, QMessageBox::Information, problem.message);
        return;
    }
    accepted_ = true;
    accept();
}

bool ReplaceListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtNew && event->type() == QEvent::FocusOut) {
        const std::string text = txtNew->text().toStdString();
        const std::string clean = ReplaceListRules::cleanReplacement(text);
        if (clean != text) txtNew->setText(QString::fromStdString(clean));
    }
    return ListEditorDialog::eventFilter(watched, event);
}

}  // namespace vorda::app
