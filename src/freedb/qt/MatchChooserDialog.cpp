// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/qt/MatchChooserDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorda::freedb {

MatchChooserDialog::MatchChooserDialog(QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), info_(new QLabel(this)) {
    setObjectName("frmMultiMatch");
    setWindowTitle("freedb");
    list_->setObjectName("lstMatches");
    info_->setObjectName("lblInfo");
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName("cmdOK");
    cancel->setObjectName("cmdCancel");
    connect(ok, &QPushButton::clicked, this, &MatchChooserDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &MatchChooserDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &MatchChooserDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(520, 300);
}

void MatchChooserDialog::reset() {
    list_->clear();
    matches_.clear();
    canceled_ = false;
}

void MatchChooserDialog::showEntries(const std::vector<FreedbQuery>& matches) {
    reset();
    matches_ = matches;
    for (const FreedbQuery& match : matches_) list_->addItem(QString::fromStdString(match.chooserLine()));
    info_->setText(QString("%1 matches were found. Please select one entry:").arg(matches_.size()));
}

std::optional<FreedbQuery> MatchChooserDialog::selected() const {
    const QList<QListWidgetItem*> items = list_->selectedItems();
    if (items.isEmpty()) return std::nullopt;
    const int row = list_->row(items.front());
    if (row < 0 || static_cast<size_t>(row) >= matches_.size()) return std::nullopt;
    return matches_[static_cast<size_t>(row)];
}

void MatchChooserDialog::accept() {
    if (list_->selectedItems().isEmpty()) return;
    QDialog::accept();
}

void MatchChooserDialog::reject() {
    canceled_ = true;
    QDialog::reject();
}

}  // namespace vorda::freedb
