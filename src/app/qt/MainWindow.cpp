// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/MainWindow.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Settings.h"
#include "app/qt/FileListModel.h"
#include "app/qt/FileListView.h"
#include "app/qt/FolderPane.h"
#include "app/qt/OptionsSupport.h"
#include "app/qt/SortingPanel.h"
#include "app/qt/StatusPanels.h"
#include "base/FileOps.h"
#include "base/IniFile.h"
#include "base/Text.h"
#include "editing/qt/TagArea.h"
#include "find/FileListSource.h"
#include "find/FindReplace.h"
#include "find/qt/FindDialog.h"
#include "freedb/AlbumLookup.h"
#include "platform/PlatformDialogs.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

namespace {

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / MainWindow::kTwipsPerPixel)); }
double pixelsToTwips(int pixels) { return pixels * MainWindow::kTwipsPerPixel; }

// The smallest column width at load and when a column is shown again, in twips.
constexpr double kMinColumnTwips = 120;

// Width of a column that has no stored size, in twips: wide enough for its usual content.
double defaultColumnTwips(int col) {
    static constexpr double kWidths[kColumnCount] = {3000, 2400, 900,  1800, 1800, 2250, 675,
                                                     675,  1200, 1800, 1350, 1575, 1200, 900};
    return col >= 1 && col <= kColumnCount ? kWidths[col - 1] : 400;
}

// The stored width of a column, or its default width when none is stored.
double storedColumnTwips(const IniFile& ini, int col) {
    return getRealSetting(ini, "Visual", "ColSize" + std::to_string(col), defaultColumnTwips(col));
}

// Whether the settings file holds a usable number under the key (a first start holds none).
bool hasStoredNumber(const IniFile& ini, const char* section, const std::string& key) {
    static const std::string kAbsent = "\x01"
                                       "absent";
    if (ini.read(section, key, kAbsent) == kAbsent) return false;
    const double value = getRealSetting(ini, section, key, -1);
    return std::isfinite(value) && value > 0;
}

// A stored size in twips as pixels, whatever the file says (huge, negative, not a number).
int storedPixels(double twips) {
    if (!std::isfinite(twips) || twips <= 0) return 0;
    return twipsToPixels(std::min(twips, 1.0e6));
}

// Widest a column gets when it is sized to its content, in pixels.
constexpr int kMaxContentColumnPixels = 360;
// Long loops repaint at most this often.
constexpr qint64 kPaintIntervalMs = 30;
// A listing repaints a whole table of new rows: ten times a second is smooth enough.
constexpr qint64 kListingPaintIntervalMs = 100;

// A menu item of a command that another part of the program provides: present, named,
// with its shortcut, and disabled until that command is connected.
QAction* addLaterItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& key = {}) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) item->setShortcut(key);
    item->setEnabled(false);
    return item;
}

// "Vorda 0.1" from the version "0.1.0".
QString windowCaption() {
    const QStringList parts = QString::fromLatin1(VORDA_VERSION).split(QLatin1Char('.'));
    QString caption = QStringLiteral("Vorda");
    if (!parts.isEmpty())
        caption += QLatin1Char(' ') + parts.value(0) + QLatin1Char('.') + parts.value(1, QStringLiteral("0"));
    return caption;
}

// While files are listed, the window paints and moves but takes no input except the Stop
// button, Esc (which stops too), and scrolling the list.
class ListingInputGate : public QObject {
public:
    ListingInputGate(const StatusPanels* status, QWidget* list, std::function<void()> stop, QObject* parent)
        : QObject(parent), status_(status), list_(list), stop_(std::move(stop)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) stop_();
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut: return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: return !allowed(watched, event);
        default: return false;
        }
    }

private:
    bool allowed(QObject* watched, QEvent* event) const {
        // Windows pass input on to their widgets, where it is decided.
        if (!watched->isWidgetType()) return true;
        auto* widget = static_cast<QWidget*>(watched);
        if (status_->isStopButton(widget)) return true;
        if (!list_->isAncestorOf(widget)) return false;
        return event->type() == QEvent::Wheel || qobject_cast<QScrollBar*>(widget) != nullptr;
    }

    const StatusPanels* status_;
    QWidget* list_;
    std::function<void()> stop_;
};

}  // namespace

// ============================================================ construction

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), cmds_(list_, *this, settings()) {
    setObjectName(QStringLiteral("frmVorda"));
    setWindowTitle(windowCaption());
    setMinimumSize(twipsToPixels(kMinWidthTwips), twipsToPixels(kMinHeightTwips));
    installTrashHandler();

    // Tree and list over the tag area on the left, the sorting panel on the right.
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("picMain"));
    setCentralWidget(central);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(4, 4, 4, 2);
    columns->setSpacing(6);
    // The tag area under tree and list, behind a splitter the user may drag; it opens with the
    // height of its "TAG" page and the list takes the rest.
    tagSplitter_ = new QSplitter(Qt::Vertical, central);
    tagSplitter_->setObjectName(QStringLiteral("picResizeTags"));
    tagSplitter_->setChildrenCollapsible(false);
    columns->addWidget(tagSplitter_, 1);

    dirSplitter_ = new QSplitter(Qt::Horizontal, tagSplitter_);
    dirSplitter_->setObjectName(QStringLiteral("picResizeDir"));
    dirSplitter_->setChildrenCollapsible(false);
    tagSplitter_->addWidget(dirSplitter_);

    folderPane_ = new FolderPane(dirSplitter_);
    dirSplitter_->addWidget(folderPane_);
    dirSplitter_->setStretchFactor(0, 0);
    fileList_ = new FileListView(list_, icons_, dirSplitter_);
    dirSplitter_->addWidget(fileList_);
    dirSplitter_->setStretchFactor(1, 1);
    tagArea_ = new TagArea(tagSplitter_);
    tagSplitter_->addWidget(tagArea_);
    tagSplitter_->setStretchFactor(0, 1);
    tagSplitter_->setStretchFactor(1, 0);
    sortingPanel_ = new SortingPanel(central);
    columns->addWidget(sortingPanel_, 0);
    statusPanels_ = new StatusPanels(this);
    setStatusBar(statusPanels_);
    scanGate_ = new ListingInputGate(
        statusPanels_, fileList_, [this] { stopScan(); }, this);
    createMenus();
    createPopupMenus();
    connectPanels();

    // The method switch shows the folder of each file shown while renaming.
    cmds_.fileShown = [this](AudioFile& file) {
        shownPath_ = file.fullPath();
        shownMany_ = false;
        panel_.fileShown(file.path());
        syncTargetBox();
    };
    setupNaming();
    setupBatchCommands();
    setupExports();
    createTagEditor();
    setupFreedb();
    setupFind();
    setupPlayer();

    loadSettings();
    paintClock_.start();
}

MainWindow::~MainWindow() {
    // The find dialog uses the engine members; it goes before they do.
    delete findDialog_;
    findDialog_ = nullptr;
    // The list's model observes the list member; it must go before the list does.
    delete fileList_;
    fileList_ = nullptr;
}

FileListModel* MainWindow::listModel() const { return fileList_->listModel(); }

void MainWindow::connectPanels() {
    connect(folderPane_, &FolderPane::folderChanged, this, &MainWindow::treeFolderChanged);
    connect(folderPane_, &FolderPane::bookmarkClicked, this, &MainWindow::goToBookmark);
    connect(folderPane_, &FolderPane::bookmarkStoreRequested, this, &MainWindow::storeBookmark);
    connect(folderPane_, &FolderPane::deleteRequested, this, &MainWindow::deleteTreeFolder);
    connect(folderPane_, &FolderPane::contextMenuRequested, this,
            [this](const QPoint& globalPos) { treePopup_->popup(globalPos); });

    // Mouse, keys, type-ahead, select all and programmatic changes all end in settleSelection.
    connect(fileList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { queueSelectionSettle(); });
    connect(fileList_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) settleSelection(true);
    });
    connect(fileList_, &QWidget::customContextMenuRequested, this, &MainWindow::listContextMenu);
    connect(fileList_, &FileListView::columnClicked, this, &MainWindow::sortByColumnClick);
    connect(fileList_, &FileListView::deleteRequested, this, &MainWindow::deleteFromList);
    connect(fileList_, &FileListView::keyHandled, this, [this] { settleSelection(); });
    connect(fileList_, &FileListView::pathsDropped, this, &MainWindow::dropPaths);
    fileList_->dropsAllowed = [this] { return !busy_; };

    connect(statusPanels_, &StatusPanels::stopClicked, this, &MainWindow::stopScan);

    connect(sortingPanel_, &SortingPanel::methodClicked, this,
            [this](int button) { setMethod(SortPanel::methodOfButton(button)); });
    connect(sortingPanel_, &SortingPanel::targetTyped, this,
            [this](const QString& text) { panel_.type(pathFromQt(text)); });
    connect(sortingPanel_, &SortingPanel::targetLeft, this, [this] {
        panel_.focusLost();
        syncTargetBox();
    });
    connect(sortingPanel_, &SortingPanel::browseClicked, this,
            [this] { targetFolderChosen(browseForFolder(this, panel_.text())); });
    connect(sortingPanel_, &SortingPanel::scanSubfoldersClicked, this, &MainWindow::scanSubfoldersClicked);
}

void MainWindow::createMenus() {
    QMenuBar* bar = menuBar();

    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("mnuFile"));
    exitItem_ = fileMenu_->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    exitItem_->setObjectName(QStringLiteral("mnuExit"));

    listMenu_ = bar->addMenu(QStringLiteral("&List"));
    listMenu_->setObjectName(QStringLiteral("mnuList"));
    addFilesItem_ = listMenu_->addAction(QStringLiteral("Add files..."), this, &MainWindow::addFilesClicked);
    addFilesItem_->setObjectName(QStringLiteral("mnuAddFiles"));
    listMenu_->addSeparator();
    nonExistentItem_ = listMenu_->addAction(QStringLiteral("Remove nonexistent files"), this,
                                            [this] { runCommand([this] { cmds_.removeNonexistentFiles(); }); });
    nonExistentItem_->setObjectName(QStringLiteral("mnuNonExistent"));
    selectAllItem_ = listMenu_->addAction(QStringLiteral("Select all files"), this,
                                          [this] { runCommand([this] { cmds_.selectAllFiles(); }); });
    selectAllItem_->setObjectName(QStringLiteral("mnuSelectAll"));
    selInvertItem_ = listMenu_->addAction(QStringLiteral("Invert selection"), this,
                                          [this] { runCommand([this] { cmds_.invertSelection(); }); });
    selInvertItem_->setObjectName(QStringLiteral("mnuSelInvert"));
    clearListItem_ = listMenu_->addAction(QStringLiteral("Clear filelist"), this,
                                          [this] { runCommand([this] { cmds_.clearFileList(); }); });
    clearListItem_->setObjectName(QStringLiteral("mnuClearList"));
    listMenu_->addSeparator();
    exportMenu_ = listMenu_->addMenu(QStringLiteral("Export"));
    exportMenu_->setObjectName(QStringLiteral("mnuExport"));
    exportEditorItem_ = addLaterItem(exportMenu_, "mnuExportEditor", "Custom exports...");
    exportCsvItem_ = addLaterItem(exportMenu_, "mnuExportCSV", "selected files to CSV...");
    exportHtmlItem_ = addLaterItem(exportMenu_, "mnuExportHTML", "selected files to HTML...");
    exportM3uItem_ = addLaterItem(exportMenu_, "mnuExportM3U", "selected files to M3U...");
    exportPlsItem_ = addLaterItem(exportMenu_, "mnuExportPLS", "selected files to PLS...");
    exportCdCoverItem_ = addLaterItem(exportMenu_, "mnuExportCDCover", "to CD cover...");

    actionsMenu_ = bar->addMenu(QStringLiteral("&Actions"));
    actionsMenu_->setObjectName(QStringLiteral("mnuActions"));
    sortAllItem_ = addLaterItem(actionsMenu_, "mnuSortAll", "Sort all files", QKeySequence(Qt::Key_F4));
    sortSelectedItem_ =
        addLaterItem(actionsMenu_, "mnuSortSelected", "Sort selected file(s)", QKeySequence(Qt::Key_F5));

    viewMenu_ = bar->addMenu(QStringLiteral("&View"));
    viewMenu_->setObjectName(QStringLiteral("mnuView"));
    dirTreeItem_ = viewMenu_->addAction(QStringLiteral("Directory tree"));
    dirTreeItem_->setObjectName(QStringLiteral("mnuDirTree"));
    dirTreeItem_->setCheckable(true);
    dirTreeItem_->setChecked(true);
    connect(dirTreeItem_, &QAction::toggled, this, &MainWindow::showDirTree);
    tagInfoItem_ = viewMenu_->addAction(QStringLiteral("Tag info"));
    tagInfoItem_->setObjectName(QStringLiteral("mnuTagInfo"));
    tagInfoItem_->setCheckable(true);
    tagInfoItem_->setChecked(true);
    connect(tagInfoItem_, &QAction::toggled, this, &MainWindow::showTagInfo);

    tagsMenu_ = bar->addMenu(QStringLiteral("&Tags"));
    tagsMenu_->setObjectName(QStringLiteral("mnuTags"));
    findReplaceItem_ =
        addLaterItem(tagsMenu_, "mnuFindReplace", "Find && Replace/Trim/Add...", QKeySequence(Qt::CTRL | Qt::Key_F));
    freeDbLookupItem_ = addLaterItem(tagsMenu_, "mnuFreeDBLookup", "FreeDB lookup...", QKeySequence(Qt::Key_F8));
    fixTagsItem_ = addLaterItem(tagsMenu_, "mnuFixTags", "Fix tags");
    saveTagsItem_ = addLaterItem(tagsMenu_, "mnuSaveTags", "Save tags", QKeySequence(Qt::CTRL | Qt::Key_S));
    removeTagsItem_ = addLaterItem(tagsMenu_, "mnuRemoveTags", "Remove tags");

    optionsMenu_ = bar->addMenu(QStringLiteral("&Options"));
    optionsMenu_->setObjectName(QStringLiteral("mnuOptions"));
    // The mode is kept and saved; the tag editor acts on it.
    advancedModeItem_ = addLaterItem(optionsMenu_, "mnuAdvancedMode", "Advanced mode");
    advancedModeItem_->setCheckable(true);
    settingsItem_ = optionsMenu_->addAction(QStringLiteral("Settings..."), this, &MainWindow::showOptions);
    settingsItem_->setObjectName(QStringLiteral("mnuSettings"));
    optionsMenu_->addSeparator();
    columnsMenu_ = optionsMenu_->addMenu(QStringLiteral("Columns"));
    columnsMenu_->setObjectName(QStringLiteral("mnuColumns"));
    for (int col = 1; col <= kColumnCount; ++col) {
        QAction* item = columnsMenu_->addAction(QString::fromStdString(columnTitle(col)));
        item->setObjectName(QStringLiteral("mnuCols%1").arg(col));
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, [this, col](bool on) { setColumnVisible(col, on); });
        columnItems_[static_cast<size_t>(col - 1)] = item;
    }
    fileGridItem_ = optionsMenu_->addAction(QStringLiteral("Show grid"));
    fileGridItem_->setObjectName(QStringLiteral("mnuFileGrid"));
    fileGridItem_->setCheckable(true);
    fileGridItem_->setChecked(true);
    connect(fileGridItem_, &QAction::toggled, this, [this](bool on) { fileList_->setShowGrid(on); });

    helpMenu_ = bar->addMenu(QStringLiteral("&Help"));
    helpMenu_->setObjectName(QStringLiteral("mnuHelp"));
    helpMeItem_ = helpMenu_->addAction(QStringLiteral("&Help..."), this, [this] { showHelp(helpFilePath()); });
    helpMeItem_->setObjectName(QStringLiteral("mnuHelpMe"));
    aboutItem_ = helpMenu_->addAction(QStringLiteral("&About..."), this, &MainWindow::showAbout);
    aboutItem_->setObjectName(QStringLiteral("mnuAbout"));
}

void MainWindow::refreshTree() { folderPane_->refresh(); }

void MainWindow::createPopupMenus() {
    listPopup_ = new QMenu(QStringLiteral("Popup Menu"), this);
    listPopup_->setObjectName(QStringLiteral("mnuPopup"));
    extractId3Item_ = addLaterItem(listPopup_, "mnuExtractID3", "Extract tags");
    popFreeDbLookupItem_ = addLaterItem(listPopup_, "mnuPopFreeDBLookup", "FreeDB lookup...");
    addTracksItem_ = addLaterItem(listPopup_, "mnuAddTracks", "Add tracknumbers...");
    listPopup_->addSeparator();
    popSortMenu_ = listPopup_->addMenu(QStringLiteral("Sort selected file(s) using..."));
    popSortMenu_->setObjectName(QStringLiteral("mnuPopSort"));
    fillPopSortItems({""});
    popSortAlbumItem_ = addLaterItem(listPopup_, "mnuPopSortAlbum", "Sort selected file(s) as album");
    listPopup_->addSeparator();
    playerMenu_ = listPopup_->addMenu(QStringLiteral("Media player"));
    playerMenu_->setObjectName(QStringLiteral("mnuWinamp"));
    playerEnqueuePlayItem_ = addLaterItem(playerMenu_, "mnuWAEnqueuePlay", "Enqueue and play");
    playerEnqueueItem_ = addLaterItem(playerMenu_, "mnuWAEnqueue", "Enqueue");
    playerOpenFileItem_ = addLaterItem(playerMenu_, "mnuWAOpenFile", "Open file");
    playerMenu_->addSeparator();
    playerNextItem_ = addLaterItem(playerMenu_, "mnuWANext", "Next");
    playerPreviousItem_ = addLaterItem(playerMenu_, "mnuWAPrevious", "Previous");
    playerPlayItem_ = addLaterItem(playerMenu_, "mnuWAPlay", "Play");
    playerPauseItem_ = addLaterItem(playerMenu_, "mnuWAPause", "Pause/Unpause");
    playerStopItem_ = addLaterItem(playerMenu_, "mnuWAStop", "Stop");
    listPopup_->addSeparator();
    folderFromId3Item_ = addLaterItem(listPopup_, "mnuFolderFromID3", "Create/Rename folder from ID3...");
    listPopup_->addSeparator();
    remFromListItem_ = listPopup_->addAction(QStringLiteral("Remove file(s) from list"), this,
                                             [this] { runCommand([this] { cmds_.removeSelectedFromList(); }); });
    remFromListItem_->setObjectName(QStringLiteral("mnuRemFromList"));
    remFromDiskItem_ = listPopup_->addAction(QStringLiteral("Delete file(s)"), this,
                                             [this] { runCommand([this] { cmds_.deleteSelectedFiles(); }); });
    remFromDiskItem_->setObjectName(QStringLiteral("mnuRemFromHD"));

    treePopup_ = new QMenu(QStringLiteral("Tree Popup"), this);
    treePopup_->setObjectName(QStringLiteral("mnuTreePopup"));
    treeRefreshItem_ = treePopup_->addAction(QStringLiteral("Refresh"), this, &MainWindow::refreshTree);
    treeRefreshItem_->setObjectName(QStringLiteral("mnuTreeRefresh"));
    setTargetFolderItem_ =
        treePopup_->addAction(QStringLiteral("Set as target folder"), this, &MainWindow::setTreeFolderAsTarget);
    setTargetFolderItem_->setObjectName(QStringLiteral("mnuSetTargetFolder"));
    recursiveScanItem_ =
        treePopup_->addAction(QStringLiteral("Recursive Scan"), this, [this] { scanTreeFolder(true); });
    recursiveScanItem_->setObjectName(QStringLiteral("mnuRecursiveScan"));
    treePopup_->addSeparator();
    renNewFolderItem_ = treePopup_->addAction(QStringLiteral("New folder"));
    renNewFolderItem_->setObjectName(QStringLiteral("mnuRenNewFolder"));
    renNewFolderItem_->setEnabled(false);
    renFolderMenu_ = treePopup_->addMenu(QStringLiteral("Rename as"));
    renFolderMenu_->setObjectName(QStringLiteral("mnuRenFolder"));
    renFolderCustomItem_ = renFolderMenu_->addAction(QStringLiteral("custom..."));
    renFolderCustomItem_->setObjectName(QStringLiteral("mnuRenFolderCustom"));
    renFolderCustomItem_->setEnabled(false);
    renFolderPatternItem_ = renFolderMenu_->addAction(QStringLiteral("pattern"));
    renFolderPatternItem_->setObjectName(QStringLiteral("mnuRenFolderPattern"));
    renFolderPatternItem_->setEnabled(false);
    delFolderItem_ = treePopup_->addAction(QStringLiteral("Delete"));
    delFolderItem_->setObjectName(QStringLiteral("mnuDelFolder"));
    delFolderItem_->setEnabled(false);
}

// ============================================================ start-up and settings

void MainWindow::loadSettings() {
    settingsPath_ = settingsFilePath();
    IniFile ini(settingsPath_);
    Settings& s = settings();
    s.load(ini);
    settingsNotice_ = settingsFileNotice(ini, true);
    settingsNoticeIcon_ =
        ini.fileCondition() == IniFile::Condition::Ok ? MessageIcon::Information : MessageIcon::Warning;
    treeDir_ = getSetting(ini, "General", "sTreeDir", defaultFolder());
    loadPanelSettings();
    applyWindowLayout(ini);
    applyColumnLayout(ini);
    placeTreeAtStoredFolder();
}

QRect MainWindow::placeOnScreen(const QRect& area, const QSize& wanted, const QSize& minimum) {
    // Never smaller than the window's minimum, never larger than the screen's free area (unless
    // the minimum itself is), centred on that area.
    const int width = std::max(std::min(wanted.width(), area.width()), minimum.width());
    const int height = std::max(std::min(wanted.height(), area.height()), minimum.height());
    const QPoint topLeft(area.x() + std::max((area.width() - width) / 2, 0),
                         area.y() + std::max((area.height() - height) / 2, 0));
    return QRect(topLeft, QSize(width, height));
}

QRect MainWindow::screenArea() const {
    QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    return shownOn ? shownOn->availableGeometry() : QRect(0, 0, 1024, 768);
}

void MainWindow::applyWindowLayout(const IniFile& ini) {
    const Settings& s = settings();
    const QRect area = screenArea();
    // A stored size is used as stored while it fits the screen; a first start takes three
    // quarters of the screen.
    QSize wanted(area.width() * 3 / 4, area.height() * 3 / 4);
    if (hasStoredNumber(ini, "Visual", "FormWidth") && hasStoredNumber(ini, "Visual", "FormHeight"))
        wanted = QSize(storedPixels(s.formWidth), storedPixels(s.formHeight));
    setGeometry(placeOnScreen(area, wanted, minimumSize()));
    if (s.formState == 2) setWindowState(windowState() | Qt::WindowMaximized);

    // The tree gets a fifth of the window at a first start.
    treeSplit_ =
        hasStoredNumber(ini, "Visual", "TreeSplit") ? s.treeSplit : pixelsToTwips(std::clamp(width() / 5, 180, 320));
    connect(dirSplitter_, &QSplitter::splitterMoved, this, [this](int pos, int) {
        if (folderPane_->isVisible()) treeSplit_ = pixelsToTwips(pos);
    });

    dirTreeItem_->setChecked(s.viewDirTree);
    showDirTree(s.viewDirTree);
    tagInfoItem_->setChecked(s.viewTagInfo);
    showTagInfo(s.viewTagInfo);
    fileGridItem_->setChecked(s.showGrid);
    fileList_->setShowGrid(s.showGrid);
}

void MainWindow::applyColumnLayout(const IniFile& ini) {
    const Settings& s = settings();
    QHeaderView* header = fileList_->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        header->showSection(col - 1);
        header->resizeSection(col - 1, twipsToPixels(std::max(storedColumnTwips(ini, col), kMinColumnTwips)));
        columnItems_[i]->setChecked(s.colVisible[i]);
        // A column never sized takes the width of its content once the list is first filled.
        sizeToContent_[i] = !hasStoredNumber(ini, "Visual", "ColSize" + std::to_string(col));
    }
    // Shown columns take their places first, so that every hidden one ends up behind them.
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        if (s.colVisible[i]) {
            header->moveSection(header->visualIndex(col - 1), std::clamp(s.colPosition[i], 1, kColumnCount) - 1);
        }
    }
    for (int col = 1; col <= kColumnCount; ++col) {
        if (s.colVisible[static_cast<size_t>(col - 1)]) continue;
        header->moveSection(header->visualIndex(col - 1), kColumnCount - 1);
        header->hideSection(col - 1);
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placed_) return;
    placed_ = true;
    // The tag area's first height: what its "TAG" page asks for, the list the rest.
    const int tagHeight = tagArea_->tagPageHeight();
    const int total = tagSplitter_->height();
    if (total > tagHeight) tagSplitter_->setSizes({total - tagHeight - tagSplitter_->handleWidth(), tagHeight});
    // The frame is known once the window is on the screen (a window manager adds it a moment
    // later): checked now and once more after it.
    keepOnScreen();
    QTimer::singleShot(0, this, &MainWindow::keepOnScreen);
}

void MainWindow::keepOnScreen() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
    const QRect area = screenArea();
    const QRect frame = frameGeometry();
    if (area.contains(frame)) return;
    const QRect inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    const QRect free = area.marginsRemoved(margins);
    const int width = std::max(std::min(inner.width(), free.width()), minimumWidth());
    const int height = std::max(std::min(inner.height(), free.height()), minimumHeight());
    const int x = std::max(std::min(inner.x(), free.right() + 1 - width), free.left());
    const int y = std::max(std::min(inner.y(), free.bottom() + 1 - height), free.top());
    setGeometry(x, y, width, height);
}

void MainWindow::sizeColumnsToContent() {
    if (list_.count() == 0) return;
    QHeaderView* header = fileList_->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        if (!sizeToContent_[i]) continue;
        sizeToContent_[i] = false;
        if (header->isSectionHidden(col - 1)) continue;
        fileList_->resizeColumnToContents(col - 1);
        header->resizeSection(
            col - 1, std::clamp(header->sectionSize(col - 1), twipsToPixels(kMinColumnTwips), kMaxContentColumnPixels));
    }
}

void MainWindow::showDirTree(bool visible) {
    // Tree, bookmark buttons and splitter go together; the list takes the freed width.
    folderPane_->setVisible(visible);
    if (!visible) return;
    // The tree gets its stored width back, the list the rest.
    const int treeWidth = std::max(twipsToPixels(treeSplit_), 1);
    const int total = std::max(dirSplitter_->width(), width());
    dirSplitter_->setSizes({treeWidth, std::max(total - treeWidth - dirSplitter_->handleWidth(), 1)});
}

void MainWindow::placeTreeAtStoredFolder() {
    // The tree opens at its last folder without scanning yet; a folder that has gone
    // gives way to the default folder.
    const bool blocked = cmds_.bBlockDirUpdate;
    cmds_.bBlockDirUpdate = true;
    if (!isDirectory(treeDir_) || !selectTreeFolder(treeDir_)) selectTreeFolder(defaultFolder());
    cmds_.bBlockDirUpdate = blocked;
}

void MainWindow::startUp(const std::vector<std::string>& paths) {
    // A settings file that cannot be used as it is: said once, before the first scan.
    if (!settingsNotice_.empty()) {
        const std::string notice = std::move(settingsNotice_);
        settingsNotice_.clear();
        ask(notice, MessageButtons::Ok, settingsNoticeIcon_);
    }
    if (paths.empty()) {
        scanTreeFolder(scanSubfolders());
        return;
    }
    // The tree opens at the first folder given (or the folder of the first file), without a scan
    // of its own.
    for (const std::string& given : paths) {
        if (given.empty()) continue;
        std::string path = given;
        if (path.front() != '/') path = addBackslash(pathFromQt(QDir::currentPath())) + path;
        const std::string folder = isDirectory(path) ? path : getFolder(path);
        if (!isDirectory(folder)) continue;
        const bool blocked = cmds_.bBlockDirUpdate;
        cmds_.bBlockDirUpdate = true;
        selectTreeFolder(folder);
        cmds_.bBlockDirUpdate = blocked;
        break;
    }
    dropPaths(paths);
}

void MainWindow::storeLayoutInSettings() {
    Settings& s = settings();
    const bool minimized = isMinimized();
    const bool maximized = isMaximized();
    if (!minimized) s.formState = maximized ? 2 : 0;
    if (!minimized && !maximized) {
        s.formWidth = pixelsToTwips(width());
        s.formHeight = pixelsToTwips(height());
    }
    s.treeSplit = treeSplit_;
    s.viewDirTree = dirTreeItem_->isChecked();
    s.viewTagInfo = tagInfoItem_->isChecked();
    s.showGrid = fileGridItem_->isChecked();
    const QHeaderView* header = fileList_->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        s.colVisible[i] = columnVisible(col);
        if (s.colVisible[i]) {
            s.colPosition[i] = header->visualIndex(col - 1) + 1;
            s.colSize[i] = pixelsToTwips(header->sectionSize(col - 1));
        }
    }
}

void MainWindow::saveSettings() {
    createFolderTree(getFolder(settingsPath_));
    IniFile ini(settingsPath_);
    storePanelInSettings();
    storeLayoutInSettings();
    const Settings& s = settings();
    s.saveMain(ini);
    const std::string tree = treePath();
    if (!tree.empty()) treeDir_ = addBackslash(tree);
    writeSetting(ini, "General", "sTreeDir", treeDir_);
    s.saveVisual(ini, isMinimized(), isMaximized());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    stopScan();  // a listing under way ends with the window
    saveSettings();
    // Every dialog of the program goes with the main window.
    for (QDialog* dialog : findChildren<QDialog*>()) dialog->close();
    event->accept();
}

bool MainWindow::scanSubfolders() const { return sortingPanel_->ticked(SortingPanel::Option::ScanSubfolders); }

// ============================================================ folder tree

std::string MainWindow::treePath() const { return folderPane_->folder(); }

bool MainWindow::selectTreeFolder(const std::string& folder) { return folderPane_->selectFolder(folder); }

void MainWindow::treeFolderChanged(const std::string& path) {
    if (busy_ || cmds_.bBlockDirUpdate) return;
    clearAndScan(path, scanSubfolders());
}

void MainWindow::scanTreeFolder(bool subFolders) {
    const std::string path = treePath();
    if (!path.empty()) clearAndScan(path, subFolders);
}

void MainWindow::clearAndScan(const std::string& folder, bool subFolders) {
    runListing([&] {
        list_.clear();
        cmds_.nrTotalFiles = 0;
        clearPanes();
        cmds_.scanFolder(addBackslash(folder), subFolders);
    });
}

void MainWindow::deleteTreeFolder(bool permanently) {
    const std::string path = treePath();
    if (path.empty()) return;
    const bool toTrash = !permanently && settings().recycleFiles;
    // A permanent deletion is never done on a single key press without asking.
    if (!toTrash && ask("Are you sure you want to delete the selected directory from your harddrive?",
                        MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes) {
        return;
    }
    const std::string parent = folderPane_->parentFolder();
    // The file-system root is never handed to a recursive deletion.
    const int status =
        (path == "/" || parent.empty()) ? EPERM : shellFileOperation(path, "", FileOperation::Delete, toTrash);
    if (status != 0) {
        ask("Error: Could not delete folder.", MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    selectTreeFolder(parent);
}

// ============================================================ file list

template <typename F>
void MainWindow::runCommand(F&& command) {
    const bool wasBusy = busy_;
    busy_ = true;
    command();
    endCommand(wasBusy);
}

void MainWindow::endCommand(bool wasBusy) {
    busy_ = wasBusy;
    if (!busy_) cmds_.bStopScan = false;
    listModel()->flushPendingRows();
    if (!busy_ && settleAfterCommand_) queueSelectionSettle();
}

template <typename F>
void MainWindow::runListing(F&& command) {
    if (scanning_) {
        runCommand(std::forward<F>(command));
        return;
    }
    scanning_ = true;
    cmds_.bStopScan = false;
    statusPanels_->setStopVisible(true);
    paintClock_.invalidate();  // the first file paints at once: the Stop button shows right away
    qApp->installEventFilter(scanGate_);
    runCommand(std::forward<F>(command));
    qApp->removeEventFilter(scanGate_);
    statusPanels_->setStopVisible(false);
    scanning_ = false;
    showPendingTotals();
    listingDone();
}

void MainWindow::listingDone() {
    setProgress(0, 0);
    sizeColumnsToContent();
    // A sorted list stays sorted (and its header mark true) after rows were added.
    if (sortColumn_ != 0) {
        const Qt::SortOrder order = sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
        listModel()->sort(sortColumn_ - 1, order);
    }
}

void MainWindow::stopScan() {
    if (scanning_) cmds_.bStopScan = true;
}

void MainWindow::queueSelectionSettle() {
    if (settleQueued_) return;
    settleQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        settleQueued_ = false;
        settleSelection();
    });
}

bool MainWindow::settleSelection(bool clicked) {
    if (busy_) {
        settleAfterCommand_ = true;
        return false;
    }
    settleAfterCommand_ = false;
    const int count = list_.selectedCount();
    if (count == 1) {
        const int row = list_.firstSelected();
        if (!clicked && !cmds_.bMultiChange && !shownMany_ && shownPath_ == list_.getFullPath(row)) return false;
        cmds_.bMultiChange = false;
        runCommand([this, row] { cmds_.showFile(row); });
        return true;
    }
    const bool many = count > 1;
    if (!clicked && cmds_.bMultiChange == many && shownMany_ == many && shownPath_.empty()) return false;
    cmds_.bMultiChange = many;
    if (!cmds_.filCurrent().fullPath().empty()) cmds_.filCurrent().reset();
    clearPanes();
    return true;
}

void MainWindow::addFilesClicked() {
    const QString mp3Filter = QStringLiteral("MP3 Files (*.mp3 *.mp2)");
    const QString playlistFilter = QStringLiteral("Playlists (*.m3u *.m3u8 *.pls)");
    const QString allFilter = QStringLiteral("All Files (*)");
    QString chosenFilter;
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Add files"), pathToQt(settings().lastDir),
        mp3Filter + QStringLiteral(";;") + playlistFilter + QStringLiteral(";;") + allFilter, &chosenFilter);
    if (files.isEmpty()) return;
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(files.size()));
    for (const QString& file : files) paths.push_back(pathFromQt(file));
    addFiles(paths, chosenFilter == playlistFilter);
}

void MainWindow::addFiles(const std::vector<std::string>& fullPaths, bool playlistFilter) {
    if (fullPaths.empty()) return;
    // The command also remembers the folder as lastDir.
    runListing([&] { cmds_.addChosenFiles(fullPaths, playlistFilter); });
}

void MainWindow::dropPaths(const std::vector<std::string>& paths) {
    if (busy_ || paths.empty()) return;
    runListing([&] { cmds_.dropPaths(paths, scanSubfolders()); });
}

void MainWindow::sortByColumnClick(int col) {
    if (col < 1 || col > kColumnCount) return;
    if (col == sortColumn_) sortAscending_ = !sortAscending_;
    sortColumn_ = col;
    const Qt::SortOrder order = sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
    listModel()->sort(col - 1, order);
    QHeaderView* header = fileList_->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(col - 1, order);
}

bool MainWindow::columnVisible(int col) const {
    return col >= 1 && col <= kColumnCount && !fileList_->horizontalHeader()->isSectionHidden(col - 1);
}

void MainWindow::setColumnVisible(int col, bool visible) {
    if (col < 1 || col > kColumnCount) return;
    QHeaderView* header = fileList_->horizontalHeader();
    columnItems_[static_cast<size_t>(col - 1)]->setChecked(visible);
    if (!visible) {
        if (header->isSectionHidden(col - 1)) return;
        header->moveSection(header->visualIndex(col - 1), kColumnCount - 1);
        header->hideSection(col - 1);
        return;
    }
    if (!header->isSectionHidden(col - 1)) return;
    const IniFile ini(settingsPath_);
    const std::string n = std::to_string(col);
    const long long position = getIntSetting(ini, "Visual", "ColPosition" + n, col);
    const double size = storedColumnTwips(ini, col);
    header->showSection(col - 1);
    header->resizeSection(col - 1, twipsToPixels(std::max(size, kMinColumnTwips)));
    header->moveSection(header->visualIndex(col - 1),
                        static_cast<int>(std::clamp<long long>(position, 1, kColumnCount)) - 1);
}

void MainWindow::listContextMenu(const QPoint& pos) {
    if (list_.count() == 0) return;
    // One file: its tags and its folder; several files: numbering them.
    extractId3Item_->setEnabled(!cmds_.bMultiChange);
    folderFromId3Item_->setEnabled(!cmds_.bMultiChange);
    addTracksItem_->setEnabled(cmds_.bMultiChange);
    listPopup_->popup(fileList_->viewport()->mapToGlobal(pos));
}

void MainWindow::deleteFromList(bool fromDisk) {
    if (fromDisk) {
        runCommand([this] { cmds_.deleteSelectedFiles(); });
    } else {
        runCommand([this] { cmds_.removeSelectedFromList(); });
    }
}

// ============================================================ status bar and messages

QString MainWindow::panelText(int panel) const { return statusPanels_->text(panel); }

MessageAnswer MainWindow::ask(const std::string& text, MessageButtons buttons, MessageIcon icon,
                              const std::string& title) {
    listModel()->flushPendingRows();
    QMessageBox box(this);
    box.setWindowTitle(displayText(title));
    box.setText(displayText(text));
    switch (icon) {
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Ok: return MessageAnswer::Ok;
    default:
        // Closed without a button: the escape answer.
        if (buttons == MessageButtons::YesNo) return MessageAnswer::No;
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

void MainWindow::setStatus(int panel, const std::string& text) {
    if (panel < 1 || panel > 3) return;
    if (panel == 1 && scanning_) {
        // A listing counts every file: the totals are shown when it paints.
        pendingTotals_ = text;
        totalsPending_ = true;
        return;
    }
    statusPanels_->setText(panel, displayText(text));
}

void MainWindow::setProgress(long long value, long long max) {
    if (scanning_ && max > 0) {
        // A listing reports every file: the bar moves when the window paints.
        pendingProgress_ = {value, max};
        repaint();
        return;
    }
    pendingProgress_ = {0, 0};
    showProgress(value, max);
    if (max > 0) repaint();
}

void MainWindow::showProgress(long long value, long long max) { statusPanels_->showProgress(value, max); }

void MainWindow::showPendingTotals() {
    if (pendingProgress_.second > 0) {
        showProgress(pendingProgress_.first, pendingProgress_.second);
        pendingProgress_ = {0, 0};
    }
    if (!totalsPending_) return;
    totalsPending_ = false;
    statusPanels_->setText(1, displayText(pendingTotals_));
}

void MainWindow::repaint() {
    if (paintClock_.isValid() && paintClock_.elapsed() < paintInterval_) return;
    paintNow();
}

void MainWindow::paintNow() {
    QElapsedTimer cost;
    cost.start();
    showPendingTotals();
    listModel()->flushPendingRows();
    // Paint only: no input reaches the window while a command loop runs. A listing lets input
    // through its gate (the Stop button, Esc, scrolling).
    QCoreApplication::processEvents(scanning_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    // Painting takes at most a fifth of a long loop's time: a busy or slow machine paints less
    // often (never less than four times a second) rather than listing more slowly.
    paintInterval_ =
        std::clamp<qint64>(cost.elapsed() * 4, scanning_ ? kListingPaintIntervalMs : kPaintIntervalMs, 250);
    paintClock_.restart();
}

}  // namespace vorda::app
