// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/OptionsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ReplaceListRules.h"
#include "app/Settings.h"
#include "app/qt/OptionsSupport.h"
#include "app/qt/ReplaceListDialog.h"
#include "platform/PlatformServices.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::platform;

namespace vorda::app {

namespace {

const char* const kPageNames[] = {"General", "Filename", "Tag", "freedb", "Sorting"};

const char* const kFileCaseOptions[] = {"No changes.", "First letter in every word uppercase.",
                                        "The first letter in artist, title and album uppercase.",
                                        "All letters UPPERCASE.", "All letters lowercase."};
const char* const kFieldCaseOptions[] = {"No changes.", "First letter in every word uppercase.",
                                         "First letter in the field uppercase.", "All letters UPPERCASE.",
                                         "All letters lowercase."};

QString q(const char* text) { return QString::fromUtf8(text); }

template <typename W>
W* named(W* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(q(name));
    if (tip) w->setToolTip(q(tip));
    return w;
}

QCheckBox* check(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr) {
    return named(new QCheckBox(q(caption), parent), name, tip);
}

QLabel* label(QWidget* parent, const char* caption) { return new QLabel(q(caption), parent); }

// A row "caption [box] unit".
QHBoxLayout* numberRow(QWidget* lead, QLineEdit* box, QLabel* unit, int width = 60) {
    auto* row = new QHBoxLayout;
    box->setFixedWidth(width);
    row->addWidget(lead);
    row->addWidget(box);
    if (unit) row->addWidget(unit);
    row->addStretch();
    return row;
}

template <size_t N>
QGroupBox* optionGroup(QWidget* parent, const char* caption, const char* name, std::array<QRadioButton*, N>& buttons,
                       const char* const* captions, const char* const* tips = nullptr) {
    auto* box = new QGroupBox(q(caption), parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (size_t i = 0; i < N; ++i) {
        buttons[i] = new QRadioButton(q(captions[i]), box);
        buttons[i]->setObjectName(q(name) + QString::number(i));
        if (tips) buttons[i]->setToolTip(q(tips[i]));
        group->addButton(buttons[i], static_cast<int>(i));
        layout->addWidget(buttons[i]);
    }
    return box;
}

template <size_t N>
int checkedIndex(const std::array<QRadioButton*, N>& buttons, int none) {
    for (size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked()) return static_cast<int>(i);
    return none;
}

template <size_t N>
void checkIndex(const std::array<QRadioButton*, N>& buttons, int index) {
    if (index >= 0 && index < static_cast<int>(N)) {
        buttons[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    // An index outside the group leaves every option clear.
    QButtonGroup* group = buttons[0]->group();
    group->setExclusive(false);
    for (QRadioButton* b : buttons) b->setChecked(false);
    group->setExclusive(true);
}

QComboBox* tagUseCombo(QWidget* parent, const char* name) {
    auto* combo = named(new QComboBox(parent), name);
    combo->addItems({q("If needed"), q("If wanted"), q("Always"), q("Never!")});
    return combo;
}

}  // namespace

OptionsDialog::OptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(q("frmOptions"));
    setWindowTitle(q("Vorda") + q(" - Settings"));
    setModal(true);

    treeOptions = named(new QTreeWidget(this), "treeOptions");
    treeOptions->setHeaderHidden(true);
    treeOptions->setRootIsDecorated(false);
    treeOptions->setFixedWidth(130);
    for (const char* name : kPageNames) new QTreeWidgetItem(treeOptions, QStringList{q(name)});

    lblActiveSetting = named(new QLabel(this), "lblActiveSetting");
    QFont bold = lblActiveSetting->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    lblActiveSetting->setFont(bold);

    picTab = named(new QStackedWidget(this), "picTab");
    for (int i = 0; i < 5; ++i) {
        auto* page = new QWidget(picTab);
        page->setObjectName(q("picTab") + QString::number(i));
        picTab->addWidget(page);
    }
    buildGeneralPage(picTab->widget(0));
    buildFilenamePage(picTab->widget(1));
    buildFormattingFrame();
    buildTagPage(picTab->widget(2));
    buildFreedbPage(picTab->widget(3));
    buildSortingPage(picTab->widget(4));

    cmdOk = named(new QPushButton(q("&OK"), this), "cmdOk");
    cmdCancel = named(new QPushButton(q("&Cancel"), this), "cmdCancel");
    cmdOk->setDefault(true);
    cmdCancel->setAutoDefault(false);

    auto* right = new QVBoxLayout;
    right->addWidget(lblActiveSetting);
    right->addWidget(picTab);
    right->addWidget(fraFormatting);
    right->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(treeOptions);
    body->addLayout(right, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(treeOptions, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showPage(item ? treeOptions->indexOfTopLevelItem(item) : 0); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { onOk(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    treeOptions->setCurrentItem(treeOptions->topLevelItem(0));
    showPage(0);
    loadControls();
}

void OptionsDialog::buildGeneralPage(QWidget* page) {
    chkAutoReadTags = check(page, "chkAutoReadTags", "Auto read tags.",
                            "Vorda will read and show all tag information when files are added.");
    chkReadTags = check(page, "chkReadTags", "Read tags on file selection.",
                        "Vorda will extract and show tag information from the selected file.");
    chkAutoRemJunk =
        check(page, "chkAutoRemJunk", "Automaticly remove junk data when tags are saved. (Not recommended)",
              "When tag is written Vorda will automaticly remove 'junk data' before the first mpeg "
              "frame. (Might corrupt VBR mp3s)");
    chkIgnoreReadOnly = check(page, "chkIgnoreReadOnly", "Don't prompt when read-only attribute is set.",
                              "When checked the read-only attribute will be ignored. Otherwise Vorda will ask "
                              "the user what to do.");
    chkRecycle = check(page, "chkRecycle", "Always delete files to recycle bin.");

    auto* types = new QGroupBox(q("Visible filetypes:"), page);
    chkAllFileTypes = check(types, "chkAllFileTypes", "Show all files.");
    lstFiletypes = named(new QListWidget(types), "lstFiletypes");
    lstFiletypes->setFixedHeight(110);
    txtFiletypes = named(new QLineEdit(types), "txtFiletypes");
    txtFiletypes->setValidator(new RuleValidator(InputRule::FileType, txtFiletypes));
    cmdFiletypeAdd = named(new QPushButton(q("Add file extension"), types), "cmdFiletypeAdd", "Add file extension");
    cmdFiletypeRem = named(new QPushButton(q("Remove selected file extension."), types), "cmdFiletypeRem",
                           "Remove selected file extension.");
    for (QPushButton* b : {cmdFiletypeAdd, cmdFiletypeRem}) b->setAutoDefault(false);

    auto* typeButtons = new QVBoxLayout;
    typeButtons->addWidget(txtFiletypes);
    typeButtons->addWidget(cmdFiletypeAdd);
    typeButtons->addWidget(cmdFiletypeRem);
    typeButtons->addStretch();
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(lstFiletypes, 1);
    typeRow->addLayout(typeButtons);
    auto* typeLayout = new QVBoxLayout(types);
    typeLayout->addWidget(chkAllFileTypes);
    typeLayout->addLayout(typeRow);

    auto* player = new QGroupBox(q("Media player:"), page);
    txtPlayerPath = named(new QLineEdit(player), "txtPlayerPath",
                          "The program of the player the \"Media player\" menu drives. When empty, the first of "
                          "audacious, vlc, strawberry, clementine and rhythmbox that is installed.");
    txtPlayerPath->setPlaceholderText(q("(find one)"));
    cmdPlayerPath = named(new QPushButton(q("..."), player), "cmdPlayerPath", "Choose the player program");
    cmdPlayerPath->setAutoDefault(false);
    auto* playerRow = new QHBoxLayout(player);
    playerRow->addWidget(label(player, "Program:"));
    playerRow->addWidget(txtPlayerPath, 1);
    playerRow->addWidget(cmdPlayerPath);

    auto* layout = new QVBoxLayout(page);
    for (QWidget* w : std::initializer_list<QWidget*>{chkAutoReadTags, chkReadTags, chkAutoRemJunk, chkIgnoreReadOnly,
                                                      chkRecycle, types, player})
        layout->addWidget(w);
    layout->addStretch();

    connect(chkAllFileTypes, &QCheckBox::toggled, this, [this](bool on) {
        fileTypes_.setShowAll(on);
        showFileTypes(-1);
    });
    connect(cmdPlayerPath, &QPushButton::clicked, this, [this] { onChoosePlayer(); });
    connect(cmdFiletypeAdd, &QPushButton::clicked, this, [this] { onFiletypeAdd(); });
    connect(cmdFiletypeRem, &QPushButton::clicked, this, [this] { onFiletypeRemove(); });
    connect(lstFiletypes, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { txtFiletypes->setText(item->text()); });
}

void OptionsDialog::buildFilenamePage(QWidget* page) {
    chkUseTags = check(page, "chkUseTags", "Create filename from tag if possible.");

    auto* extension = new QGroupBox(q("File extension"), page);
    chkLowext = check(extension, "chkLowext", "Use lowercase extensions.", "Make extension lowercase.");
    (new QVBoxLayout(extension))->addWidget(chkLowext);

    chkFNameLength = check(page, "chkFNameLength", "Limit filename to");
    txtMaxFNameLength = named(new QLineEdit(page), "txtMaxFNameLength");

    chkSetAttributes = check(page, "chkSetAttributes", "Set file attributes",
                             "These attributes will be applied to each sorted, renamed or tagged file.");
    chkReadOnly = check(page, "chkReadOnly", "Read-only");
    chkHidden = check(page, "chkHidden", "Hidden");
    chkArchive = check(page, "chkArchive", "Archive");
    // Linux files carry no hidden or archive attribute: the options are kept but cannot be set.
    chkHidden->setEnabled(false);
    chkArchive->setEnabled(false);
    auto* attributes = new QHBoxLayout;
    attributes->addSpacing(20);
    attributes->addWidget(chkReadOnly);
    attributes->addWidget(chkHidden);
    attributes->addWidget(chkArchive);
    attributes->addStretch();

    QGroupBox* caseBox = optionGroup(page, "Filename - Case Conversion", "optChange", optChange, kFileCaseOptions);
    chkFNamelcaseFirst = check(caseBox, "chkFNamelcaseFirst", "Always make filename lowercase first.");
    static_cast<QVBoxLayout*>(caseBox->layout())->insertWidget(0, chkFNamelcaseFirst);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkUseTags);
    layout->addWidget(extension);
    layout->addLayout(numberRow(chkFNameLength, txtMaxFNameLength, label(page, "characters.")));
    layout->addWidget(chkSetAttributes);
    layout->addLayout(attributes);
    layout->addWidget(caseBox);
    layout->addStretch();
}

void OptionsDialog::buildFormattingFrame() {
    fraFormatting = named(new QGroupBox(q("Formatting (Applied to both filnames and tags)"), this), "fraFormatting");
    QWidget* f = fraFormatting;
    chkUndtospace = check(f, "chkUndtospace", "Convert underscore (_) to space.");
    chk20tospace = check(f, "chk20tospace", "Convert %20 to space.");
    chkSpaces = check(f, "chkSpaces", "Remove multiple spaces.");
    chkMisses = check(f, "chkMisses", "Fix common misstakes.");
    const char* padTip = "The track number will be padded with zeroes (\"1\" => \"01\").";
    chkPadTrackNr = check(f, "chkPadTrackNr", "Pad track numbers to", padTip);
    txtTrackDigits = named(new QLineEdit(f), "txtTrackDigits", padTip);
    chkRemoveChars = check(f, "chkRemoveChars", "Remove all of these characters:");
    txtRemoveChars = named(new QLineEdit(f), "txtRemoveChars");
    chkReplace = check(f, "chkReplace", "Use replaces");
    cmdEditReplaces = named(new QPushButton(q("Edit replaces"), f), "cmdEditReplaces");
    cmdEditReplaces->setAutoDefault(false);

    auto* grid = new QGridLayout(fraFormatting);
    grid->addWidget(chkUndtospace, 0, 0);
    grid->addWidget(chk20tospace, 0, 1);
    grid->addWidget(chkSpaces, 1, 0);
    grid->addWidget(chkMisses, 1, 1);
    grid->addLayout(numberRow(chkPadTrackNr, txtTrackDigits, label(f, "digits."), 40), 2, 0, 1, 2);
    grid->addWidget(chkRemoveChars, 3, 0, 1, 2);
    grid->addWidget(txtRemoveChars, 4, 0, 1, 2);
    auto* replaceRow = new QHBoxLayout;
    replaceRow->addWidget(chkReplace);
    replaceRow->addWidget(cmdEditReplaces);
    replaceRow->addStretch();
    grid->addLayout(replaceRow, 5, 0, 1, 2);

    connect(cmdEditReplaces, &QPushButton::clicked, this, [this] { onEditReplaces(); });
}

void OptionsDialog::buildTagPage(QWidget* page) {
    chkKeepSync = check(page, "chkKeepSync", "Keep tags synchronized.",
                        "Vorda will keep ID3v1, Lyrics3 and ID3v2 tags synchronized.");

    QGroupBox* caseBox =
        optionGroup(page, "Field - Case Conversion", "optID3CaseChange", optID3CaseChange, kFieldCaseOptions);
    chkID3lcaseFirst = check(caseBox, "chkID3lcaseFirst", "Always make field lowercase first.");
    static_cast<QVBoxLayout*>(caseBox->layout())->insertWidget(0, chkID3lcaseFirst);

    cmbUseID3v1 = tagUseCombo(page, "cmbUseID3v1");
    cmbUseID3v2 = tagUseCombo(page, "cmbUseID3v2");
    cmbUseLyrics3 = tagUseCombo(page, "cmbUseLyrics3");
    auto* use = new QGridLayout;
    use->addWidget(label(page, "Use ID3v1:"), 0, 0);
    use->addWidget(cmbUseID3v1, 0, 1);
    use->addWidget(label(page, "If needed = Vorda decides (default)."), 0, 2);
    use->addWidget(label(page, "Use ID3v2:"), 1, 0);
    use->addWidget(cmbUseID3v2, 1, 1);
    use->addWidget(label(page, "If wanted = User decides."), 1, 2);
    use->addWidget(label(page, "Use Lyrics3:"), 2, 0);
    use->addWidget(cmbUseLyrics3, 2, 1);
    use->addWidget(label(page, "Always = tag will always be added."), 2, 2);
    use->addWidget(label(page, "Never = tag will always be removed."), 3, 2);
    use->setColumnStretch(2, 1);

    txtAddPaddingSize = named(new QLineEdit(page), "txtAddPaddingSize");
    txtMaxPadding = named(new QLineEdit(page), "txtMaxPadding");

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkKeepSync);
    layout->addWidget(caseBox);
    layout->addLayout(use);
    layout->addLayout(numberRow(label(page, "Padding to add when ID3v2 tag is saved:"), txtAddPaddingSize,
                                label(page, "bytes."), 70));
    layout->addLayout(
        numberRow(label(page, "Maximum padding limit:"), txtMaxPadding, label(page, "bytes. (-1 = No limit)"), 70));
    layout->addStretch();
}

void OptionsDialog::buildFreedbPage(QWidget* page) {
    txtFreeDBServer = named(new QLineEdit(page), "txtFreeDBServer");
    txtFreeDBPort = named(new QLineEdit(page), "txtFreeDBPort");
    txtFreeDBUser = named(new QLineEdit(page), "txtFreeDBUser");
    txtFreeDBHost = named(new QLineEdit(page), "txtFreeDBHost");
    chkFreeDBFormatting = check(page, "chkFreeDBFormatting", "Apply tag formatting on freedb results.");

    auto* grid = new QGridLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {{"freedb server:", txtFreeDBServer},
                                                       {"freedb port:", txtFreeDBPort},
                                                       {"Username:", txtFreeDBUser},
                                                       {"Host:", txtFreeDBHost}};
    int r = 0;
    for (const auto& [caption, box] : rows) {
        grid->addWidget(label(page, caption), r, 0);
        grid->addWidget(box, r++, 1);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addWidget(chkFreeDBFormatting);
    layout->addStretch();
}

void OptionsDialog::buildSortingPage(QWidget* page) {
    const char* folderTip =
        "The patterns used for creating folders can be found on the \"Folders\" tab in the main Vorda window.";
    chkSortToExistingFolders =
        check(page, "chkSortToExistingFolders", "Always sort to album folder if it already exists.", folderTip);
    txtAlbumSize = named(new QLineEdit(page), "txtAlbumSize", folderTip);

    const char* const existsCaptions[] = {"Prompt", "Skip", "Replace"};
    const char* const existsTips[] = {"Ask the user what to do if the file exists.", "Do not replace existing files.",
                                      "Replace existing files without asking."};
    QGroupBox* exists =
        optionGroup(page, "If destination file exists:", "optExists", optExists, existsCaptions, existsTips);
    const char* const emptyCaptions[] = {"Don't sort it.", "Ask me what to do.", "Sort anyway."};
    QGroupBox* empty =
        optionGroup(page, "If a field used in the output pattern is empty:", "optID3Empty", optID3Empty, emptyCaptions);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkSortToExistingFolders);
    layout->addLayout(numberRow(label(page, "An Album is at least"), txtAlbumSize,
                                label(page, "files with the same album frame in their tags."), 50));
    layout->addWidget(exists);
    layout->addWidget(empty);
    layout->addStretch();

    // The number boxes: typing rules, Enter, and the corrections when they lose the focus.
    const std::pair<QLineEdit*, InputRule> numberBoxes[] = {{txtAddPaddingSize, InputRule::Digits},
                                                            {txtAlbumSize, InputRule::Digits},
                                                            {txtMaxFNameLength, InputRule::Digits},
                                                            {txtMaxPadding, InputRule::SignedDigits},
                                                            {txtTrackDigits, InputRule::NonZeroDigits}};
    for (const auto& [box, rule] : numberBoxes) {
        box->setValidator(new RuleValidator(rule, box));
        box->installEventFilter(this);
    }
}

void OptionsDialog::loadControls() {
    const OptionsForm f = formFromSettings(settings());
    chkAutoReadTags->setChecked(f.chkAutoReadTags);
    chkReadTags->setChecked(f.chkReadTags);
    chkAutoRemJunk->setChecked(f.chkAutoRemJunk);
    chkIgnoreReadOnly->setChecked(f.chkIgnoreReadOnly);
    chkRecycle->setChecked(f.chkRecycle);
    fileTypes_ = FileTypeList(f.lstFiletypes);
    showFileTypes(-1);

    chkUseTags->setChecked(f.chkUseTags);
    chkLowext->setChecked(f.chkLowext);
    chkFNameLength->setChecked(f.chkFNameLength);
    chkSetAttributes->setChecked(f.chkSetAttributes);
    chkReadOnly->setChecked(f.chkReadOnly);
    chkHidden->setChecked(f.chkHidden);
    chkArchive->setChecked(f.chkArchive);
    chkFNamelcaseFirst->setChecked(f.chkFNamelcaseFirst);
    checkIndex(optChange, f.optChange);

    chkUndtospace->setChecked(f.chkUndtospace);
    chk20tospace->setChecked(f.chk20tospace);
    chkSpaces->setChecked(f.chkSpaces);
    chkMisses->setChecked(f.chkMisses);
    chkPadTrackNr->setChecked(f.chkPadTrackNr);
    chkRemoveChars->setChecked(f.chkRemoveChars);
    txtRemoveChars->setText(displayText(f.txtRemoveChars));
    chkReplace->setChecked(f.chkReplace);

    chkKeepSync->setChecked(f.chkKeepSync);
    chkID3lcaseFirst->setChecked(f.chkID3lcaseFirst);
    checkIndex(optID3CaseChange, f.optID3CaseChange);
    cmbUseID3v1->setCurrentIndex(f.cmbUseID3v1);
    cmbUseID3v2->setCurrentIndex(f.cmbUseID3v2);
    cmbUseLyrics3->setCurrentIndex(f.cmbUseLyrics3);

    txtFreeDBServer->setText(displayText(f.txtFreeDBServer));
    txtFreeDBPort->setText(displayText(f.txtFreeDBPort));
    txtFreeDBUser->setText(displayText(f.txtFreeDBUser));
    txtFreeDBHost->setText(displayText(f.txtFreeDBHost));
    chkFreeDBFormatting->setChecked(f.chkFreeDBFormatting);
    txtPlayerPath->setText(displayText(f.txtPlayerPath));

    chkSortToExistingFolders->setChecked(f.chkSortToExistingFolders);
    checkIndex(optExists, f.optExists);
    checkIndex(optID3Empty, f.optID3Empty);
    showNumberTexts(f);
}

void OptionsDialog::showNumberTexts(const OptionsForm& f) {
    txtMaxFNameLength->setText(displayText(f.txtMaxFNameLength));
    txtTrackDigits->setText(displayText(f.txtTrackDigits));
    txtAddPaddingSize->setText(displayText(f.txtAddPaddingSize));
    txtMaxPadding->setText(displayText(f.txtMaxPadding));
    txtAlbumSize->setText(displayText(f.txtAlbumSize));
}

OptionsForm OptionsDialog::readControls() const {
    OptionsForm f;
    f.chkAutoReadTags = chkAutoReadTags->isChecked();
    f.chkReadTags = chkReadTags->isChecked();
    f.chkAutoRemJunk = chkAutoRemJunk->isChecked();
    f.chkIgnoreReadOnly = chkIgnoreReadOnly->isChecked();
    f.chkRecycle = chkRecycle->isChecked();
    f.lstFiletypes = fileTypes_.types();

    f.chkUseTags = chkUseTags->isChecked();
    f.chkLowext = chkLowext->isChecked();
    f.chkFNameLength = chkFNameLength->isChecked();
    f.txtMaxFNameLength = txtMaxFNameLength->text().toStdString();
    f.chkSetAttributes = chkSetAttributes->isChecked();
    f.chkReadOnly = chkReadOnly->isChecked();
    f.chkHidden = chkHidden->isChecked();
    f.chkArchive = chkArchive->isChecked();
    f.chkFNamelcaseFirst = chkFNamelcaseFirst->isChecked();
    f.optChange = checkedIndex(optChange, static_cast<int>(settings().caseChange));

    f.chkUndtospace = chkUndtospace->isChecked();
    f.chk20tospace = chk20tospace->isChecked();
    f.chkSpaces = chkSpaces->isChecked();
    f.chkMisses = chkMisses->isChecked();
    f.chkPadTrackNr = chkPadTrackNr->isChecked();
    f.txtTrackDigits = txtTrackDigits->text().toStdString();
    f.chkRemoveChars = chkRemoveChars->isChecked();
    f.txtRemoveChars = txtRemoveChars->text().toStdString();
    f.chkReplace = chkReplace->isChecked();

    f.chkKeepSync = chkKeepSync->isChecked();
    f.chkID3lcaseFirst = chkID3lcaseFirst->isChecked();
    f.optID3CaseChange = checkedIndex(optID3CaseChange, static_cast<int>(settings().tagCaseChange));
    f.cmbUseID3v1 = cmbUseID3v1->currentIndex();
    f.cmbUseID3v2 = cmbUseID3v2->currentIndex();
    f.cmbUseLyrics3 = cmbUseLyrics3->currentIndex();
    f.txtAddPaddingSize = txtAddPaddingSize->text().toStdString();
    f.txtMaxPadding = txtMaxPadding->text().toStdString();

    f.txtFreeDBServer = txtFreeDBServer->text().toStdString();
    f.txtFreeDBPort = txtFreeDBPort->text().toStdString();
    f.txtFreeDBUser = txtFreeDBUser->text().toStdString();
    f.txtFreeDBHost = txtFreeDBHost->text().toStdString();
    f.chkFreeDBFormatting = chkFreeDBFormatting->isChecked();
    f.txtPlayerPath = txtPlayerPath->text().toStdString();

    f.chkSortToExistingFolders = chkSortToExistingFolders->isChecked();
    f.txtAlbumSize = txtAlbumSize->text().toStdString();
    f.optExists = checkedIndex(optExists, 0);
    f.optID3Empty = checkedIndex(optID3Empty, settings().emptyFieldAction);
    return f;
}

void OptionsDialog::showPage(int index) {
    if (index < 0 || index >= picTab->count()) return;
    picTab->setCurrentIndex(index);
    lblActiveSetting->setText(treeOptions->topLevelItem(index)->text(0) + q(" settings"));
    fraFormatting->setVisible(index == 1 || index == 2);
}

void OptionsDialog::showFileTypes(int select) {
    lstFiletypes->clear();
    for (const std::string& type : fileTypes_.types()) lstFiletypes->addItem(displayText(type));
    if (select >= 0 && select < lstFiletypes->count()) lstFiletypes->setCurrentRow(select);
    const QSignalBlocker block(chkAllFileTypes);
    chkAllFileTypes->setChecked(fileTypes_.showsAll());
}

void OptionsDialog::onFiletypeAdd() {
    if (fileTypes_.add(txtFiletypes->text().toStdString())) {
        txtFiletypes->clear();
        showFileTypes(static_cast<int>(fileTypes_.types().size()) - 1);
    }
}

void OptionsDialog::onFiletypeRemove() {
    const int row = lstFiletypes->currentRow();
    if (lstFiletypes->currentItem() == nullptr || !lstFiletypes->currentItem()->isSelected()) return;
    if (fileTypes_.removeAt(row)) showFileTypes(std::min(row, lstFiletypes->count() - 2));
}

void OptionsDialog::onEditReplaces() {
    ReplaceListDialog editor(this);
    editor.reset();
    for (const auto& [find, replacement] : replacesForEditor(settings())) editor.addReplace(find, replacement);
    editor.exec();
    IniFile ini(settingsFilePath());
    applyReplaceEdit(settings(), ini, editor.wasCanceled(), editor.rules().pairs());
}

void OptionsDialog::onChoosePlayer() {
    const std::string current = txtPlayerPath->text().toStdString();
    std::string chosen;
    if (choosePlayerProgram) {
        chosen = choosePlayerProgram(current);
    } else {
        const QString start = current.empty() ? q("/usr/bin") : QFileInfo(txtPlayerPath->text()).absolutePath();
        chosen = QFile::encodeName(QFileDialog::getOpenFileName(this, q("Choose the media player program"), start))
                     .toStdString();
    }
    if (!chosen.empty()) txtPlayerPath->setText(displayText(chosen));
}

void OptionsDialog::onOk() {
    OptionsForm form = readControls();
    IniFile ini(settingsFilePath());
    const std::string message = applyOptionsForm(form, settings(), ini);
    showNumberTexts(form);
    if (!message.empty()) {
        showMessage(this, QMessageBox::Information, message);
        return;
    }
    emit tagFieldMaxLengthChanged(lyricsFieldMaxLength(settings().useLyrics3));
    accept();
}

void OptionsDialog::onFocusLost(QLineEdit* box) {
    const std::string text = box->text().toStdString();
    if (box == txtAddPaddingSize) {
        const PaddingCorrection c = correctAddPadding(text, txtMaxPadding->text().toStdString());
        box->setText(displayText(c.text));
        if (!c.message.empty()) showMessage(this, QMessageBox::Information, c.message);
        return;
    }
    NumberBox kind = NumberBox::AlbumSize;
    if (box == txtMaxFNameLength)
        kind = NumberBox::MaxFNameLength;
    else if (box == txtMaxPadding)
        kind = NumberBox::MaxPadding;
    else if (box == txtTrackDigits)
        kind = NumberBox::TrackDigits;
    box->setText(displayText(correctNumberText(kind, text)));
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    const auto* validator = box ? dynamic_cast<const RuleValidator*>(box->validator()) : nullptr;
    if (validator) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && swallowsEnter(validator->rule())) return true;
        } else if (event->type() == QEvent::FocusOut) {
            // Switching to another window or opening a menu is no leaving of the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) onFocusLost(box);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorda::app
