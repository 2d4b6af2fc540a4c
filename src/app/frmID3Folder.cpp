#include "app/frmID3Folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Routines.h"
#include "platform/PlatformDialogs.h"

namespace vorda {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(ToDisplayUtf8(text)); }
QString PathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

frmID3Folder::frmID3Folder(ID3FolderCommand& command, QWidget* parent) : QDialog(parent), cmd_(command) {
    setObjectName(QStringLiteral("frmID3Folder"));
    setWindowTitle(QStringLiteral("Vorda - Create/Rename folder from ID3"));
    setModal(true);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(Text(ID3FolderCommand::HelpText()), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    Label2 = new QLabel(QStringLiteral("Folder pattern:"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtFolderPattern = new QLineEdit(Frame1);
    txtFolderPattern->setObjectName(QStringLiteral("txtFolderPattern"));
    Label3 = new QLabel(QStringLiteral("New folder name:"), Frame1);
    Label3->setObjectName(QStringLiteral("Label3"));
    txtNewFolder = new QLineEdit(Frame1);
    txtNewFolder->setObjectName(QStringLiteral("txtNewFolder"));
    Label4 = new QLabel(QStringLiteral("Target directory:"), Frame1);
    Label4->setObjectName(QStringLiteral("Label4"));
    txtTargetFolder = new QLineEdit(Frame1);
    txtTargetFolder->setObjectName(QStringLiteral("txtTargetFolder"));
    cmdBrowseFolder = new QPushButton(QStringLiteral("..."), Frame1);
    cmdBrowseFolder->setObjectName(QStringLiteral("cmdBrowseFolder"));
    cmdBrowseFolder->setAutoDefault(false);
    chkRenameFolder = new QCheckBox(QStringLiteral("Rename current folder:"), Frame1);
    chkRenameFolder->setObjectName(QStringLiteral("chkRenameFolder"));
    lblCurrentFolder = new QLabel(Frame1);
    lblCurrentFolder->setObjectName(QStringLiteral("lblCurrentFolder"));
    lblCurrentFolder->setTextFormat(Qt::PlainText);
    cmdCreateFolder = new QPushButton(QStringLiteral("Create &Folder"), this);
    cmdCreateFolder->setObjectName(QStringLiteral("cmdCreateFolder"));
    cmdCreateFolder->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtFolderPattern, 1, 1, 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(txtNewFolder, 2, 1, 1, 2);
    grid->addWidget(Label4, 3, 0);
    grid->addWidget(txtTargetFolder, 3, 1);
    grid->addWidget(cmdBrowseFolder, 3, 2);
    grid->addWidget(chkRenameFolder, 4, 0);
    grid->addWidget(lblCurrentFolder, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCreateFolder);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(Frame1);
    all->addLayout(buttons);

    txtFolderPattern->installEventFilter(this);
    txtNewFolder->installEventFilter(this);
    connect(txtFolderPattern, &QLineEdit::textChanged, this, &frmID3Folder::PatternChanged);
    connect(txtNewFolder, &QLineEdit::textChanged, this, &frmID3Folder::NewFolderChanged);
    connect(txtTargetFolder, &QLineEdit::textEdited, this,
            [this](const QString& text) { cmd_.SetTargetFolder(PathFromQt(text)); });
    connect(chkRenameFolder, &QCheckBox::toggled, this, &frmID3Folder::RenameToggled);
    connect(cmdBrowseFolder, &QPushButton::clicked, this, &frmID3Folder::Browse);
    connect(cmdCreateFolder, &QPushButton::clicked, this, &frmID3Folder::Execute);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Opening: the current folder, the target box of the main window, then the pattern,
    // whose preview fills the new-name box.
    lblCurrentFolder->setText(PathToQt(cmd_.CurrentFolderCaption()));
    txtTargetFolder->setText(PathToQt(cmd_.TargetFolder()));
    cmdCreateFolder->setEnabled(false);
    const std::string pattern = cmd_.FolderPattern();
    txtFolderPattern->setText(Text(pattern));
    if (pattern.empty()) PatternChanged(QString());
    RenameToggled(cmd_.RenameMode());
    chkRenameFolder->setChecked(cmd_.RenameMode());
}

void frmID3Folder::PatternChanged(const QString& text) {
    cmd_.SetFolderPattern(text.toStdString());
    txtNewFolder->setText(PathToQt(cmd_.NewFolder()));
    NewFolderChanged(txtNewFolder->text());
}

void frmID3Folder::NewFolderChanged(const QString& text) {
    cmd_.SetNewFolder(PathFromQt(text));
    cmdCreateFolder->setEnabled(cmd_.CreateEnabled());
}

void frmID3Folder::RenameToggled(bool on) {
    cmd_.SetRenameMode(on);
    cmdCreateFolder->setText(Text(cmd_.ButtonCaption()));
    txtTargetFolder->setEnabled(!on);
    cmdBrowseFolder->setEnabled(!on);
    QPalette palette = txtTargetFolder->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(on ? QPalette::Button : QPalette::Base));
    txtTargetFolder->setPalette(palette);
}

void frmID3Folder::Browse() {
    cmd_.Browsed(BrowseForFolder(this, cmd_.TargetFolder()));
    txtTargetFolder->setText(PathToQt(cmd_.TargetFolder()));
}

void frmID3Folder::Execute() {
    cmd_.SetTargetFolder(PathFromQt(txtTargetFolder->text()));
    if (cmd_.Execute() == ID3FolderCommand::Close) accept();
}

bool frmID3Folder::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == txtFolderPattern || watched == txtNewFolder) && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        for (const QChar c : typed) {
            if (!ID3FolderCommand::KeyAllowed(c.unicode())) return true;
        }
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda
