// The dialog "Create/Rename folder from ID3": a folder name built from the shown file's tags
// with the folder pattern, created in a target folder or given to the file's own folder.
// The rules live in ID3FolderCommand; the dialog binds its boxes to them.
#pragma once

#include <string>

#include <QDialog>

#include "naming/FolderCommands.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorda {

class frmID3Folder : public QDialog {
    Q_OBJECT

public:
    // command must have been opened (ID3FolderCommand::Open) before the dialog is shown.
    frmID3Folder(ID3FolderCommand& command, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtFolderPattern = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtNewFolder = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtTargetFolder = nullptr;
    QPushButton* cmdBrowseFolder = nullptr;
    QCheckBox* chkRenameFolder = nullptr;
    QLabel* lblCurrentFolder = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdCreateFolder = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PatternChanged(const QString& text);
    void NewFolderChanged(const QString& text);
    void RenameToggled(bool on);
    void Browse();
    void Execute();

    ID3FolderCommand& cmd_;
};

}  // namespace vorda
