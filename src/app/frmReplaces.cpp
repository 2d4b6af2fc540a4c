#include "app/frmReplaces.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/QtOptionsSupport.h"

namespace vorda {

frmReplaces::frmReplaces(QWidget* parent) : QDialog(parent)
{
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
    lvwReplaces->installEventFilter(this);

    txtOld = new QLineEdit(this);
    txtOld->setObjectName(QStringLiteral("txtOld"));
    txtNew = new QLineEdit(this);
    txtNew->setObjectName(QStringLiteral("txtNew"));
    txtNew->setValidator(new RuleValidator(InputRule::NameText, txtNew));
    txtNew->installEventFilter(this);

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

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdUpdate, cmdDelete, cmdUp, cmdDown}) side->addWidget(b);
    side->addStretch();

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

    connect(lvwReplaces, &QTreeWidget::itemClicked, this, [this] { OnItemClicked(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { OnUpdate(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(cmdUp, &QPushButton::clicked, this, [this] { OnMove(true); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { OnMove(false); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
}

void frmReplaces::Reset()
{
    rules_.Reset();
    canceled_ = true;
    txtOld->clear();
    txtNew->clear();
    ShowList(-1);
}

void frmReplaces::AddReplace(const std::string& find, const std::string& replacement)
{
    rules_.AddReplace(find, replacement);
    ShowList(-1);
}

void frmReplaces::ShowList(int select)
{
    lvwReplaces->clear();
    for (const auto& [find, replacement] : rules_.Pairs()) {
        auto* item = new QTreeWidgetItem(lvwReplaces);
        item->setText(0, QString::fromStdString(find));
        item->setText(1, QString::fromStdString(replacement));
    }
    if (select >= 0 && select < lvwReplaces->topLevelItemCount()) {
        lvwReplaces->setCurrentItem(lvwReplaces->topLevelItem(select));
        lvwReplaces->topLevelItem(select)->setSelected(true);
    }
}

int frmReplaces::SelectedIndex() const
{
    const QList<QTreeWidgetItem*> selected = lvwReplaces->selectedItems();
    return selected.isEmpty() ? -1 : lvwReplaces->indexOfTopLevelItem(selected.front());
}

void frmReplaces::OnItemClicked()
{
    const int i = SelectedIndex();
    if (i < 0) return;
    txtOld->setText(QString::fromStdString(rules_.GetOldString(i)));
    txtNew->setText(QString::fromStdString(rules_.GetNewString(i)));
}

void frmReplaces::OnAdd()
{
    if (rules_.Add(txtOld->text().toStdString(), txtNew->text().toStdString()))
        ShowList(rules_.GetTotalReplaces() - 1);
}

void frmReplaces::OnUpdate()
{
    const int i = SelectedIndex();
    if (rules_.Update(i, txtOld->text().toStdString(), txtNew->text().toStdString())) ShowList(i);
}

void frmReplaces::OnDelete()
{
    const int i = SelectedIndex();
    if (!rules_.Delete(i)) return;
    ShowList(std::min(i, rules_.GetTotalReplaces() - 1));
}

void frmReplaces::OnMove(bool up)
{
    const int i = SelectedIndex();
    if (i < 0) return;
    ShowList(up ? rules_.MoveUp(i) : rules_.MoveDown(i));
}

void frmReplaces::OnOk()
{
    const ReplaceListRules::Problem problem = rules_.Check();
    if (problem.index >= 0) {
        ShowList(problem.index);
        ShowMessage(this, QMessageBox::Information, problem.message);
        return;
    }
    canceled_ = false;
    accept();
}

void frmReplaces::reject()
{
    canceled_ = true;
    QDialog::reject();
}

bool frmReplaces::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtNew && event->type() == QEvent::FocusOut) {
        const std::string text = txtNew->text().toStdString();
        const std::string clean = ReplaceListRules::CleanReplacement(text);
        if (clean != text) txtNew->setText(QString::fromStdString(clean));
    } else if (watched == lvwReplaces && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnDelete();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda
