// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's bookmark buttons, tag area and sorting panel, with the commands of
// the target folder, the bookmarks, the view toggles, help and about.
#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "app/qt/OptionsDialog.h"
#include "base/Text.h"
#include "platform/PlatformDialogs.h"
#include "platform/PlatformServices.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

namespace {

QString text(const std::string& text) { return QString::fromStdString(toDisplayUtf8(text)); }
QString pathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string pathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

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

// The pattern editor opens from these buttons once it is part of the program.
QPushButton* newEditButton(QWidget* parent, const char* name, const char* tip) {
    QPushButton* button = newButton(parent, name, "Edit", tip);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 20);
    button->setEnabled(false);
    return button;
}

}  // namespace

// ============================================================ construction

void MainWindow::createBookmarkButtons(QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (int i = 0; i < Bookmarks::kCount; ++i) {
        auto* button = new QToolButton(parent);
        button->setObjectName(QStringLiteral("cmdFavourite%1").arg(i));
        button->setText(QString::number(i + 1));
        button->setToolTip(QStringLiteral("Folder bookmark #%1").arg(i + 1));
        button->setIcon(QIcon::fromTheme(QStringLiteral("folder")));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumWidth(20);
        button->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, [this, i] { goToBookmark(i); });
        row->addWidget(button);
        cmdFavourite[static_cast<size_t>(i)] = button;
    }
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(row);
}

void MainWindow::createTagArea() {
    tabTAGs = new QTabWidget(picResizeTags);
    tabTAGs->setObjectName(QStringLiteral("tabTAGs"));
    struct Page {
        const char* caption;
        const char* tip;
    };
    static const Page pages[4] = {{"TAG", "Edit basic tag information"},
                                  {"ID3v2+", "Edit aditional ID3v2 info"},
                                  {"Lyrics3", "Edit Lyrics3 tag"},
                                  {"File info", "File information"}};
    for (int i = 0; i < 4; ++i) {
        auto* page = new QWidget(tabTAGs);
        page->setObjectName(QStringLiteral("picTAG%1").arg(i));
        tabTAGs->addTab(page, QString::fromUtf8(pages[i].caption));
        tabTAGs->setTabToolTip(i, QString::fromUtf8(pages[i].tip));
        picTAG[static_cast<size_t>(i)] = page;
    }
}

QWidget* MainWindow::createFoldersPage() {
    auto* page = new QWidget(tabQSettings);
    page->setObjectName(QStringLiteral("picFolders"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(new QLabel(QStringLiteral("General:"), page), 0, 0);
    cmbPathPattern = newPatternBox(page, "cmbPathPattern",
                                   "Here you can define a pattern for folders to be created when sorting files.");
    grid->addWidget(cmbPathPattern, 1, 0);
    cmdEditPathPatterns = newEditButton(page, "cmdEditPathPatterns", "Edit general folder output patterns.");
    grid->addWidget(cmdEditPathPatterns, 1, 1);
    chkAlbumPattern = newCheckBox(page, "chkAlbumPattern", "Albums:",
                                  "Enable this if you want to sort albums to a different location or create special "
                                  "subfolders for albums.");
    grid->addWidget(chkAlbumPattern, 2, 0);
    cmbAlbumPattern = newPatternBox(page, "cmbAlbumPattern",
                                    "This pattern will be used to create folders when Vorda detects an album while "
                                    "sorting files. An album is defined under Options->Settings.");
    grid->addWidget(cmbAlbumPattern, 3, 0);
    cmdEditAlbumPatterns = newEditButton(page, "cmdEditAlbumPatterns", "Edit album output patterns.");
    grid->addWidget(cmdEditAlbumPatterns, 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* MainWindow::createPatternsPage() {
    auto* page = new QWidget(tabQSettings);
    page->setObjectName(QStringLiteral("picPatterns"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(new QLabel(QStringLiteral("Input:"), page), 0, 0);
    cmbInPattern =
        newPatternBox(page, "cmbInPattern",
                      "This pattern should match the current filenames so that Vorda can get information from them.");
    grid->addWidget(cmbInPattern, 0, 1);
    cmdEditInPatterns = newEditButton(page, "cmdEditInPatterns", "Edit input patterns.");
    grid->addWidget(cmdEditInPatterns, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Output:"), page), 1, 0);
    cmbOutPattern = newPatternBox(page, "cmbOutPattern", "This pattern will be used for the new filenames.");
    grid->addWidget(cmbOutPattern, 1, 1);
    cmdEditOutPatterns = newEditButton(page, "cmdEditOutPatterns", "Edit output patterns.");
    grid->addWidget(cmdEditOutPatterns, 1, 2);
    chkDetectInPattern = newCheckBox(page, "chkDetectInPattern", "Autodetect input pattern.",
                                     "Vorda will automaticly detect the best matching input pattern for each file.");
    grid->addWidget(chkDetectInPattern, 2, 0, 1, 3);
    chkScanSubfolders =
        newCheckBox(page, "chkScanSubfolders", "Scan subfolders", "Scanning a lot of files may take several minutes.");
    connect(chkScanSubfolders, &QCheckBox::clicked, this, &MainWindow::chkScanSubfoldersClick);
    grid->addWidget(chkScanSubfolders, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* MainWindow::createRepairPage() {
    auto* page = new QWidget(tabQSettings);
    page->setObjectName(QStringLiteral("picRepair"));
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(6, 6, 6, 6);
    cmdRemJunk = newButton(page, "cmdRemJunk", "Remove Junk",
                           "Remove junk data before first mp3 frame. If a mp3 file without ID3v2 has it's header at "
                           "a position greater than zero it probably contains junk data.");
    cmdRemJunk->setEnabled(false);  // a batch tag command
    box->addWidget(cmdRemJunk);
    box->addStretch(1);
    return page;
}

void MainWindow::createToolPanel() {
    picTools = new QWidget(centralWidget());
    picTools->setObjectName(QStringLiteral("picTools"));
    // Wide enough for the usual patterns and folders; narrower windows squeeze it to 270.
    picTools->setMinimumWidth(270);
    picTools->setMaximumWidth(400);
    auto* panel = new QVBoxLayout(picTools);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(4);

    tabQSettings = new QTabWidget(picTools);
    tabQSettings->setObjectName(QStringLiteral("tabQSettings"));
    tabQSettings->addTab(createFoldersPage(), QStringLiteral("Folders"));
    tabQSettings->setTabToolTip(
        0, QStringLiteral("Specify which folders should be created and where files will be copied or moved to."));
    tabQSettings->addTab(createPatternsPage(), QStringLiteral("Patterns"));
    tabQSettings->setTabToolTip(1, QStringLiteral("Define input and output patterns for the filenames."));
    tabQSettings->addTab(createRepairPage(), QStringLiteral("Repair"));
    panel->addWidget(tabQSettings);

    fraMethod = new QGroupBox(QStringLiteral("Method:"), picTools);
    fraMethod->setObjectName(QStringLiteral("fraMethod"));
    fraMethod->setToolTip(QStringLiteral("What would you like to do with the files?"));
    auto* methods = new QHBoxLayout(fraMethod);
    methods->setContentsMargins(6, 2, 6, 2);
    auto* group = new QButtonGroup(fraMethod);
    const char* const captions[3] = {"Copy", "Move", "Rename"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), fraMethod);
        option->setObjectName(QStringLiteral("optMethod%1").arg(i));
        group->addButton(option, i);
        methods->addWidget(option);
        optMethod[static_cast<size_t>(i)] = option;
        connect(option, &QRadioButton::clicked, this, [this, i] { setMethod(SortPanel::methodOfButton(i)); });
    }
    panel->addWidget(fraMethod);

    lblTargetDir = new QLabel(QStringLiteral("Target Folder:"), picTools);
    lblTargetDir->setObjectName(QStringLiteral("lblTargetDir"));
    panel->addWidget(lblTargetDir);
    auto* target = new QHBoxLayout;
    txtTargetDir = new QLineEdit(picTools);
    txtTargetDir->setObjectName(QStringLiteral("txtTargetDir"));
    txtTargetDir->setToolTip(QStringLiteral("The target folder where the files will be copied/moved to."));
    txtTargetDir->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^") + QRegularExpression::escape(SortPanel::kRefusedTargetChars) +
                           QStringLiteral("]*")),
        txtTargetDir));
    txtTargetDir->installEventFilter(this);
    connect(txtTargetDir, &QLineEdit::textEdited, this, [this](const QString& text) { panel_.type(pathFromQt(text)); });
    lblTargetDir->setBuddy(txtTargetDir);
    target->addWidget(txtTargetDir, 1);
    cmdTargetDir = newButton(picTools, "cmdTargetDir", "Browse", "Browse for the target folder to sort to.");
    connect(cmdTargetDir, &QPushButton::clicked, this,
            [this] { targetFolderChosen(browseForFolder(this, panel_.text())); });
    target->addWidget(cmdTargetDir);
    panel->addLayout(target);

    panel->addWidget(new QLabel(QStringLiteral("Old filename:"), picTools));
    txtOldName = new QLineEdit(picTools);
    txtOldName->setObjectName(QStringLiteral("txtOldName"));
    txtOldName->setReadOnly(true);
    panel->addWidget(txtOldName);
    panel->addWidget(new QLabel(QStringLiteral("New filename:"), picTools));
    txtNewName = new QLineEdit(picTools);
    txtNewName->setObjectName(QStringLiteral("txtNewName"));
    txtNewName->setReadOnly(true);
    panel->addWidget(txtNewName);
    chkFixFilenames = newCheckBox(picTools, "chkFixFilenames", "Fix filenames",
                                  "While sorting or renaming Vorda will clean up the filenames according to the "
                                  "settings.");
    panel->addWidget(chkFixFilenames);

    // Sorting and the freedb lookup are connected by their own commands.
    auto* sortRow = new QHBoxLayout;
    cmdSort = newButton(picTools, "cmdSort", "Sort All", "Sort all files in the list. (F4)");
    cmdSortSelected = newButton(picTools, "cmdSortSelected", "Sort Selected", "Sort the selected file(s) only. (F5)");
    cmdSort->setEnabled(false);
    cmdSortSelected->setEnabled(false);
    sortRow->addWidget(cmdSort);
    sortRow->addWidget(cmdSortSelected);
    panel->addLayout(sortRow);
    cmdFreeDB =
        newButton(picTools, "cmdFreeDB", "freedb", "Get tag information about the selected album from freedb. (F8)");
    cmdFreeDB->setEnabled(false);
    panel->addWidget(cmdFreeDB);
    panel->addStretch(1);
}

// ============================================================ settings

void MainWindow::fillPatternBox(QComboBox* box, const std::string& current, const std::vector<std::string>& entries) {
    box->clear();
    for (const std::string& entry : entries) box->addItem(text(entry));
    box->setCurrentIndex(-1);
    box->setEditText(text(current));
    box->lineEdit()->setCursorPosition(0);  // a long pattern shows its start
}

void MainWindow::fillPopSortItems(const std::vector<std::string>& outPatterns) {
    for (QAction* item : mnuPopSortPatterns) delete item;
    mnuPopSortPatterns.clear();
    // Item 0 always exists; each further output pattern adds one.
    const size_t count = std::max<size_t>(outPatterns.size(), 1);
    for (size_t i = 0; i < count; ++i) {
        const QString caption = i < outPatterns.size() ? text(outPatterns[i]) : QString();
        QAction* item = mnuPopSort->addAction(caption);
        item->setObjectName(QStringLiteral("mnuPopSortPatterns%1").arg(i));
        // An empty entry names no pattern: it is shown but cannot be chosen.
        item->setEnabled(i < outPatterns.size() && !outPatterns[i].empty());
        connect(item, &QAction::triggered, this, [this, i] { sortSelectedUsing(i); });
        mnuPopSortPatterns.push_back(item);
    }
}

void MainWindow::loadPanelSettings() {
    const Settings& s = settings();
    mnuAdvancedMode->setChecked(s.advancedMode);
    setCheckValue(chkFixFilenames, s.fixFilenames);
    setCheckValue(chkScanSubfolders, s.scanSubFolders);
    setCheckValue(chkDetectInPattern, s.detectInPattern);
    setCheckValue(chkAlbumPattern, s.useAlbumPattern);

    panel_.load(s.method, s.targetDir);
    setMethod(s.method);
    // The stored target shows in the box until a file is shown, whatever the method.
    panel_.load(s.method, s.targetDir);
    syncTargetBox();

    fillPatternBox(cmbInPattern, s.currentInPattern, s.inPatterns);
    fillPatternBox(cmbOutPattern, s.currentOutPattern, s.outPatterns);
    fillPatternBox(cmbPathPattern, s.currentPathPattern, s.pathPatterns);
    fillPatternBox(cmbAlbumPattern, s.currentAlbumPattern, s.albumPatterns);
    fillPopSortItems(s.outPatterns);

    bookmarks_.load(s.favouriteDir);
    for (int i = 0; i < Bookmarks::kCount; ++i) {
        cmdFavourite[static_cast<size_t>(i)]->setToolTip(text(bookmarks_.toolTip(i)));
    }
}

void MainWindow::storePanelInSettings() {
    // A folder still being typed when the window closes counts as accepted.
    if (txtTargetDir->hasFocus()) {
        panel_.focusLost();
        syncTargetBox();
    }
    Settings& s = settings();
    s.advancedMode = mnuAdvancedMode->isChecked();
    s.fixFilenames = checkValue(chkFixFilenames);
    s.scanSubFolders = checkValue(chkScanSubfolders);
    s.detectInPattern = checkValue(chkDetectInPattern);
    s.useAlbumPattern = checkValue(chkAlbumPattern);
    s.method = panel_.storedMethod();
    s.targetDir = panel_.savedFolder();
    s.currentInPattern = pathFromQt(cmbInPattern->currentText());
    s.currentOutPattern = pathFromQt(cmbOutPattern->currentText());
    s.currentPathPattern = pathFromQt(cmbPathPattern->currentText());
    s.currentAlbumPattern = pathFromQt(cmbAlbumPattern->currentText());
    s.favouriteDir = bookmarks_.folders();
}

// ============================================================ method and target folder

void MainWindow::setMethod(int method) {
    const std::string fileFolder = cmds_.filCurrent().fullPath().empty() ? std::string() : cmds_.filCurrent().path();
    panel_.setMethod(method, fileFolder);
    const int button = SortPanel::buttonOfMethod(method);
    if (button >= 0) {
        optMethod[static_cast<size_t>(button)]->setChecked(true);
    } else {
        // A method the switch never produces leaves all three buttons clear.
        QButtonGroup* group = optMethod[0]->group();
        group->setExclusive(false);
        for (QRadioButton* option : optMethod) option->setChecked(false);
        group->setExclusive(true);
    }
    applyMethodCaptions();
    syncTargetBox();
    if (panel_.locked()) {
        tabQSettings->setCurrentIndex(1);
    } else if (button >= 0) {
        txtTargetDir->selectAll();
    }
}

void MainWindow::applyMethodCaptions() {
    const MethodCaptions c = SortPanel::captionsFor(panel_.method());
    cmdSort->setText(text(c.sortAll));
    cmdSortSelected->setText(text(c.sortSelected));
    mnuSortAll->setText(text(c.menuSortAll));
    mnuSortSelected->setText(text(c.menuSortSelected));
    mnuPopSort->setTitle(text(c.popSort));
    mnuPopSortAlbum->setText(text(c.popSortAlbum));
    mnuPopSortAlbum->setEnabled(c.popSortAlbumEnabled);
    lblTargetDir->setText(text(c.targetLabel));
    cmdTargetDir->setEnabled(c.browseEnabled);
}

void MainWindow::syncTargetBox() {
    const QString text = pathToQt(panel_.text());
    if (txtTargetDir->text() != text) txtTargetDir->setText(text);
    txtTargetDir->setReadOnly(panel_.locked());
    QPalette palette = txtTargetDir->palette();
    palette.setColor(QPalette::Base,
                     panel_.locked() ? QApplication::palette().color(QPalette::Button) : QColor(255, 255, 192));
    palette.setColor(QPalette::Text, QApplication::palette().color(QPalette::ButtonText));
    txtTargetDir->setPalette(palette);
}

void MainWindow::targetFolderChosen(const std::string& folder) {
    panel_.browsed(folder);
    syncTargetBox();
}

void MainWindow::setTreeFolderAsTarget() {
    panel_.setAsTarget(treePath());
    syncTargetBox();
}

// ============================================================ bookmarks

void MainWindow::goToBookmark(int i) {
    const std::string folder = bookmarks_.folder(i);
    if (folder.empty()) return;
    if (picDirPane->isVisible()) {
        selectTreeFolder(folder);  // the tree's change scans it
        return;
    }
    // The hidden tree follows without scanning; the list is filled here.
    const bool blocked = cmds_.bBlockDirUpdate;
    cmds_.bBlockDirUpdate = true;
    selectTreeFolder(folder);
    cmds_.bBlockDirUpdate = blocked;
    clearAndScan(bookmarks_.scanFolder(i), scanSubfolders());
}

void MainWindow::storeBookmark(int i) {
    if (!bookmarks_.store(i, treePath())) return;
    cmdFavourite[static_cast<size_t>(i)]->setToolTip(text(bookmarks_.toolTip(i)));
}

bool MainWindow::panelEventFilter(QObject* watched, QEvent* event) {
    if (watched == txtTargetDir && event->type() == QEvent::FocusOut) {
        panel_.focusLost();
        syncTargetBox();
        return false;
    }
    if (event->type() != QEvent::MouseButtonPress) return false;
    for (int i = 0; i < Bookmarks::kCount; ++i) {
        if (watched != cmdFavourite[static_cast<size_t>(i)]) continue;
        if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) return false;
        storeBookmark(i);
        return true;
    }
    return false;
}

// ============================================================ view, help, about

void MainWindow::showTagInfo(bool visible) { tabTAGs->setVisible(visible); }

void MainWindow::chkScanSubfoldersClick(bool checked) {
    if (checked) ask("Scanning folders that contain many files could take very long time!", mbOK, miInformation);
}

std::string MainWindow::helpFilePath() const { return programDataFolder() + "help/index.html"; }

void MainWindow::showHelp(const std::string& file) {
    if (!pathExists(file) || isDirectory(file)) {
        ask("The help file could not be found:\n" + file, mbOK, miError);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(pathToQt(file)))) {
        ask("The help file could not be opened:\n" + file, mbOK, miError);
    }
}

void MainWindow::showAbout() {
    QMessageBox::about(
        this, QStringLiteral("About Vorda"),
        QStringLiteral("<h3>Vorda %1</h3>"
                       "<p>A tag editor and file organiser for MP3 files: it edits ID3v1, ID3v2 and Lyrics3 tags, "
                       "names files from their tags and sorts them into folders.</p>"
                       "<p>Built with Qt %2.</p>")
            .arg(QStringLiteral(VORDA_VERSION), QString::fromLatin1(QT_VERSION_STR)));
}

void MainWindow::showOptions() {
    OptionsDialog dialog(this);
    connect(&dialog, &OptionsDialog::tagFieldMaxLengthChanged, this, &MainWindow::setTagFieldMaxLength);
    dialog.exec();
}

// ============================================================ name boxes

void MainWindow::setOldName(const std::string& name) { txtOldName->setText(text(name)); }

void MainWindow::setNewName(const std::string& name) { txtNewName->setText(text(name)); }

}  // namespace vorda::app
