// SPDX-License-Identifier: GPL-2.0-or-later

// The controls of the tag area's "TAG", "Lyrics3" and "File info" pages: the txtField array
// with its chkField marks, the genre boxes, the tag switches, the Lyrics3 fields, the file
// information boxes, "Save tags" and the description label, with the typing rules bound to
// them. The panes' state goes to and from a TagPanes; the window runs the commands.
#pragma once

#include <array>
#include <functional>

#include <QObject>

#include "editing/TagPanes.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace vorda::editing {

class TagEditor : public QObject {
    Q_OBJECT
public:
    // Comment box heights in twips (unfocused, focused).
    static constexpr double kCommentHeightTwips = 285;
    static constexpr double kCommentFocusHeightTwips = 915;

    // Builds the controls into the pages "TAG", "Lyrics3" and "File info".
    TagEditor(QWidget* tagPage, QWidget* lyricsPage, QWidget* infoPage, QObject* parent = nullptr);

    // The panes as the controls show them / shows panes in the controls (marks last).
    TagPanes collect() const;
    void apply(const TagPanes& panes);
    // Captions and panes of the display mode.
    void setAdvanced(bool advanced);
    bool advanced() const { return advanced_; }
    // The longest text of the ID3v1 title and artist fields (the "Use Lyrics3" option).
    void setFieldMaxLength(int maxLength);

    // Up/Down in a field or on the tab strip: (down, shift held).
    std::function<void(bool down, bool shift)> navigate;
    // Buttons whose state follows the ID3v1 / ID3v2 enable boxes (the copy buttons).
    QWidget* cmdCopyFromV1 = nullptr;
    QWidget* cmdCopyToV1 = nullptr;

    // ---- controls
    QWidget* picEditTag = nullptr;
    QWidget* picEditID3v1 = nullptr;
    std::array<QLineEdit*, kFieldCount> txtField{};
    std::array<QCheckBox*, kFieldCount> chkField{};
    QComboBox* cmbGenre = nullptr;
    QComboBox* cmbV1Genre = nullptr;
    QCheckBox* chkGenre = nullptr;
    QCheckBox* chkV1Genre = nullptr;
    std::array<QCheckBox*, kSwitchCount> chkEnable{};  // chkID3v1, chkID3v2, chkLyrics3
    std::array<QCheckBox*, kSwitchCount> chkRemove{};  // chkID3v1Rem, chkID3v2Rem, chkLyrics3Rem
    QComboBox* cmbLyrMood = nullptr;
    QComboBox* cmbLyrSituation = nullptr;
    QComboBox* cmbLyrQuality = nullptr;
    QLineEdit* txtLyrOther = nullptr;
    QLineEdit* txtLyrAuthor = nullptr;
    QPlainTextEdit* txtLyrLyrics = nullptr;
    std::array<QLineEdit*, kInfoCount> txtfInfo{};
    QLabel* lblDescription = nullptr;
    QPushButton* cmdSaveTags = nullptr;

signals:
    void saveRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTagPage(QWidget* page);
    void buildLyricsPage(QWidget* page);
    void buildInfoPage(QWidget* page);
    void fieldChanged(int index);
    void switchToggled(int tagSwitch, bool on);
    void removeToggled(int tagSwitch, bool on);
    void applyEditable(int tagSwitch);
    bool fieldKey(int index, QKeyEvent* event);
    int fieldIndex(QObject* watched) const;

    bool advanced_ = false;
    std::array<bool, kSwitchCount> removeVisible_{};
};

}  // namespace vorda::editing
