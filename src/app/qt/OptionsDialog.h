// SPDX-License-Identifier: GPL-2.0-or-later

// The options dialog: five pages of settings chosen in a tree, with OK (copies every control
// into the settings and writes the options keys) and Cancel (changes nothing). Used with exec().
#pragma once

#include <array>
#include <functional>
#include <string>

#include <QDialog>

#include "app/OptionsRules.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

namespace vorda::app {

class OptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit OptionsDialog(QWidget* parent = nullptr);

    // Sets every control from the program's settings (done when the dialog is created).
    void loadControls();

    QTreeWidget* treeOptions = nullptr;
    QLabel* lblActiveSetting = nullptr;
    QStackedWidget* picTab = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // General
    QCheckBox* chkAutoReadTags = nullptr;
    QCheckBox* chkReadTags = nullptr;
    QCheckBox* chkAutoRemJunk = nullptr;
    QCheckBox* chkIgnoreReadOnly = nullptr;
    QCheckBox* chkRecycle = nullptr;
    QCheckBox* chkAllFileTypes = nullptr;
    QListWidget* lstFiletypes = nullptr;
    QLineEdit* txtFiletypes = nullptr;
    QPushButton* cmdFiletypeAdd = nullptr;
    QPushButton* cmdFiletypeRem = nullptr;
    // Filename
    QCheckBox* chkUseTags = nullptr;
    QCheckBox* chkLowext = nullptr;
    QCheckBox* chkFNameLength = nullptr;
    QLineEdit* txtMaxFNameLength = nullptr;
    QCheckBox* chkSetAttributes = nullptr;
    QCheckBox* chkReadOnly = nullptr;
    QCheckBox* chkHidden = nullptr;
    QCheckBox* chkArchive = nullptr;
    QCheckBox* chkFNamelcaseFirst = nullptr;
    std::array<QRadioButton*, 5> optChange{};
    // Formatting (shown with the Filename and Tag pages)
    QGroupBox* fraFormatting = nullptr;
    QCheckBox* chkUndtospace = nullptr;
    QCheckBox* chk20tospace = nullptr;
    QCheckBox* chkSpaces = nullptr;
    QCheckBox* chkMisses = nullptr;
    QCheckBox* chkPadTrackNr = nullptr;
    QLineEdit* txtTrackDigits = nullptr;
    QCheckBox* chkRemoveChars = nullptr;
    QLineEdit* txtRemoveChars = nullptr;
    QCheckBox* chkReplace = nullptr;
    QPushButton* cmdEditReplaces = nullptr;
    // Tag
    QCheckBox* chkKeepSync = nullptr;
    QCheckBox* chkID3lcaseFirst = nullptr;
    std::array<QRadioButton*, 5> optID3CaseChange{};
    QComboBox* cmbUseID3v1 = nullptr;
    QComboBox* cmbUseID3v2 = nullptr;
    QComboBox* cmbUseLyrics3 = nullptr;
    QLineEdit* txtAddPaddingSize = nullptr;
    QLineEdit* txtMaxPadding = nullptr;
    // freedb
    QLineEdit* txtFreeDBServer = nullptr;
    QLineEdit* txtFreeDBPort = nullptr;
    QLineEdit* txtFreeDBUser = nullptr;
    QLineEdit* txtFreeDBHost = nullptr;
    QCheckBox* chkFreeDBFormatting = nullptr;
    // Media player (on the General page)
    QLineEdit* txtPlayerPath = nullptr;
    QPushButton* cmdPlayerPath = nullptr;
    // The program picker of cmdPlayerPath: the chosen program, "" when cancelled (a hook, so that
    // it can be scripted; unset: a file dialog).
    std::function<std::string(const std::string& current)> choosePlayerProgram;
    // Sorting
    QCheckBox* chkSortToExistingFolders = nullptr;
    QLineEdit* txtAlbumSize = nullptr;
    std::array<QRadioButton*, 3> optExists{};
    std::array<QRadioButton*, 3> optID3Empty{};

signals:
    // After OK: the maximum length of the tag editor's fields 11 and 12 (30 or 250).
    void tagFieldMaxLengthChanged(int maxLength);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGeneralPage(QWidget* page);
    void buildFilenamePage(QWidget* page);
    void buildFormattingFrame();
    void buildTagPage(QWidget* page);
    void buildFreedbPage(QWidget* page);
    void buildSortingPage(QWidget* page);
    void showPage(int index);
    void showFileTypes(int select);
    void onFiletypeAdd();
    void onFiletypeRemove();
    void onEditReplaces();
    void onChoosePlayer();
    void onOk();
    void onFocusLost(QLineEdit* box);
    OptionsForm readControls() const;
    void showNumberTexts(const OptionsForm& form);

    FileTypeList fileTypes_;
};

}  // namespace vorda::app
