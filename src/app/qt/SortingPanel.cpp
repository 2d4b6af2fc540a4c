// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/SortingPanel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/Settings.h"
#include "app/SortPanel.h"
#include "base/Text.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::platform;
using namespace vorda::naming;

namespace vorda::app {

namespace {

constexpr PatternKind kBoxKinds[] = {PatternKind::Input, PatternKind::Output, PatternKind::Path, PatternKind::Album};

// Check-box states as the settings store them: 0 clear, 1 checked, 2 grey.
void setCheckValue(QCheckBox* box, int value) {
    box->setCheckState(value == 2 ? Qt::PartiallyChecked : (value == 1 ? Qt::Checked : Qt::Unchecked));
}
int checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

// True when every character typed with the key passes the filter.
template <typename Allowed>
bool keyPasses(const QKeyEvent* key, Allowed allowed) {
    for (const char32_t ch : key->text().toUcs4()) {
        if (!allowed(ch)) return false;
    }
    return true;
}

QPushButton* newButton(QWidget* parent, const char* name, const char* caption, const char* tip) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    if (tip) button->setToolTip(QString::fromUtf8(tip));
    return button;
}

QComboBox* newPatternBox(QWidget* parent, const char* name, const char* tip) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(QString::fromUtf8(tip));
    box->setMinimumContentsLength(24);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

QCheckBox* newCheckBox(QWidget* parent, const char* name, const char* caption, const char* tip) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromUtf8(tip));
    return box;
}

QPushButton* newEditButton(QWidget* parent, const char* name, const char* tip) {
    QPushButton* button = newButton(parent, name, "Edit", tip);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 20);
    return button;
}

}  // namespace

// ============================================================ construction

SortingPanel::SortingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picTools"));
    // Wide enough for the usual patterns and folders; narrower windows squeeze it to 270.
    setMinimumWidth(270);
    setMaximumWidth(400);
    auto* panel = new QVBoxLayout(this);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(4);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("tabQSettings"));
    pages_->addTab(createFoldersPage(), QStringLiteral("Folders"));
    pages_->setTabToolTip(
        0, QStringLiteral("Specify which folders should be created and where files will be copied or moved to."));
    pages_->addTab(createPatternsPage(), QStringLiteral("Patterns"));
    pages_->setTabToolTip(1, QStringLiteral("Define input and output patterns for the filenames."));
    pages_->addTab(createRepairPage(), QStringLiteral("Repair"));
    panel->addWidget(pages_);

    methodFrame_ = new QGroupBox(QStringLiteral("Method:"), this);
    methodFrame_->setObjectName(QStringLiteral("fraMethod"));
    methodFrame_->setToolTip(QStringLiteral("What would you like to do with the files?"));
    auto* methods = new QHBoxLayout(methodFrame_);
    methods->setContentsMargins(6, 2, 6, 2);
    auto* group = new QButtonGroup(methodFrame_);
    const char* const captions[3] = {"Copy", "Move", "Rename"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), methodFrame_);
        option->setObjectName(QStringLiteral("optMethod%1").arg(i));
        group->addButton(option, i);
        methods->addWidget(option);
        methodButtons_[static_cast<size_t>(i)] = option;
        connect(option, &QRadioButton::clicked, this, [this, i] { emit methodClicked(i); });
    }
    panel->addWidget(methodFrame_);

    targetLabel_ = new QLabel(QStringLiteral("Target Folder:"), this);
    targetLabel_->setObjectName(QStringLiteral("lblTargetDir"));
    panel->addWidget(targetLabel_);
    auto* target = new QHBoxLayout;
    targetBox_ = new QLineEdit(this);
    targetBox_->setObjectName(QStringLiteral("txtTargetDir"));
    targetBox_->setToolTip(QStringLiteral("The target folder where the files will be copied/moved to."));
    targetBox_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^") + QRegularExpression::escape(SortPanel::kRefusedTargetChars) +
                           QStringLiteral("]*")),
        targetBox_));
    targetBox_->installEventFilter(this);
    connect(targetBox_, &QLineEdit::textEdited, this, &SortingPanel::targetTyped);
    targetLabel_->setBuddy(targetBox_);
    target->addWidget(targetBox_, 1);
    browseButton_ = newButton(this, "cmdTargetDir", "Browse", "Browse for the target folder to sort to.");
    connect(browseButton_, &QPushButton::clicked, this, &SortingPanel::browseClicked);
    target->addWidget(browseButton_);
    panel->addLayout(target);

    panel->addWidget(new QLabel(QStringLiteral("Old filename:"), this));
    oldNameBox_ = new QLineEdit(this);
    oldNameBox_->setObjectName(QStringLiteral("txtOldName"));
    oldNameBox_->setReadOnly(true);
    oldNameBox_->installEventFilter(this);
    panel->addWidget(oldNameBox_);
    panel->addWidget(new QLabel(QStringLiteral("New filename:"), this));
    newNameBox_ = new QLineEdit(this);
    newNameBox_->setObjectName(QStringLiteral("txtNewName"));
    newNameBox_->installEventFilter(this);
    connect(newNameBox_, &QLineEdit::returnPressed, this, &SortingPanel::sortSelectedClicked);
    panel->addWidget(newNameBox_);
    fixFilenamesCheck_ = newCheckBox(this, "chkFixFilenames", "Fix filenames",
                                     "While sorting or renaming Vorda will clean up the filenames according to the "
                                     "settings.");
    connect(fixFilenamesCheck_, &QCheckBox::clicked, this, &SortingPanel::previewInputsChanged);
    panel->addWidget(fixFilenamesCheck_);

    auto* sortRow = new QHBoxLayout;
    sortAllButton_ = newButton(this, "cmdSort", "Sort All", "Sort all files in the list. (F4)");
    sortSelectedButton_ = newButton(this, "cmdSortSelected", "Sort Selected", "Sort the selected file(s) only. (F5)");
    connect(sortAllButton_, &QPushButton::clicked, this, &SortingPanel::sortAllClicked);
    connect(sortSelectedButton_, &QPushButton::clicked, this, &SortingPanel::sortSelectedClicked);
    sortRow->addWidget(sortAllButton_);
    sortRow->addWidget(sortSelectedButton_);
    panel->addLayout(sortRow);
    QPushButton* freedb =
        newButton(this, "cmdFreeDB", "freedb", "Get tag information about the selected album from freedb. (F8)");
    connect(freedb, &QPushButton::clicked, this, &SortingPanel::freedbClicked);
    panel->addWidget(freedb);
    panel->addStretch(1);

    for (PatternKind kind : kBoxKinds) {
        QComboBox* box = patternBox(kind);
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    // The new name follows the output pattern (typed or chosen) and the input pattern.
    connect(outPatternBox_, &QComboBox::editTextChanged, this, &SortingPanel::previewInputsChanged);
    connect(inPatternBox_, &QComboBox::editTextChanged, this, &SortingPanel::previewInputsChanged);
}

QWidget* SortingPanel::createFoldersPage() {
    auto* page = new QWidget(pages_);
    page->setObjectName(QStringLiteral("picFolders"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(new QLabel(QStringLiteral("General:"), page), 0, 0);
    pathPatternBox_ = newPatternBox(page, "cmbPathPattern",
                                    "Here you can define a pattern for folders to be created when sorting files.");
    grid->addWidget(pathPatternBox_, 1, 0);
    QPushButton* editPath = newEditButton(page, "cmdEditPathPatterns", "Edit general folder output patterns.");
    connect(editPath, &QPushButton::clicked, this, [this] { emit editPatternsClicked(PatternKind::Path); });
    grid->addWidget(editPath, 1, 1);
    albumPatternCheck_ = newCheckBox(page, "chkAlbumPattern", "Albums:",
                                     "Enable this if you want to sort albums to a different location or create "
                                     "special subfolders for albums.");
    grid->addWidget(albumPatternCheck_, 2, 0);
    albumPatternBox_ = newPatternBox(page, "cmbAlbumPattern",
                                     "This pattern will be used to create folders when Vorda detects an album while "
                                     "sorting files. An album is defined under Options->Settings.");
    grid->addWidget(albumPatternBox_, 3, 0);
    QPushButton* editAlbum = newEditButton(page, "cmdEditAlbumPatterns", "Edit album output patterns.");
    connect(editAlbum, &QPushButton::clicked, this, [this] { emit editPatternsClicked(PatternKind::Album); });
    grid->addWidget(editAlbum, 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* SortingPanel::createPatternsPage() {
    auto* page = new QWidget(pages_);
    page->setObjectName(QStringLiteral("picPatterns"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(new QLabel(QStringLiteral("Input:"), page), 0, 0);
    inPatternBox_ =
        newPatternBox(page, "cmbInPattern",
                      "This pattern should match the current filenames so that Vorda can get information from them.");
    grid->addWidget(inPatternBox_, 0, 1);
    QPushButton* editIn = newEditButton(page, "cmdEditInPatterns", "Edit input patterns.");
    connect(editIn, &QPushButton::clicked, this, [this] { emit editPatternsClicked(PatternKind::Input); });
    grid->addWidget(editIn, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Output:"), page), 1, 0);
    outPatternBox_ = newPatternBox(page, "cmbOutPattern", "This pattern will be used for the new filenames.");
    grid->addWidget(outPatternBox_, 1, 1);
    QPushButton* editOut = newEditButton(page, "cmdEditOutPatterns", "Edit output patterns.");
    connect(editOut, &QPushButton::clicked, this, [this] { emit editPatternsClicked(PatternKind::Output); });
    grid->addWidget(editOut, 1, 2);
    detectCheck_ = newCheckBox(page, "chkDetectInPattern", "Autodetect input pattern.",
                               "Vorda will automaticly detect the best matching input pattern for each file.");
    grid->addWidget(detectCheck_, 2, 0, 1, 3);
    subfoldersCheck_ =
        newCheckBox(page, "chkScanSubfolders", "Scan subfolders", "Scanning a lot of files may take several minutes.");
    connect(subfoldersCheck_, &QCheckBox::clicked, this, &SortingPanel::scanSubfoldersClicked);
    grid->addWidget(subfoldersCheck_, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* SortingPanel::createRepairPage() {
    auto* page = new QWidget(pages_);
    page->setObjectName(QStringLiteral("picRepair"));
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(6, 6, 6, 6);
    QPushButton* removeJunk =
        newButton(page, "cmdRemJunk", "Remove Junk",
                  "Remove junk data before first mp3 frame. If a mp3 file without ID3v2 has it's header at "
                  "a position greater than zero it probably contains junk data.");
    connect(removeJunk, &QPushButton::clicked, this, &SortingPanel::removeJunkClicked);
    box->addWidget(removeJunk);
    box->addStretch(1);
    return page;
}

// ============================================================ settings

void SortingPanel::load(const Settings& s) {
    setCheckValue(fixFilenamesCheck_, s.fixFilenames);
    setCheckValue(subfoldersCheck_, s.scanSubFolders);
    setCheckValue(detectCheck_, s.detectInPattern);
    setCheckValue(albumPatternCheck_, s.useAlbumPattern);
    fillPatternBox(PatternKind::Input, s.currentInPattern, s.inPatterns);
    fillPatternBox(PatternKind::Output, s.currentOutPattern, s.outPatterns);
    fillPatternBox(PatternKind::Path, s.currentPathPattern, s.pathPatterns);
    fillPatternBox(PatternKind::Album, s.currentAlbumPattern, s.albumPatterns);
}

void SortingPanel::store(Settings& s) const {
    s.fixFilenames = checkValue(fixFilenamesCheck_);
    s.scanSubFolders = checkValue(subfoldersCheck_);
    s.detectInPattern = checkValue(detectCheck_);
    s.useAlbumPattern = checkValue(albumPatternCheck_);
    s.currentInPattern = pathFromQt(inPatternBox_->currentText());
    s.currentOutPattern = pathFromQt(outPatternBox_->currentText());
    s.currentPathPattern = pathFromQt(pathPatternBox_->currentText());
    s.currentAlbumPattern = pathFromQt(albumPatternBox_->currentText());
}

QCheckBox* SortingPanel::optionBox(Option option) const {
    switch (option) {
    case Option::FixFilenames: return fixFilenamesCheck_;
    case Option::DetectInPattern: return detectCheck_;
    case Option::ScanSubfolders: return subfoldersCheck_;
    case Option::AlbumPattern: return albumPatternCheck_;
    }
    return fixFilenamesCheck_;
}

Qt::CheckState SortingPanel::optionState(Option option) const { return optionBox(option)->checkState(); }

// ============================================================ pattern boxes

QComboBox* SortingPanel::patternBox(PatternKind kind) const {
    switch (kind) {
    case PatternKind::Input: return inPatternBox_;
    case PatternKind::Output: return outPatternBox_;
    case PatternKind::Path: return pathPatternBox_;
    case PatternKind::Album: return albumPatternBox_;
    default: return nullptr;
    }
}

QString SortingPanel::patternText(PatternKind kind) const {
    const QComboBox* box = patternBox(kind);
    return box ? box->currentText() : QString();
}

void SortingPanel::setPatternText(PatternKind kind, const QString& text, bool startShown) {
    QComboBox* box = patternBox(kind);
    if (!box) return;
    box->setEditText(text);
    if (startShown) box->lineEdit()->setCursorPosition(0);
}

void SortingPanel::fillPatternBox(PatternKind kind, const std::string& current,
                                  const std::vector<std::string>& entries) {
    QComboBox* box = patternBox(kind);
    if (!box) return;
    box->clear();
    for (const std::string& entry : entries) box->addItem(displayText(entry));
    box->setCurrentIndex(-1);
    box->setEditText(displayText(current));
    box->lineEdit()->setCursorPosition(0);  // a long pattern shows its start
}

// ============================================================ method and target folder

void SortingPanel::showMethodButton(int button) {
    if (button >= 0 && button < 3) {
        methodButtons_[static_cast<size_t>(button)]->setChecked(true);
        return;
    }
    // A method the switch never produces leaves all three buttons clear.
    QButtonGroup* group = methodButtons_[0]->group();
    group->setExclusive(false);
    for (QRadioButton* option : methodButtons_) option->setChecked(false);
    group->setExclusive(true);
}

void SortingPanel::setCaptions(const QString& sortAll, const QString& sortSelected, const QString& targetLabel,
                               bool browseEnabled) {
    sortAllButton_->setText(sortAll);
    sortSelectedButton_->setText(sortSelected);
    targetLabel_->setText(targetLabel);
    browseButton_->setEnabled(browseEnabled);
}

void SortingPanel::showTarget(const QString& text, bool locked) {
    if (targetBox_->text() != text) targetBox_->setText(text);
    targetBox_->setReadOnly(locked);
    QPalette palette = targetBox_->palette();
    palette.setColor(QPalette::Base, locked ? QApplication::palette().color(QPalette::Button) : QColor(255, 255, 192));
    palette.setColor(QPalette::Text, QApplication::palette().color(QPalette::ButtonText));
    targetBox_->setPalette(palette);
}

bool SortingPanel::targetHasFocus() const { return targetBox_->hasFocus(); }

void SortingPanel::selectTarget() { targetBox_->selectAll(); }

void SortingPanel::showPatternsPage() { pages_->setCurrentIndex(1); }

// ============================================================ file names

QString SortingPanel::oldName() const { return oldNameBox_->text(); }

QString SortingPanel::newName() const { return newNameBox_->text(); }

void SortingPanel::setOldName(const QString& name) { oldNameBox_->setText(name); }

void SortingPanel::setNewName(const QString& name) { newNameBox_->setText(name); }

void SortingPanel::clearNames() {
    oldNameBox_->clear();
    newNameBox_->clear();
}

// ============================================================ keys and focus

bool SortingPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == targetBox_) {
            emit targetLeft();
            return false;
        }
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // The box's own drop-down and a window switch are no leaving of the box.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
        for (PatternKind kind : kBoxKinds) {
            if (watched == patternBox(kind)) emit patternBoxLeft(kind);
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == newNameBox_ || watched == oldNameBox_) {
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            emit nameStepRequested(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
        if (watched == newNameBox_) return !keyPasses(key, newNameKeyAllowed);
        return false;
    }
    for (PatternKind kind : kBoxKinds) {
        QComboBox* box = patternBox(kind);
        if (watched != box && watched != box->lineEdit()) continue;
        return !keyPasses(key, [kind](char32_t ch) { return patternKeyAllowed(kind, ch); });
    }
    return false;
}

}  // namespace vorda::app
