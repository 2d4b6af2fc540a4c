// SPDX-License-Identifier: GPL-2.0-or-later

// The dialog "Create/Rename folder from ID3": a folder name built from the shown file's tags
// with the folder pattern, created in a target folder or given to the file's own folder.
// The rules live in Id3FolderCommand; the dialog binds its boxes to them.
#pragma once

#include <string>

#include <QDialog>

#include "naming/FolderCommands.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorda::naming {

class Id3FolderDialog : public QDialog {
    Q_OBJECT

public:
    // command must have been opened (Id3FolderCommand::Open) before the dialog is shown.
    Id3FolderDialog(Id3FolderCommand& command, QWidget* parent = nullptr);

    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    QLineEdit* txtFolderPattern = nullptr;
    QLabel* label3 = nullptr;
    QLineEdit* txtNewFolder = nullptr;
    QLabel* label4 = nullptr;
    QLineEdit* txtTargetFolder = nullptr;
    QPushButton* cmdBrowseFolder = nullptr;
    QCheckBox* chkRenameFolder = nullptr;
    QLabel* lblCurrentFolder = nullptr;
    QGroupBox* frame1 = nullptr;
    QPushButton* cmdCreateFolder = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void patternChanged(const QString& text);
    void newFolderChanged(const QString& text);
    void renameToggled(bool on);
    void browse();
    void execute();

    Id3FolderCommand& cmd_;
};

}  // namespace vorda::naming
