#include "app/frmPatterns.h"

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

#include "app/Routines.h"

namespace vorda {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(ToDisplayUtf8(text)); }
std::string FromQt(const QString& text) { return text.toStdString(); }

}  // namespace

frmPatterns::frmPatterns(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPatterns"));
    setWindowTitle(QStringLiteral("Vorda - Patterns"));
    setModal(true);

    lvwView = new QListWidget(this);
    lvwView->setObjectName(QStringLiteral("lvwView"));
    lvwView->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    lvwView->installEventFilter(this);
    connect(lvwView, &QListWidget::itemClicked, this, &frmPatterns::OnItemClicked);
    connect(lvwView, &QListWidget::itemChanged, this, &frmPatterns::OnItemChanged);

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

    connect(cmdAdd, &QPushButton::clicked, this, &frmPatterns::OnAdd);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmPatterns::OnUpdate);
    connect(cmdDelete, &QPushButton::clicked, this, &frmPatterns::OnDelete);
    connect(cmdUp, &QPushButton::clicked, this, [this] { OnMove(true); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { OnMove(false); });
    connect(cmdOK, &QPushButton::clicked, this, &frmPatterns::OnOk);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPatterns::reject);
    Reset();
    resize(480, 460);
}

void frmPatterns::Reset() {
    rules_.Reset();
    accepted_ = false;
    txtPattern->clear();
    fraInfo->hide();
    ShowList(-1);
}

void frmPatterns::AddPattern(const std::string& text) {
    rules_.AddPattern(text);
    ShowList(-1);
}

void frmPatterns::ShowInfo(const std::string& text) {
    lblInfo->setText(Text(text));
    fraInfo->show();
}

std::vector<std::string> frmPatterns::Patterns() const {
    return accepted_ ? rules_.Patterns() : std::vector<std::string>();
}

void frmPatterns::ShowList(int select) {
    filling_ = true;
    lvwView->clear();
    for (const std::string& pattern : rules_.Patterns()) {
        auto* item = new QListWidgetItem(Text(pattern), lvwView);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (select >= 0 && select < lvwView->count()) lvwView->setCurrentRow(select);
    filling_ = false;
}

int frmPatterns::SelectedIndex() const {
    const QList<QListWidgetItem*> selected = lvwView->selectedItems();
    return selected.isEmpty() ? -1 : lvwView->row(selected.first());
}

void frmPatterns::Message(const std::string& text, bool information) {
    if (text.empty()) return;
    QMessageBox box(information ? QMessageBox::Information : QMessageBox::NoIcon, QStringLiteral("Vorda"), Text(text),
                    QMessageBox::Ok, this);
    box.exec();
}

bool frmPatterns::ValidateEditBox() {
    std::string text = FromQt(txtPattern->text());
    const std::string message = rules_.Validate(text);
    if (Text(text) != txtPattern->text()) txtPattern->setText(Text(text));
    Message(message, false);
    return message.empty();
}

void frmPatterns::OnItemClicked(QListWidgetItem* item) {
    if (item) txtPattern->setText(item->text());
}

void frmPatterns::OnItemChanged(QListWidgetItem* item) {
    if (filling_ || !item) return;
    const int index = lvwView->row(item);
    std::string text = FromQt(item->text());
    if (index < 0 || index >= rules_.Count() || text == rules_.Patterns()[static_cast<size_t>(index)]) return;
    const std::string message = rules_.EditInPlace(index, text);
    filling_ = true;
    item->setText(Text(text));
    filling_ = false;
    const bool duplicate = message.find("already exists!") != std::string::npos;
    Message(message, duplicate);
}

void frmPatterns::OnAdd() {
    if (!ValidateEditBox()) return;
    const std::string text = FromQt(txtPattern->text());
    const std::string message = rules_.Add(text);
    if (!message.empty()) {
        Message(message, true);
        return;
    }
    ShowList(rules_.Count() - 1);
}

void frmPatterns::OnUpdate() {
    const int index = SelectedIndex();
    if (index < 0) return;
    if (!ValidateEditBox()) return;
    const std::string message = rules_.Update(index, FromQt(txtPattern->text()));
    if (!message.empty()) {
        Message(message, true);
        return;
    }
    ShowList(index);
}

void frmPatterns::OnDelete() {
    const int index = SelectedIndex();
    if (!rules_.Delete(index)) return;
    ShowList(std::min(index, rules_.Count() - 1));
}

void frmPatterns::OnMove(bool up) {
    const int index = SelectedIndex();
    const int moved = up ? rules_.MoveUp(index) : rules_.MoveDown(index);
    if (moved < 0) return;
    ShowList(moved);
}

void frmPatterns::OnOk() {
    accepted_ = true;
    accept();
}

void frmPatterns::reject() {
    accepted_ = false;
    QDialog::reject();
}

bool frmPatterns::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPattern && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box of its own, or a pop-up, is no leaving of the box.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) ValidateEditBox();
        return false;
    }
    // Keys typed into an in-place editor reach the editor, not the list.
    if (watched == lvwView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnDelete();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda
