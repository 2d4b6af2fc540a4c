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
#include "base/FileOps.h"
#include "base/IniFile.h"
#include "base/Text.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

namespace {

// Paths are byte strings; Qt gets them through the file-name codec.
QString pathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string pathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString textToQt(const std::string& text) { return QString::fromStdString(toDisplayUtf8(text)); }

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

// The local path of a dropped URL with its bytes as they are on disk.
std::string localPathOfUrl(const QUrl& url) {
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    return QByteArray::fromPercentEncoding(encoded).toStdString();
}

// While files are listed, the window paints and moves but takes no input except the Stop
// button, Esc (which stops too), and scrolling the list.
class ListingInputGate : public QObject {
public:
    ListingInputGate(QWidget* stopButton, QWidget* list, std::function<void()> stop, QObject* parent)
        : QObject(parent), stopButton_(stopButton), list_(list), stop_(std::move(stop)) {}

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
        if (widget == stopButton_) return true;
        if (!list_->isAncestorOf(widget)) return false;
        return event->type() == QEvent::Wheel || qobject_cast<QScrollBar*>(widget) != nullptr;
    }

    QWidget* stopButton_;
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
    picResizeTags = new QSplitter(Qt::Vertical, central);
    picResizeTags->setObjectName(QStringLiteral("picResizeTags"));
    picResizeTags->setChildrenCollapsible(false);
    columns->addWidget(picResizeTags, 1);

    picResizeDir = new QSplitter(Qt::Horizontal, picResizeTags);
    picResizeDir->setObjectName(QStringLiteral("picResizeDir"));
    picResizeDir->setChildrenCollapsible(false);
    picResizeTags->addWidget(picResizeDir);

    createDirTree();
    createFileList();
    createTagArea();
    picResizeTags->addWidget(tabTAGs);
    picResizeTags->setStretchFactor(0, 1);
    picResizeTags->setStretchFactor(1, 0);
    createToolPanel();
    columns->addWidget(picTools, 0);
    createStatusBar();
    createMenus();
    createPopupMenus();

    // The method switch shows the folder of each file shown while renaming.
    cmds_.fileShown = [this](AudioFile& file) {
        shownPath_ = file.fullPath();
        shownMany_ = false;
        panel_.fileShown(file.path());
        syncTargetBox();
    };
    setupNaming();
    setupBatchCommands();
    createTagEditor();

    loadSettings();
    paintClock_.start();
}

MainWindow::~MainWindow() {
    // Events of the children being destroyed no longer reach the window's handlers.
    listViewport_ = treeViewport_ = nullptr;
    lstFiles2->removeEventFilter(this);
    dirTree->removeEventFilter(this);
    // The model observes the list member; it must go before the list does.
    lstFiles2->setModel(nullptr);
    delete model_;
    model_ = nullptr;
}

void MainWindow::createMenus() {
    QMenuBar* bar = menuBar();

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = mnuFile->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    mnuList = bar->addMenu(QStringLiteral("&List"));
    mnuList->setObjectName(QStringLiteral("mnuList"));
    mnuAddFiles = mnuList->addAction(QStringLiteral("Add files..."), this, &MainWindow::mnuAddFilesClick);
    mnuAddFiles->setObjectName(QStringLiteral("mnuAddFiles"));
    mnuList->addSeparator();
    mnuNonExistent = mnuList->addAction(QStringLiteral("Remove nonexistent files"), this,
                                        [this] { runCommand([this] { cmds_.removeNonexistentFiles(); }); });
    mnuNonExistent->setObjectName(QStringLiteral("mnuNonExistent"));
    mnuSelectAll = mnuList->addAction(QStringLiteral("Select all files"), this,
                                      [this] { runCommand([this] { cmds_.selectAllFiles(); }); });
    mnuSelectAll->setObjectName(QStringLiteral("mnuSelectAll"));
    mnuSelInvert = mnuList->addAction(QStringLiteral("Invert selection"), this,
                                      [this] { runCommand([this] { cmds_.invertSelection(); }); });
    mnuSelInvert->setObjectName(QStringLiteral("mnuSelInvert"));
    mnuClearList = mnuList->addAction(QStringLiteral("Clear filelist"), this,
                                      [this] { runCommand([this] { cmds_.clearFileList(); }); });
    mnuClearList->setObjectName(QStringLiteral("mnuClearList"));
    mnuList->addSeparator();
    mnuExport = mnuList->addMenu(QStringLiteral("Export"));
    mnuExport->setObjectName(QStringLiteral("mnuExport"));
    mnuExportEditor = addLaterItem(mnuExport, "mnuExportEditor", "Custom exports...");
    mnuExportCSV = addLaterItem(mnuExport, "mnuExportCSV", "selected files to CSV...");
    mnuExportHTML = addLaterItem(mnuExport, "mnuExportHTML", "selected files to HTML...");
    mnuExportM3U = addLaterItem(mnuExport, "mnuExportM3U", "selected files to M3U...");
    mnuExportPLS = addLaterItem(mnuExport, "mnuExportPLS", "selected files to PLS...");
    mnuExportCDCover = addLaterItem(mnuExport, "mnuExportCDCover", "to CD cover...");

    mnuActions = bar->addMenu(QStringLiteral("&Actions"));
    mnuActions->setObjectName(QStringLiteral("mnuActions"));
    mnuSortAll = addLaterItem(mnuActions, "mnuSortAll", "Sort all files", QKeySequence(Qt::Key_F4));
    mnuSortSelected = addLaterItem(mnuActions, "mnuSortSelected", "Sort selected file(s)", QKeySequence(Qt::Key_F5));

    mnuView = bar->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuDirTree = mnuView->addAction(QStringLiteral("Directory tree"));
    mnuDirTree->setObjectName(QStringLiteral("mnuDirTree"));
    mnuDirTree->setCheckable(true);
    mnuDirTree->setChecked(true);
    connect(mnuDirTree, &QAction::toggled, this, &MainWindow::showDirTree);
    mnuTagInfo = mnuView->addAction(QStringLiteral("Tag info"));
    mnuTagInfo->setObjectName(QStringLiteral("mnuTagInfo"));
    mnuTagInfo->setCheckable(true);
    mnuTagInfo->setChecked(true);
    connect(mnuTagInfo, &QAction::toggled, this, &MainWindow::showTagInfo);

    mnuTags = bar->addMenu(QStringLiteral("&Tags"));
    mnuTags->setObjectName(QStringLiteral("mnuTags"));
    mnuFindReplace =
        addLaterItem(mnuTags, "mnuFindReplace", "Find && Replace/Trim/Add...", QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFreeDBLookup = addLaterItem(mnuTags, "mnuFreeDBLookup", "FreeDB lookup...", QKeySequence(Qt::Key_F8));
    mnuFixTags = addLaterItem(mnuTags, "mnuFixTags", "Fix tags");
    mnuSaveTags = addLaterItem(mnuTags, "mnuSaveTags", "Save tags", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuRemoveTags = addLaterItem(mnuTags, "mnuRemoveTags", "Remove tags");

    mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    // The mode is kept and saved; the tag editor acts on it.
    mnuAdvancedMode = addLaterItem(mnuOptions, "mnuAdvancedMode", "Advanced mode");
    mnuAdvancedMode->setCheckable(true);
    mnuSettings = mnuOptions->addAction(QStringLiteral("Settings..."), this, &MainWindow::showOptions);
    mnuSettings->setObjectName(QStringLiteral("mnuSettings"));
    mnuOptions->addSeparator();
    mnuColumns = mnuOptions->addMenu(QStringLiteral("Columns"));
    mnuColumns->setObjectName(QStringLiteral("mnuColumns"));
    for (int col = 1; col <= kColumnCount; ++col) {
        QAction* item = mnuColumns->addAction(QString::fromStdString(columnTitle(col)));
        item->setObjectName(QStringLiteral("mnuCols%1").arg(col));
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, [this, col](bool on) { setColumnVisible(col, on); });
        mnuCols[static_cast<size_t>(col - 1)] = item;
    }
    mnuFileGrid = mnuOptions->addAction(QStringLiteral("Show grid"));
    mnuFileGrid->setObjectName(QStringLiteral("mnuFileGrid"));
    mnuFileGrid->setCheckable(true);
    mnuFileGrid->setChecked(true);
    connect(mnuFileGrid, &QAction::toggled, this, [this](bool on) { lstFiles2->setShowGrid(on); });

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpMe = mnuHelp->addAction(QStringLiteral("&Help..."), this, [this] { showHelp(helpFilePath()); });
    mnuHelpMe->setObjectName(QStringLiteral("mnuHelpMe"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About..."), this, &MainWindow::showAbout);
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
}

void MainWindow::createDirTree() {
    picDirPane = new QWidget(picResizeDir);
    picDirPane->setObjectName(QStringLiteral("picDirPane"));
    auto* pane = new QVBoxLayout(picDirPane);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(2);
    createBookmarkButtons(picDirPane);
    dirTree = new QTreeView(picDirPane);
    dirTree->setObjectName(QStringLiteral("DirTree"));
    dirTree->setHeaderHidden(true);
    dirTree->setContextMenuPolicy(Qt::CustomContextMenu);
    pane->addWidget(dirTree, 1);
    picResizeDir->addWidget(picDirPane);
    picResizeDir->setStretchFactor(0, 0);
    treeViewport_ = dirTree->viewport();
    treeViewport_->installEventFilter(this);
    dirTree->installEventFilter(this);
    connect(dirTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { mnuTreePopup->popup(dirTree->viewport()->mapToGlobal(pos)); });
    refreshTree();
}

void MainWindow::refreshTree() {
    // A fresh model re-reads every folder; the tree stays on its folder without a rescan.
    const std::string current = treePath();
    QFileSystemModel* old = dirModel_;
    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    dirModel_->setRootPath(QStringLiteral("/"));
    dirTree->setModel(dirModel_);
    for (int c = 1; c < dirModel_->columnCount(); ++c) dirTree->hideColumn(c);
    // The column is as wide as its names, so deep folders scroll sideways instead of being cut.
    dirTree->header()->setStretchLastSection(false);
    dirTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(dirTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { dirTreeChange(current); });
    // Folders load in the background: the tree's folder is kept in view as its parents fill in.
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (treeFollow_) showTreeFolder();
    });
    delete old;
    if (!current.empty()) {
        const bool blocked = cmds_.bBlockDirUpdate;
        cmds_.bBlockDirUpdate = true;
        selectTreeFolder(current);
        cmds_.bBlockDirUpdate = blocked;
    }
}

void MainWindow::createFileList() {
    lstFiles2 = new QTableView(picResizeDir);
    lstFiles2->setObjectName(QStringLiteral("lstFiles2"));
    picResizeDir->addWidget(lstFiles2);
    picResizeDir->setStretchFactor(1, 1);

    model_ = new FileListModel(list_, icons_);
    lstFiles2->setModel(model_);
    model_->attachSelectionModel(lstFiles2->selectionModel());

    lstFiles2->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstFiles2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstFiles2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstFiles2->setWordWrap(false);
    lstFiles2->setTabKeyNavigation(false);
    lstFiles2->setContextMenuPolicy(Qt::CustomContextMenu);
    lstFiles2->verticalHeader()->hide();
    lstFiles2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstFiles2->verticalHeader()->setDefaultSectionSize(lstFiles2->fontMetrics().height() + 6);

    QHeaderView* header = lstFiles2->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    connect(header, &QHeaderView::sectionClicked, this, [this](int logical) { sortByColumnClick(logical + 1); });

    lstFiles2->setAcceptDrops(true);
    lstFiles2->viewport()->setAcceptDrops(true);
    lstFiles2->setDragDropMode(QAbstractItemView::DropOnly);
    listViewport_ = lstFiles2->viewport();
    lstFiles2->installEventFilter(this);
    listViewport_->installEventFilter(this);
    // Mouse, keys, type-ahead, select all and programmatic changes all end in settleSelection.
    connect(lstFiles2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { queueSelectionSettle(); });
    connect(lstFiles2, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) settleSelection(true);
    });
    connect(lstFiles2, &QWidget::customContextMenuRequested, this, &MainWindow::lstFiles2ContextMenu);
}

void MainWindow::createStatusBar() {
    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar->setSizeGripEnabled(true);
    setStatusBar(statusBar);
    const char* const initial[] = {"Total: 0 files", "Filesize: 0 kB", "Status"};
    for (int i = 0; i < 3; ++i) {
        QLabel* panel = new QLabel(QString::fromLatin1(initial[i]), statusBar);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        // Totals and file size get room for large numbers; the status text takes the rest.
        static const char* const kWidest[2] = {"Total: 88888 files (88888 MB)", "Filesize: 888888 kB"};
        panel->setMinimumWidth(i == 2 ? 120 : panel->fontMetrics().horizontalAdvance(QLatin1String(kWidest[i])) + 12);
        statusBar->addWidget(panel, i == 2 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = panel;
    }
    progressBar = new QProgressBar(statusBar);
    progressBar->setObjectName(QStringLiteral("ProgressBar"));
    progressBar->setToolTip(QStringLiteral("Shows the progress"));
    progressBar->setMinimumWidth(120);
    progressBar->setMaximumWidth(200);
    progressBar->setMaximumHeight(statusBar->fontMetrics().height() + 6);
    progressBar->setTextVisible(true);
    setProgress(0, 0);
    statusBar->addPermanentWidget(progressBar);
    cmdStopScan = new QPushButton(QStringLiteral("Stop"), statusBar);
    cmdStopScan->setObjectName(QStringLiteral("cmdStopScan"));
    cmdStopScan->setToolTip(QStringLiteral("Stop listing files (Esc)"));
    cmdStopScan->setFocusPolicy(Qt::NoFocus);
    cmdStopScan->setMaximumHeight(statusBar->fontMetrics().height() + 8);
    cmdStopScan->hide();
    connect(cmdStopScan, &QPushButton::clicked, this, &MainWindow::stopScan);
    statusBar->addPermanentWidget(cmdStopScan);
    scanGate_ = new ListingInputGate(
        cmdStopScan, lstFiles2, [this] { stopScan(); }, this);
}

void MainWindow::createPopupMenus() {
    mnuPopup = new QMenu(QStringLiteral("Popup Menu"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuExtractID3 = addLaterItem(mnuPopup, "mnuExtractID3", "Extract tags");
    mnuPopFreeDBLookup = addLaterItem(mnuPopup, "mnuPopFreeDBLookup", "FreeDB lookup...");
    mnuAddTracks = addLaterItem(mnuPopup, "mnuAddTracks", "Add tracknumbers...");
    mnuPopup->addSeparator();
    mnuPopSort = mnuPopup->addMenu(QStringLiteral("Sort selected file(s) using..."));
    mnuPopSort->setObjectName(QStringLiteral("mnuPopSort"));
    fillPopSortItems({""});
    mnuPopSortAlbum = addLaterItem(mnuPopup, "mnuPopSortAlbum", "Sort selected file(s) as album");
    mnuPopup->addSeparator();
    mnuWinamp = mnuPopup->addMenu(QStringLiteral("Media player"));
    mnuWinamp->setObjectName(QStringLiteral("mnuWinamp"));
    mnuWAEnqueuePlay = addLaterItem(mnuWinamp, "mnuWAEnqueuePlay", "Enqueue and play");
    mnuWAEnqueue = addLaterItem(mnuWinamp, "mnuWAEnqueue", "Enqueue");
    mnuWAOpenFile = addLaterItem(mnuWinamp, "mnuWAOpenFile", "Open file");
    mnuWinamp->addSeparator();
    mnuWANext = addLaterItem(mnuWinamp, "mnuWANext", "Next");
    mnuWAPrevious = addLaterItem(mnuWinamp, "mnuWAPrevious", "Previous");
    mnuWAPlay = addLaterItem(mnuWinamp, "mnuWAPlay", "Play");
    mnuWAPause = addLaterItem(mnuWinamp, "mnuWAPause", "Pause/Unpause");
    mnuWAStop = addLaterItem(mnuWinamp, "mnuWAStop", "Stop");
    mnuPopup->addSeparator();
    mnuFolderFromID3 = addLaterItem(mnuPopup, "mnuFolderFromID3", "Create/Rename folder from ID3...");
    mnuPopup->addSeparator();
    mnuRemFromList = mnuPopup->addAction(QStringLiteral("Remove file(s) from list"), this,
                                         [this] { runCommand([this] { cmds_.removeSelectedFromList(); }); });
    mnuRemFromList->setObjectName(QStringLiteral("mnuRemFromList"));
    mnuRemFromHD = mnuPopup->addAction(QStringLiteral("Delete file(s)"), this,
                                       [this] { runCommand([this] { cmds_.deleteSelectedFiles(); }); });
    mnuRemFromHD->setObjectName(QStringLiteral("mnuRemFromHD"));

    mnuTreePopup = new QMenu(QStringLiteral("Tree Popup"), this);
    mnuTreePopup->setObjectName(QStringLiteral("mnuTreePopup"));
    mnuTreeRefresh = mnuTreePopup->addAction(QStringLiteral("Refresh"), this, &MainWindow::refreshTree);
    mnuTreeRefresh->setObjectName(QStringLiteral("mnuTreeRefresh"));
    mnuSetTargetFolder =
        mnuTreePopup->addAction(QStringLiteral("Set as target folder"), this, &MainWindow::setTreeFolderAsTarget);
    mnuSetTargetFolder->setObjectName(QStringLiteral("mnuSetTargetFolder"));
    mnuRecursiveScan =
        mnuTreePopup->addAction(QStringLiteral("Recursive Scan"), this, [this] { scanTreeFolder(true); });
    mnuRecursiveScan->setObjectName(QStringLiteral("mnuRecursiveScan"));
    mnuTreePopup->addSeparator();
    mnuRenNewFolder = mnuTreePopup->addAction(QStringLiteral("New folder"));
    mnuRenNewFolder->setObjectName(QStringLiteral("mnuRenNewFolder"));
    mnuRenNewFolder->setEnabled(false);
    mnuRenFolder = mnuTreePopup->addMenu(QStringLiteral("Rename as"));
    mnuRenFolder->setObjectName(QStringLiteral("mnuRenFolder"));
    mnuRenFolderCustom = mnuRenFolder->addAction(QStringLiteral("custom..."));
    mnuRenFolderCustom->setObjectName(QStringLiteral("mnuRenFolderCustom"));
    mnuRenFolderCustom->setEnabled(false);
    mnuRenFolderPattern = mnuRenFolder->addAction(QStringLiteral("pattern"));
    mnuRenFolderPattern->setObjectName(QStringLiteral("mnuRenFolderPattern"));
    mnuRenFolderPattern->setEnabled(false);
    mnuDelFolder = mnuTreePopup->addAction(QStringLiteral("Delete"));
    mnuDelFolder->setObjectName(QStringLiteral("mnuDelFolder"));
    mnuDelFolder->setEnabled(false);
}

// ============================================================ start-up and settings

void MainWindow::loadSettings() {
    settingsPath_ = settingsFilePath();
    IniFile ini(settingsPath_);
    Settings& s = settings();
    s.load(ini);
    settingsNotice_ = settingsFileNotice(ini, true);
    settingsNoticeIcon_ = ini.fileCondition() == IniFile::Condition::Ok ? miInformation : miWarning;
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
    connect(picResizeDir, &QSplitter::splitterMoved, this, [this](int pos, int) {
        if (dirTree->isVisible()) treeSplit_ = pixelsToTwips(pos);
    });

    mnuDirTree->setChecked(s.viewDirTree);
    showDirTree(s.viewDirTree);
    mnuTagInfo->setChecked(s.viewTagInfo);
    showTagInfo(s.viewTagInfo);
    mnuFileGrid->setChecked(s.showGrid);
    lstFiles2->setShowGrid(s.showGrid);
}

void MainWindow::applyColumnLayout(const IniFile& ini) {
    const Settings& s = settings();
    QHeaderView* header = lstFiles2->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        header->showSection(col - 1);
        header->resizeSection(col - 1, twipsToPixels(std::max(storedColumnTwips(ini, col), kMinColumnTwips)));
        mnuCols[i]->setChecked(s.colVisible[i]);
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
    const int tagHeight = picTAG[0]->sizeHint().height() + tabTAGs->tabBar()->sizeHint().height() + 8;
    const int total = picResizeTags->height();
    if (total > tagHeight) picResizeTags->setSizes({total - tagHeight - picResizeTags->handleWidth(), tagHeight});
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
    QHeaderView* header = lstFiles2->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        if (!sizeToContent_[i]) continue;
        sizeToContent_[i] = false;
        if (header->isSectionHidden(col - 1)) continue;
        lstFiles2->resizeColumnToContents(col - 1);
        header->resizeSection(
            col - 1, std::clamp(header->sectionSize(col - 1), twipsToPixels(kMinColumnTwips), kMaxContentColumnPixels));
    }
}

void MainWindow::showDirTree(bool visible) {
    // Tree, bookmark buttons and splitter go together; the list takes the freed width.
    picDirPane->setVisible(visible);
    if (!visible) return;
    // The tree gets its stored width back, the list the rest.
    const int treeWidth = std::max(twipsToPixels(treeSplit_), 1);
    const int total = std::max(picResizeDir->width(), width());
    picResizeDir->setSizes({treeWidth, std::max(total - treeWidth - picResizeDir->handleWidth(), 1)});
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
        ask(notice, mbOK, settingsNoticeIcon_);
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
    s.viewDirTree = mnuDirTree->isChecked();
    s.viewTagInfo = mnuTagInfo->isChecked();
    s.showGrid = mnuFileGrid->isChecked();
    const QHeaderView* header = lstFiles2->horizontalHeader();
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

bool MainWindow::scanSubfolders() const { return chkScanSubfolders->checkState() != Qt::Unchecked; }

// ============================================================ folder tree

std::string MainWindow::treePath() const {
    if (!dirModel_ || !dirTree->selectionModel()) return {};
    const QModelIndex current = dirTree->currentIndex();
    if (!current.isValid()) return {};
    return removeBackslash(pathFromQt(dirModel_->filePath(current)));
}

bool MainWindow::selectTreeFolder(const std::string& folder) {
    if (folder.empty()) return false;
    const QModelIndex index = dirModel_->index(pathToQt(removeBackslash(folder)));
    if (!index.isValid()) return false;
    dirTree->setCurrentIndex(index);
    treeFollow_ = true;
    showTreeFolder();
    return true;
}

void MainWindow::showTreeFolder() {
    const QModelIndex current = dirTree->currentIndex();
    if (!current.isValid()) return;
    dirTree->scrollTo(current, QAbstractItemView::PositionAtCenter);
    // A deep folder is indented past the tree's width: its name is scrolled into view too.
    const QRect item = dirTree->visualRect(current);
    QScrollBar* across = dirTree->horizontalScrollBar();
    if (item.left() < 0 || item.left() + 40 > dirTree->viewport()->width())
        across->setValue(across->value() + item.left() - dirTree->indentation());
}

void MainWindow::dirTreeChange(const QModelIndex& current) {
    if (!current.isValid() || busy_) return;
    const std::string path = pathFromQt(dirModel_->filePath(current));
    if (path.empty() || cmds_.bBlockDirUpdate) return;
    if (treeMouseButton_ == Qt::RightButton || treeMouseButton_ == Qt::MiddleButton) return;
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
    const QModelIndex current = dirTree->currentIndex();
    const std::string path = treePath();
    if (path.empty()) return;
    const bool toTrash = !permanently && settings().recycleFiles;
    // A permanent deletion is never done on a single key press without asking.
    if (!toTrash && ask("Are you sure you want to delete the selected directory from your harddrive?", mbYesNo,
                        miQuestion) != anYes) {
        return;
    }
    const std::string parent = pathFromQt(dirModel_->filePath(current.parent()));
    // The file-system root is never handed to a recursive deletion.
    const int status = (path == "/" || parent.empty()) ? EPERM : shellFileOperation(path, "", foDelete, toTrash);
    if (status != 0) {
        ask("Error: Could not delete folder.", mbOK, miError);
        return;
    }
    selectTreeFolder(parent);
}

bool MainWindow::dirTreeKeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete) return false;
    deleteTreeFolder((event->modifiers() & Qt::ShiftModifier) != 0);
    return true;
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
    model_->flushPendingRows();
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
    cmdStopScan->show();
    paintClock_.invalidate();  // the first file paints at once: the Stop button shows right away
    qApp->installEventFilter(scanGate_);
    runCommand(std::forward<F>(command));
    qApp->removeEventFilter(scanGate_);
    cmdStopScan->hide();
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
        model_->sort(sortColumn_ - 1, order);
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

void MainWindow::mnuAddFilesClick() {
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
    model_->sort(col - 1, order);
    QHeaderView* header = lstFiles2->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(col - 1, order);
}

bool MainWindow::columnVisible(int col) const {
    return col >= 1 && col <= kColumnCount && !lstFiles2->horizontalHeader()->isSectionHidden(col - 1);
}

void MainWindow::setColumnVisible(int col, bool visible) {
    if (col < 1 || col > kColumnCount) return;
    QHeaderView* header = lstFiles2->horizontalHeader();
    mnuCols[static_cast<size_t>(col - 1)]->setChecked(visible);
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

void MainWindow::lstFiles2ContextMenu(const QPoint& pos) {
    if (list_.count() == 0) return;
    // One file: its tags and its folder; several files: numbering them.
    mnuExtractID3->setEnabled(!cmds_.bMultiChange);
    mnuFolderFromID3->setEnabled(!cmds_.bMultiChange);
    mnuAddTracks->setEnabled(cmds_.bMultiChange);
    mnuPopup->popup(lstFiles2->viewport()->mapToGlobal(pos));
}

bool MainWindow::lstFiles2KeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Delete:
        if (mods & Qt::ShiftModifier) {
            runCommand([this] { cmds_.deleteSelectedFiles(); });
        } else {
            runCommand([this] { cmds_.removeSelectedFromList(); });
        }
        return true;
    default:
        // Arrows, pages, type-ahead, Ctrl+A: the list moves its selection first, then the
        // panes follow it at once.
        static_cast<QObject*>(lstFiles2)->event(event);
        settleSelection();
        return true;
    }
}

bool MainWindow::lstFiles2DragEvent(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    const QList<QUrl> urls = data && data->hasUrls() ? data->urls() : QList<QUrl>();
    const bool hasFiles = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
    if (!hasFiles || busy_) {
        event->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        std::vector<std::string> paths;
        for (const QUrl& url : urls) {
            if (url.isLocalFile()) paths.push_back(localPathOfUrl(url));
        }
        dropPaths(paths);
    }
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Only pointers are compared here: the filter also sees events while children are built.
    if (!watched) return false;
    if (panelEventFilter(watched, event)) return true;
    if (watched == listViewport_) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: return lstFiles2DragEvent(event);
        default: return false;
        }
    }
    if (watched == lstFiles2 && event->type() == QEvent::KeyPress) {
        return lstFiles2KeyDown(static_cast<QKeyEvent*>(event));
    }
    if (watched == treeViewport_) {
        if (event->type() == QEvent::Wheel) treeFollow_ = false;  // the user scrolls the tree now
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            treeFollow_ = false;
            treeMouseButton_ = static_cast<QMouseEvent*>(event)->button();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // After the tree has handled the release, keyboard moves scan again.
            QTimer::singleShot(0, this, [this] { treeMouseButton_ = 0; });
        }
        return false;
    }
    if (watched == dirTree && event->type() == QEvent::KeyPress) {
        return dirTreeKeyDown(static_cast<QKeyEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

// ============================================================ status bar and messages

QString MainWindow::panelText(int panel) const {
    if (panel >= 1 && panel <= 3) return panels_[static_cast<size_t>(panel - 1)]->text();
    if (panel == 4) return progressBar->text();
    return {};
}

int MainWindow::ask(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    model_->flushPendingRows();
    QMessageBox box(this);
    box.setWindowTitle(textToQt(title));
    box.setText(textToQt(text));
    switch (icon) {
    case miError: box.setIcon(QMessageBox::Critical); break;
    case miQuestion: box.setIcon(QMessageBox::Question); break;
    case miWarning: box.setIcon(QMessageBox::Warning); break;
    case miInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case mbOKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case mbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case mbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return anYes;
    case QMessageBox::No: return anNo;
    case QMessageBox::Cancel: return anCancel;
    case QMessageBox::Ok: return anOK;
    default:
        // Closed without a button: the escape answer.
        if (buttons == mbYesNo) return anNo;
        return buttons == mbOK ? anOK : anCancel;
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
    QLabel* label = panels_[static_cast<size_t>(panel - 1)];
    label->setText(textToQt(text));
    if (panel == 3) label->setToolTip(label->text());  // whole, should a narrow window cut it
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

void MainWindow::showProgress(long long value, long long max) {
    if (max <= 0) {
        progressBar->setRange(0, 100);
        progressBar->setValue(0);
        progressBar->setFormat(QStringLiteral("Progress"));
        return;
    }
    // The bar counts in int; very large totals are shown in thousandths.
    int shownMax = static_cast<int>(std::min<long long>(max, INT_MAX));
    int shownValue = static_cast<int>(std::clamp<long long>(value, 0, shownMax));
    if (max > INT_MAX) {
        shownMax = 1000;
        shownValue = static_cast<int>(std::clamp<long long>(value, 0, max) * 1000 / max);
    }
    progressBar->setFormat(QStringLiteral("%p%"));
    progressBar->setRange(0, shownMax);
    progressBar->setValue(shownValue);
}

void MainWindow::showPendingTotals() {
    if (pendingProgress_.second > 0) {
        showProgress(pendingProgress_.first, pendingProgress_.second);
        pendingProgress_ = {0, 0};
    }
    if (!totalsPending_) return;
    totalsPending_ = false;
    panels_[0]->setText(textToQt(pendingTotals_));
}

void MainWindow::repaint() {
    if (paintClock_.isValid() && paintClock_.elapsed() < paintInterval_) return;
    paintNow();
}

void MainWindow::paintNow() {
    QElapsedTimer cost;
    cost.start();
    showPendingTotals();
    model_->flushPendingRows();
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
