// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/qt/Id3FolderDialog.h"

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

#include "base/Text.h"
#include "platform/PlatformDialogs.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::platform;

namespace vorda::naming {

Id3FolderDialog::Id3FolderDialog(Id3FolderCommand& command, QWidget* parent) : QDialog(parent), cmd_(command) {
    setObjectName(QStringLiteral("frmID3Folder"));
    setWindowTitle(QStringLiteral("Vorda - Create/Rename folder from ID3"));
    setModal(true);

    frame1 = new QGroupBox(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    label1 = new QLabel(displayText(Id3FolderCommand::helpText()), frame1);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setTextFormat(Qt::PlainText);
    label2 = new QLabel(QStringLiteral("Folder pattern:"), frame1);
    label2->setObjectName(QStringLiteral("Label2"));
    txtFolderPattern = new QLineEdit(frame1);
    txtFolderPattern->setObjectName(QStringLiteral("txtFolderPattern"));
    label3 = new QLabel(QStringLiteral("New folder name:"), frame1);
    label3->setObjectName(QStringLiteral("Label3"));
    txtNewFolder = new QLineEdit(frame1);
    txtNewFolder->setObjectName(QStringLiteral("txtNewFolder"));
    label4 = new QLabel(QStringLiteral("Target directory:"), frame1);
    label4->setObjectName(QStringLiteral("Label4"));
    txtTargetFolder = new QLineEdit(frame1);
    txtTargetFolder->setObjectName(QStringLiteral("txtTargetFolder"));
    cmdBrowseFolder = new QPushButton(QStringLiteral("..."), frame1);
    cmdBrowseFolder->setObjectName(QStringLiteral("cmdBrowseFolder"));
    cmdBrowseFolder->setAutoDefault(false);
    chkRenameFolder = new QCheckBox(QStringLiteral("Rename current folder:"), frame1);
    chkRenameFolder->setObjectName(QStringLiteral("chkRenameFolder"));
    lblCurrentFolder = new QLabel(frame1);
    lblCurrentFolder->setObjectName(QStringLiteral("lblCurrentFolder"));
    lblCurrentFolder->setTextFormat(Qt::PlainText);
    cmdCreateFolder = new QPushButton(QStringLiteral("Create &Folder"), this);
    cmdCreateFolder->setObjectName(QStringLiteral("cmdCreateFolder"));
    cmdCreateFolder->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(frame1);
    grid->addWidget(label1, 0, 0, 1, 3);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(txtFolderPattern, 1, 1, 1, 2);
    grid->addWidget(label3, 2, 0);
    grid->addWidget(txtNewFolder, 2, 1, 1, 2);
    grid->addWidget(label4, 3, 0);
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
    all->addWidget(frame1);
    all->addLayout(buttons);

    txtFolderPattern->installEventFilter(this);
    txtNewFolder->installEventFilter(this);
    connect(txtFolderPattern, &QLineEdit::textChanged, this, &Id3FolderDialog::patternChanged);
    connect(txtNewFolder, &QLineEdit::textChanged, this, &Id3FolderDialog::newFolderChanged);
    connect(txtTargetFolder, &QLineEdit::textEdited, this,
            [this](const QString& text) { cmd_.setTargetFolder(pathFromQt(text)); });
    connect(chkRenameFolder, &QCheckBox::toggled, this, &Id3FolderDialog::renameToggled);
    connect(cmdBrowseFolder, &QPushButton::clicked, this, &Id3FolderDialog::browse);
    connect(cmdCreateFolder, &QPushButton::clicked, this, &Id3FolderDialog::execute);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Opening: the current folder, the target box of the main window, then the pattern,
    // whose preview fills the new-name box.
    lblCurrentFolder->setText(pathToQt(cmd_.currentFolderCaption()));
    txtTargetFolder->setText(pathToQt(cmd_.targetFolder()));
    cmdCreateFolder->setEnabled(false);
    const std::string pattern = cmd_.folderPattern();
    txtFolderPattern->setText(displayText(pattern));
    if (pattern.empty()) patternChanged(QString());
    renameToggled(cmd_.renameMode());
    chkRenameFolder->setChecked(cmd_.renameMode());
}

void Id3FolderDialog::patternChanged(const QString& text) {
    cmd_.setFolderPattern(text.toStdString());
    txtNewFolder->setText(pathToQt(cmd_.newFolder()));
    newFolderChanged(txtNewFolder->text());
}

void Id3FolderDialog::newFolderChanged(const QString& text) {
    cmd_.setNewFolder(pathFromQt(text));
    cmdCreateFolder->setEnabled(cmd_.createEnabled());
}

void Id3FolderDialog::renameToggled(bool on) {
    cmd_.setRenameMode(on);
    cmdCreateFolder->setText(displayText(cmd_.buttonCaption()));
    txtTargetFolder->setEnabled(!on);
    cmdBrowseFolder->setEnabled(!on);
    QPalette palette = txtTargetFolder->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(on ? QPalette::Button : QPalette::Base));
    txtTargetFolder->setPalette(palette);
}

void Id3FolderDialog::browse() {
    cmd_.browsed(browseForFolder(this, cmd_.targetFolder()));
    txtTargetFolder->setText(pathToQt(cmd_.targetFolder()));
}

void Id3FolderDialog::execute() {
    cmd_.setTargetFolder(pathFromQt(txtTargetFolder->text()));
    if (cmd_.execute() == Id3FolderCommand::Result::Close) accept();
}

bool Id3FolderDialog::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == txtFolderPattern || watched == txtNewFolder) && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        for (const QChar c : typed) {
            if (!Id3FolderCommand::keyAllowed(c.unicode())) return true;
        }
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda::naming
