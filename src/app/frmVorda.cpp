#include "app/frmVorda.h"

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
#include <QLabel>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "app/FileOps.h"
#include "app/IniFile.h"
#include "app/QtFileListModel.h"
#include "app/Routines.h"
#include "app/Settings.h"

namespace vorda {

namespace {

// Paths are byte strings; Qt gets them through the file-name codec.
QString PathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString TextToQt(const std::string& text) { return QString::fromStdString(ToDisplayUtf8(text)); }

int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / frmVorda::kTwipsPerPixel)); }
double PixelsToTwips(int pixels) { return pixels * frmVorda::kTwipsPerPixel; }

// The smallest column width at load and when a column is shown again, in twips.
constexpr double kMinColumnTwips = 120;

// Width of a column that has no stored size, in twips: wide enough for its usual content.
double DefaultColumnTwips(int col) {
    static constexpr double kWidths[kColumnCount] = {3000, 2400, 900,  1800, 1800, 2250, 675,
                                                     675,  1200, 1800, 1350, 1575, 1200, 900};
    return col >= 1 && col <= kColumnCount ? kWidths[col - 1] : 400;
}

// The stored width of a column, or its default width when none is stored.
double StoredColumnTwips(const IniFile& ini, int col) {
    return GetRealSetting(ini, "Visual", "ColSize" + std::to_string(col), DefaultColumnTwips(col));
}

// Whether the settings file holds a usable number under the key (a first start holds none).
bool HasStoredNumber(const IniFile& ini, const char* section, const std::string& key) {
    static const std::string kAbsent = "\x01" "absent";
    if (ini.Read(section, key, kAbsent) == kAbsent) return false;
    const double value = GetRealSetting(ini, section, key, -1);
    return std::isfinite(value) && value > 0;
}

// A stored size in twips as pixels, whatever the file says (huge, negative, not a number).
int StoredPixels(double twips) {
    if (!std::isfinite(twips) || twips <= 0) return 0;
    return TwipsToPixels(std::min(twips, 1.0e6));
}

// Widest a column gets when it is sized to its content, in pixels.
constexpr int kMaxContentColumnPixels = 360;
// Long loops repaint at most this often.
constexpr qint64 kPaintIntervalMs = 30;
// A listing repaints a whole table of new rows: ten times a second is smooth enough.
constexpr qint64 kListingPaintIntervalMs = 100;

// A menu item of a command that another part of the program provides: present, named,
// with its shortcut, and disabled until that command is connected.
QAction* AddLaterItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& key = {}) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) item->setShortcut(key);
    item->setEnabled(false);
    return item;
}

// "Vorda 0.1" from the version "0.1.0".
QString WindowCaption() {
    const QStringList parts = QString::fromLatin1(VORDA_VERSION).split(QLatin1Char('.'));
    QString caption = QStringLiteral("Vorda");
    if (!parts.isEmpty()) caption += QLatin1Char(' ') + parts.value(0) + QLatin1Char('.') + parts.value(1, QStringLiteral("0"));
    return caption;
}

// The local path of a dropped URL with its bytes as they are on disk.
std::string LocalPathOfUrl(const QUrl& url) {
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
        case QEvent::Shortcut:
            return true;
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
        case QEvent::TouchEnd:
            return !Allowed(watched, event);
        default:
            return false;
        }
    }

private:
    bool Allowed(QObject* watched, QEvent* event) const {
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

frmVorda::frmVorda(QWidget* parent) : QMainWindow(parent), cmds_(list_, *this, settings()) {
    setObjectName(QStringLiteral("frmVorda"));
    setWindowTitle(WindowCaption());
    setMinimumSize(TwipsToPixels(kMinWidthTwips), TwipsToPixels(kMinHeightTwips));
    InstallTrashHandler();

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

    CreateDirTree();
    CreateFileList();
    CreateTagArea();
    picResizeTags->addWidget(tabTAGs);
    picResizeTags->setStretchFactor(0, 1);
    picResizeTags->setStretchFactor(1, 0);
    CreateToolPanel();
    columns->addWidget(picTools, 0);
    CreateStatusBar();
    CreateMenus();
    CreatePopupMenus();

    // The method switch shows the folder of each file shown while renaming.
    cmds_.FileShown = [this](clsFile& file) {
        shownPath_ = file.FullPath();
        shownMany_ = false;
        panel_.FileShown(file.Path());
        SyncTargetBox();
    };
    SetupNaming();
    SetupBatchCommands();
    CreateTagEditor();

    LoadSettings();
    paintClock_.start();
}

frmVorda::~frmVorda() {
    // Events of the children being destroyed no longer reach the window's handlers.
    listViewport_ = treeViewport_ = nullptr;
    lstFiles2->removeEventFilter(this);
    DirTree->removeEventFilter(this);
    // The model observes the list member; it must go before the list does.
    lstFiles2->setModel(nullptr);
    delete model_;
    model_ = nullptr;
}

void frmVorda::CreateMenus() {
    QMenuBar* bar = menuBar();

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = mnuFile->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    mnuList = bar->addMenu(QStringLiteral("&List"));
    mnuList->setObjectName(QStringLiteral("mnuList"));
    mnuAddFiles = mnuList->addAction(QStringLiteral("Add files..."), this, &frmVorda::mnuAddFiles_Click);
    mnuAddFiles->setObjectName(QStringLiteral("mnuAddFiles"));
    mnuList->addSeparator();
    mnuNonExistent = mnuList->addAction(QStringLiteral("Remove nonexistent files"), this,
                                        [this] { RunCommand([this] { cmds_.RemoveNonexistentFiles(); }); });
    mnuNonExistent->setObjectName(QStringLiteral("mnuNonExistent"));
    mnuSelectAll = mnuList->addAction(QStringLiteral("Select all files"), this,
                                      [this] { RunCommand([this] { cmds_.SelectAllFiles(); }); });
    mnuSelectAll->setObjectName(QStringLiteral("mnuSelectAll"));
    mnuSelInvert = mnuList->addAction(QStringLiteral("Invert selection"), this,
                                      [this] { RunCommand([this] { cmds_.InvertSelection(); }); });
    mnuSelInvert->setObjectName(QStringLiteral("mnuSelInvert"));
    mnuClearList = mnuList->addAction(QStringLiteral("Clear filelist"), this,
                                      [this] { RunCommand([this] { cmds_.ClearFileList(); }); });
    mnuClearList->setObjectName(QStringLiteral("mnuClearList"));
    mnuList->addSeparator();
    mnuExport = mnuList->addMenu(QStringLiteral("Export"));
    mnuExport->setObjectName(QStringLiteral("mnuExport"));
    mnuExportEditor = AddLaterItem(mnuExport, "mnuExportEditor", "Custom exports...");
    mnuExportCSV = AddLaterItem(mnuExport, "mnuExportCSV", "selected files to CSV...");
    mnuExportHTML = AddLaterItem(mnuExport, "mnuExportHTML", "selected files to HTML...");
    mnuExportM3U = AddLaterItem(mnuExport, "mnuExportM3U", "selected files to M3U...");
    mnuExportPLS = AddLaterItem(mnuExport, "mnuExportPLS", "selected files to PLS...");
    mnuExportCDCover = AddLaterItem(mnuExport, "mnuExportCDCover", "to CD cover...");

    mnuActions = bar->addMenu(QStringLiteral("&Actions"));
    mnuActions->setObjectName(QStringLiteral("mnuActions"));
    mnuSortAll = AddLaterItem(mnuActions, "mnuSortAll", "Sort all files", QKeySequence(Qt::Key_F4));
    mnuSortSelected = AddLaterItem(mnuActions, "mnuSortSelected", "Sort selected file(s)", QKeySequence(Qt::Key_F5));

    mnuView = bar->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuDirTree = mnuView->addAction(QStringLiteral("Directory tree"));
    mnuDirTree->setObjectName(QStringLiteral("mnuDirTree"));
    mnuDirTree->setCheckable(true);
    mnuDirTree->setChecked(true);
    connect(mnuDirTree, &QAction::toggled, this, &frmVorda::ShowDirTree);
    mnuTagInfo = mnuView->addAction(QStringLiteral("Tag info"));
    mnuTagInfo->setObjectName(QStringLiteral("mnuTagInfo"));
    mnuTagInfo->setCheckable(true);
    mnuTagInfo->setChecked(true);
    connect(mnuTagInfo, &QAction::toggled, this, &frmVorda::ShowTagInfo);

    mnuTags = bar->addMenu(QStringLiteral("&Tags"));
    mnuTags->setObjectName(QStringLiteral("mnuTags"));
    mnuFindReplace = AddLaterItem(mnuTags, "mnuFindReplace", "Find && Replace/Trim/Add...",
                                  QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFreeDBLookup = AddLaterItem(mnuTags, "mnuFreeDBLookup", "FreeDB lookup...", QKeySequence(Qt::Key_F8));
    mnuFixTags = AddLaterItem(mnuTags, "mnuFixTags", "Fix tags");
    mnuSaveTags = AddLaterItem(mnuTags, "mnuSaveTags", "Save tags", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuRemoveTags = AddLaterItem(mnuTags, "mnuRemoveTags", "Remove tags");

    mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    // The mode is kept and saved; the tag editor acts on it.
    mnuAdvancedMode = AddLaterItem(mnuOptions, "mnuAdvancedMode", "Advanced mode");
    mnuAdvancedMode->setCheckable(true);
    mnuSettings = mnuOptions->addAction(QStringLiteral("Settings..."), this, &frmVorda::ShowOptions);
    mnuSettings->setObjectName(QStringLiteral("mnuSettings"));
    mnuOptions->addSeparator();
    mnuColumns = mnuOptions->addMenu(QStringLiteral("Columns"));
    mnuColumns->setObjectName(QStringLiteral("mnuColumns"));
    for (int col = 1; col <= kColumnCount; ++col) {
        QAction* item = mnuColumns->addAction(QString::fromStdString(ColumnTitle(col)));
        item->setObjectName(QStringLiteral("mnuCols%1").arg(col));
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, [this, col](bool on) { SetColumnVisible(col, on); });
        mnuCols[static_cast<size_t>(col - 1)] = item;
    }
    mnuFileGrid = mnuOptions->addAction(QStringLiteral("Show grid"));
    mnuFileGrid->setObjectName(QStringLiteral("mnuFileGrid"));
    mnuFileGrid->setCheckable(true);
    mnuFileGrid->setChecked(true);
    connect(mnuFileGrid, &QAction::toggled, this, [this](bool on) { lstFiles2->setShowGrid(on); });

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpMe = mnuHelp->addAction(QStringLiteral("&Help..."), this, [this] { ShowHelp(HelpFilePath()); });
    mnuHelpMe->setObjectName(QStringLiteral("mnuHelpMe"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About..."), this, &frmVorda::ShowAbout);
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
}

void frmVorda::CreateDirTree() {
    picDirPane = new QWidget(picResizeDir);
    picDirPane->setObjectName(QStringLiteral("picDirPane"));
    auto* pane = new QVBoxLayout(picDirPane);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(2);
    CreateBookmarkButtons(picDirPane);
    DirTree = new QTreeView(picDirPane);
    DirTree->setObjectName(QStringLiteral("DirTree"));
    DirTree->setHeaderHidden(true);
    DirTree->setContextMenuPolicy(Qt::CustomContextMenu);
    pane->addWidget(DirTree, 1);
    picResizeDir->addWidget(picDirPane);
    picResizeDir->setStretchFactor(0, 0);
    treeViewport_ = DirTree->viewport();
    treeViewport_->installEventFilter(this);
    DirTree->installEventFilter(this);
    connect(DirTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { mnuTreePopup->popup(DirTree->viewport()->mapToGlobal(pos)); });
    RefreshTree();
}

void frmVorda::RefreshTree() {
    // A fresh model re-reads every folder; the tree stays on its folder without a rescan.
    const std::string current = TreePath();
    QFileSystemModel* old = dirModel_;
    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    dirModel_->setRootPath(QStringLiteral("/"));
    DirTree->setModel(dirModel_);
    for (int c = 1; c < dirModel_->columnCount(); ++c) DirTree->hideColumn(c);
    // The column is as wide as its names, so deep folders scroll sideways instead of being cut.
    DirTree->header()->setStretchLastSection(false);
    DirTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(DirTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { DirTree_Change(current); });
    // Folders load in the background: the tree's folder is kept in view as its parents fill in.
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (treeFollow_) ShowTreeFolder();
    });
    delete old;
    if (!current.empty()) {
        const bool blocked = cmds_.bBlockDirUpdate;
        cmds_.bBlockDirUpdate = true;
        SelectTreeFolder(current);
        cmds_.bBlockDirUpdate = blocked;
    }
}

void frmVorda::CreateFileList() {
    lstFiles2 = new QTableView(picResizeDir);
    lstFiles2->setObjectName(QStringLiteral("lstFiles2"));
    picResizeDir->addWidget(lstFiles2);
    picResizeDir->setStretchFactor(1, 1);

    model_ = new QtFileListModel(list_, icons_);
    lstFiles2->setModel(model_);
    model_->AttachSelectionModel(lstFiles2->selectionModel());

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
    connect(header, &QHeaderView::sectionClicked, this, [this](int logical) { SortByColumnClick(logical + 1); });

    lstFiles2->setAcceptDrops(true);
    lstFiles2->viewport()->setAcceptDrops(true);
    lstFiles2->setDragDropMode(QAbstractItemView::DropOnly);
    listViewport_ = lstFiles2->viewport();
    lstFiles2->installEventFilter(this);
    listViewport_->installEventFilter(this);
    // Mouse, keys, type-ahead, select all and programmatic changes all end in SettleSelection.
    connect(lstFiles2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { QueueSelectionSettle(); });
    connect(lstFiles2, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) SettleSelection(true);
    });
    connect(lstFiles2, &QWidget::customContextMenuRequested, this, &frmVorda::lstFiles2_ContextMenu);
}

void frmVorda::CreateStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(true);
    setStatusBar(StatusBar);
    const char* const initial[] = {"Total: 0 files", "Filesize: 0 kB", "Status"};
    for (int i = 0; i < 3; ++i) {
        QLabel* panel = new QLabel(QString::fromLatin1(initial[i]), StatusBar);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        // Totals and file size get room for large numbers; the status text takes the rest.
        static const char* const kWidest[2] = {"Total: 88888 files (88888 MB)", "Filesize: 888888 kB"};
        panel->setMinimumWidth(i == 2 ? 120 : panel->fontMetrics().horizontalAdvance(QLatin1String(kWidest[i])) + 12);
        StatusBar->addWidget(panel, i == 2 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = panel;
    }
    ProgressBar = new QProgressBar(StatusBar);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setToolTip(QStringLiteral("Shows the progress"));
    ProgressBar->setMinimumWidth(120);
    ProgressBar->setMaximumWidth(200);
    ProgressBar->setMaximumHeight(StatusBar->fontMetrics().height() + 6);
    ProgressBar->setTextVisible(true);
    SetProgress(0, 0);
    StatusBar->addPermanentWidget(ProgressBar);
    cmdStopScan = new QPushButton(QStringLiteral("Stop"), StatusBar);
    cmdStopScan->setObjectName(QStringLiteral("cmdStopScan"));
    cmdStopScan->setToolTip(QStringLiteral("Stop listing files (Esc)"));
    cmdStopScan->setFocusPolicy(Qt::NoFocus);
    cmdStopScan->setMaximumHeight(StatusBar->fontMetrics().height() + 8);
    cmdStopScan->hide();
    connect(cmdStopScan, &QPushButton::clicked, this, &frmVorda::StopScan);
    StatusBar->addPermanentWidget(cmdStopScan);
    scanGate_ = new ListingInputGate(cmdStopScan, lstFiles2, [this] { StopScan(); }, this);
}

void frmVorda::CreatePopupMenus() {
    mnuPopup = new QMenu(QStringLiteral("Popup Menu"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuExtractID3 = AddLaterItem(mnuPopup, "mnuExtractID3", "Extract tags");
    mnuPopFreeDBLookup = AddLaterItem(mnuPopup, "mnuPopFreeDBLookup", "FreeDB lookup...");
    mnuAddTracks = AddLaterItem(mnuPopup, "mnuAddTracks", "Add tracknumbers...");
    mnuPopup->addSeparator();
    mnuPopSort = mnuPopup->addMenu(QStringLiteral("Sort selected file(s) using..."));
    mnuPopSort->setObjectName(QStringLiteral("mnuPopSort"));
    FillPopSortItems({""});
    mnuPopSortAlbum = AddLaterItem(mnuPopup, "mnuPopSortAlbum", "Sort selected file(s) as album");
    mnuPopup->addSeparator();
    mnuWinamp = mnuPopup->addMenu(QStringLiteral("Media player"));
    mnuWinamp->setObjectName(QStringLiteral("mnuWinamp"));
    mnuWAEnqueuePlay = AddLaterItem(mnuWinamp, "mnuWAEnqueuePlay", "Enqueue and play");
    mnuWAEnqueue = AddLaterItem(mnuWinamp, "mnuWAEnqueue", "Enqueue");
    mnuWAOpenFile = AddLaterItem(mnuWinamp, "mnuWAOpenFile", "Open file");
    mnuWinamp->addSeparator();
    mnuWANext = AddLaterItem(mnuWinamp, "mnuWANext", "Next");
    mnuWAPrevious = AddLaterItem(mnuWinamp, "mnuWAPrevious", "Previous");
    mnuWAPlay = AddLaterItem(mnuWinamp, "mnuWAPlay", "Play");
    mnuWAPause = AddLaterItem(mnuWinamp, "mnuWAPause", "Pause/Unpause");
    mnuWAStop = AddLaterItem(mnuWinamp, "mnuWAStop", "Stop");
    mnuPopup->addSeparator();
    mnuFolderFromID3 = AddLaterItem(mnuPopup, "mnuFolderFromID3", "Create/Rename folder from ID3...");
    mnuPopup->addSeparator();
    mnuRemFromList = mnuPopup->addAction(QStringLiteral("Remove file(s) from list"), this,
                                         [this] { RunCommand([this] { cmds_.RemoveSelectedFromList(); }); });
    mnuRemFromList->setObjectName(QStringLiteral("mnuRemFromList"));
    mnuRemFromHD = mnuPopup->addAction(QStringLiteral("Delete file(s)"), this,
                                       [this] { RunCommand([this] { cmds_.DeleteSelectedFiles(); }); });
    mnuRemFromHD->setObjectName(QStringLiteral("mnuRemFromHD"));

    mnuTreePopup = new QMenu(QStringLiteral("Tree Popup"), this);
    mnuTreePopup->setObjectName(QStringLiteral("mnuTreePopup"));
    mnuTreeRefresh = mnuTreePopup->addAction(QStringLiteral("Refresh"), this, &frmVorda::RefreshTree);
    mnuTreeRefresh->setObjectName(QStringLiteral("mnuTreeRefresh"));
    mnuSetTargetFolder = mnuTreePopup->addAction(QStringLiteral("Set as target folder"), this,
                                                 &frmVorda::SetTreeFolderAsTarget);
    mnuSetTargetFolder->setObjectName(QStringLiteral("mnuSetTargetFolder"));
    mnuRecursiveScan = mnuTreePopup->addAction(QStringLiteral("Recursive Scan"), this,
                                               [this] { ScanTreeFolder(true); });
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

void frmVorda::LoadSettings() {
    settingsPath_ = SettingsFilePath();
    IniFile ini(settingsPath_);
    Settings& s = settings();
    s.Load(ini);
    settingsNotice_ = SettingsFileNotice(ini, true);
    settingsNoticeIcon_ = ini.FileCondition() == IniFile::Condition::Ok ? miInformation : miWarning;
    treeDir_ = GetSetting(ini, "General", "sTreeDir", DefaultFolder());
    LoadPanelSettings();
    ApplyWindowLayout(ini);
    ApplyColumnLayout(ini);
    PlaceTreeAtStoredFolder();
}

QRect frmVorda::PlaceOnScreen(const QRect& area, const QSize& wanted, const QSize& minimum) {
    // Never smaller than the window's minimum, never larger than the screen's free area (unless
    // the minimum itself is), centred on that area.
    const int width = std::max(std::min(wanted.width(), area.width()), minimum.width());
    const int height = std::max(std::min(wanted.height(), area.height()), minimum.height());
    const QPoint topLeft(area.x() + std::max((area.width() - width) / 2, 0),
                         area.y() + std::max((area.height() - height) / 2, 0));
    return QRect(topLeft, QSize(width, height));
}

QRect frmVorda::ScreenArea() const {
    QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    return shownOn ? shownOn->availableGeometry() : QRect(0, 0, 1024, 768);
}

void frmVorda::ApplyWindowLayout(const IniFile& ini) {
    const Settings& s = settings();
    const QRect area = ScreenArea();
    // A stored size is used as stored while it fits the screen; a first start takes three
    // quarters of the screen.
    QSize wanted(area.width() * 3 / 4, area.height() * 3 / 4);
    if (HasStoredNumber(ini, "Visual", "FormWidth") && HasStoredNumber(ini, "Visual", "FormHeight"))
        wanted = QSize(StoredPixels(s.FormWidth), StoredPixels(s.FormHeight));
    setGeometry(PlaceOnScreen(area, wanted, minimumSize()));
    if (s.FormState == 2) setWindowState(windowState() | Qt::WindowMaximized);

    // The tree gets a fifth of the window at a first start.
    treeSplit_ = HasStoredNumber(ini, "Visual", "TreeSplit") ? s.TreeSplit
                                                             : PixelsToTwips(std::clamp(width() / 5, 180, 320));
    connect(picResizeDir, &QSplitter::splitterMoved, this, [this](int pos, int) {
        if (DirTree->isVisible()) treeSplit_ = PixelsToTwips(pos);
    });

    mnuDirTree->setChecked(s.ViewDirTree);
    ShowDirTree(s.ViewDirTree);
    mnuTagInfo->setChecked(s.ViewTagInfo);
    ShowTagInfo(s.ViewTagInfo);
    mnuFileGrid->setChecked(s.ShowGrid);
    lstFiles2->setShowGrid(s.ShowGrid);
}

void frmVorda::ApplyColumnLayout(const IniFile& ini) {
    const Settings& s = settings();
    QHeaderView* header = lstFiles2->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        header->showSection(col - 1);
        header->resizeSection(col - 1, TwipsToPixels(std::max(StoredColumnTwips(ini, col), kMinColumnTwips)));
        mnuCols[i]->setChecked(s.ColVisible[i]);
        // A column never sized takes the width of its content once the list is first filled.
        sizeToContent_[i] = !HasStoredNumber(ini, "Visual", "ColSize" + std::to_string(col));
    }
    // Shown columns take their places first, so that every hidden one ends up behind them.
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        if (s.ColVisible[i]) {
            header->moveSection(header->visualIndex(col - 1), std::clamp(s.ColPosition[i], 1, kColumnCount) - 1);
        }
    }
    for (int col = 1; col <= kColumnCount; ++col) {
        if (s.ColVisible[static_cast<size_t>(col - 1)]) continue;
        header->moveSection(header->visualIndex(col - 1), kColumnCount - 1);
        header->hideSection(col - 1);
    }
}

void frmVorda::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placed_) return;
    placed_ = true;
    // The tag area's first height: what its "TAG" page asks for, the list the rest.
    const int tagHeight = picTAG[0]->sizeHint().height() + tabTAGs->tabBar()->sizeHint().height() + 8;
    const int total = picResizeTags->height();
    if (total > tagHeight) picResizeTags->setSizes({total - tagHeight - picResizeTags->handleWidth(), tagHeight});
    // The frame is known once the window is on the screen (a window manager adds it a moment
    // later): checked now and once more after it.
    KeepOnScreen();
    QTimer::singleShot(0, this, &frmVorda::KeepOnScreen);
}

void frmVorda::KeepOnScreen() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
    const QRect area = ScreenArea();
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

void frmVorda::SizeColumnsToContent() {
    if (list_.Count() == 0) return;
    QHeaderView* header = lstFiles2->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        if (!sizeToContent_[i]) continue;
        sizeToContent_[i] = false;
        if (header->isSectionHidden(col - 1)) continue;
        lstFiles2->resizeColumnToContents(col - 1);
        header->resizeSection(col - 1, std::clamp(header->sectionSize(col - 1), TwipsToPixels(kMinColumnTwips),
                                                  kMaxContentColumnPixels));
    }
}

void frmVorda::ShowDirTree(bool visible) {
    // Tree, bookmark buttons and splitter go together; the list takes the freed width.
    picDirPane->setVisible(visible);
    if (!visible) return;
    // The tree gets its stored width back, the list the rest.
    const int treeWidth = std::max(TwipsToPixels(treeSplit_), 1);
    const int total = std::max(picResizeDir->width(), width());
    picResizeDir->setSizes({treeWidth, std::max(total - treeWidth - picResizeDir->handleWidth(), 1)});
}

void frmVorda::PlaceTreeAtStoredFolder() {
    // The tree opens at its last folder without scanning yet; a folder that has gone
    // gives way to the default folder.
    const bool blocked = cmds_.bBlockDirUpdate;
    cmds_.bBlockDirUpdate = true;
    if (!IsDirectory(treeDir_) || !SelectTreeFolder(treeDir_)) SelectTreeFolder(DefaultFolder());
    cmds_.bBlockDirUpdate = blocked;
}

void frmVorda::StartUp(const std::vector<std::string>& paths) {
    // A settings file that cannot be used as it is: said once, before the first scan.
    if (!settingsNotice_.empty()) {
        const std::string notice = std::move(settingsNotice_);
        settingsNotice_.clear();
        Ask(notice, mbOK, settingsNoticeIcon_);
    }
    if (paths.empty()) {
        ScanTreeFolder(ScanSubfolders());
        return;
    }
    // The tree opens at the first folder given (or the folder of the first file), without a scan
    // of its own.
    for (const std::string& given : paths) {
        if (given.empty()) continue;
        std::string path = given;
        if (path.front() != '/') path = AddBackslash(PathFromQt(QDir::currentPath())) + path;
        const std::string folder = IsDirectory(path) ? path : GetFolder(path);
        if (!IsDirectory(folder)) continue;
        const bool blocked = cmds_.bBlockDirUpdate;
        cmds_.bBlockDirUpdate = true;
        SelectTreeFolder(folder);
        cmds_.bBlockDirUpdate = blocked;
        break;
    }
    DropPaths(paths);
}

void frmVorda::StoreLayoutInSettings() {
    Settings& s = settings();
    const bool minimized = isMinimized();
    const bool maximized = isMaximized();
    if (!minimized) s.FormState = maximized ? 2 : 0;
    if (!minimized && !maximized) {
        s.FormWidth = PixelsToTwips(width());
        s.FormHeight = PixelsToTwips(height());
    }
    s.TreeSplit = treeSplit_;
    s.ViewDirTree = mnuDirTree->isChecked();
    s.ViewTagInfo = mnuTagInfo->isChecked();
    s.ShowGrid = mnuFileGrid->isChecked();
    const QHeaderView* header = lstFiles2->horizontalHeader();
    for (int col = 1; col <= kColumnCount; ++col) {
        const size_t i = static_cast<size_t>(col - 1);
        s.ColVisible[i] = ColumnVisible(col);
        if (s.ColVisible[i]) {
            s.ColPosition[i] = header->visualIndex(col - 1) + 1;
            s.ColSize[i] = PixelsToTwips(header->sectionSize(col - 1));
        }
    }
}

void frmVorda::SaveSettings() {
    CreateFolderTree(GetFolder(settingsPath_));
    IniFile ini(settingsPath_);
    StorePanelInSettings();
    StoreLayoutInSettings();
    const Settings& s = settings();
    s.SaveMain(ini);
    const std::string tree = TreePath();
    if (!tree.empty()) treeDir_ = AddBackslash(tree);
    WriteSetting(ini, "General", "sTreeDir", treeDir_);
    s.SaveVisual(ini, isMinimized(), isMaximized());
}

void frmVorda::closeEvent(QCloseEvent* event) {
    StopScan();  // a listing under way ends with the window
    SaveSettings();
    // Every dialog of the program goes with the main window.
    for (QDialog* dialog : findChildren<QDialog*>()) dialog->close();
    event->accept();
}

bool frmVorda::ScanSubfolders() const { return chkScanSubfolders->checkState() != Qt::Unchecked; }

// ============================================================ folder tree

std::string frmVorda::TreePath() const {
    if (!dirModel_ || !DirTree->selectionModel()) return {};
    const QModelIndex current = DirTree->currentIndex();
    if (!current.isValid()) return {};
    return RemoveBackslash(PathFromQt(dirModel_->filePath(current)));
}

bool frmVorda::SelectTreeFolder(const std::string& folder) {
    if (folder.empty()) return false;
    const QModelIndex index = dirModel_->index(PathToQt(RemoveBackslash(folder)));
    if (!index.isValid()) return false;
    DirTree->setCurrentIndex(index);
    treeFollow_ = true;
    ShowTreeFolder();
    return true;
}

void frmVorda::ShowTreeFolder() {
    const QModelIndex current = DirTree->currentIndex();
    if (!current.isValid()) return;
    DirTree->scrollTo(current, QAbstractItemView::PositionAtCenter);
    // A deep folder is indented past the tree's width: its name is scrolled into view too.
    const QRect item = DirTree->visualRect(current);
    QScrollBar* across = DirTree->horizontalScrollBar();
    if (item.left() < 0 || item.left() + 40 > DirTree->viewport()->width())
        across->setValue(across->value() + item.left() - DirTree->indentation());
}

void frmVorda::DirTree_Change(const QModelIndex& current) {
    if (!current.isValid() || busy_) return;
    const std::string path = PathFromQt(dirModel_->filePath(current));
    if (path.empty() || cmds_.bBlockDirUpdate) return;
    if (treeMouseButton_ == Qt::RightButton || treeMouseButton_ == Qt::MiddleButton) return;
    ClearAndScan(path, ScanSubfolders());
}

void frmVorda::ScanTreeFolder(bool subFolders) {
    const std::string path = TreePath();
    if (!path.empty()) ClearAndScan(path, subFolders);
}

void frmVorda::ClearAndScan(const std::string& folder, bool subFolders) {
    RunListing([&] {
        list_.Clear();
        cmds_.NrTotalFiles = 0;
        ClearPanes();
        cmds_.ScanFolder(AddBackslash(folder), subFolders);
    });
}

void frmVorda::DeleteTreeFolder(bool permanently) {
    const QModelIndex current = DirTree->currentIndex();
    const std::string path = TreePath();
    if (path.empty()) return;
    const bool toTrash = !permanently && settings().bRecycleFiles;
    // A permanent deletion is never done on a single key press without asking.
    if (!toTrash && Ask("Are you sure you want to delete the selected directory from your harddrive?", mbYesNo,
                        miQuestion) != anYes) {
        return;
    }
    const std::string parent = PathFromQt(dirModel_->filePath(current.parent()));
    // The file-system root is never handed to a recursive deletion.
    const int status = (path == "/" || parent.empty()) ? EPERM : ShellFileOperation(path, "", foDelete, toTrash);
    if (status != 0) {
        Ask("Error: Could not delete folder.", mbOK, miError);
        return;
    }
    SelectTreeFolder(parent);
}

bool frmVorda::DirTree_KeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete) return false;
    DeleteTreeFolder((event->modifiers() & Qt::ShiftModifier) != 0);
    return true;
}

// ============================================================ file list

template <typename F> void frmVorda::RunCommand(F&& command) {
    const bool wasBusy = busy_;
    busy_ = true;
    command();
    EndCommand(wasBusy);
}

void frmVorda::EndCommand(bool wasBusy) {
    busy_ = wasBusy;
    if (!busy_) cmds_.bStopScan = false;
    model_->FlushPendingRows();
    if (!busy_ && settleAfterCommand_) QueueSelectionSettle();
}

template <typename F> void frmVorda::RunListing(F&& command) {
    if (scanning_) {
        RunCommand(std::forward<F>(command));
        return;
    }
    scanning_ = true;
    cmds_.bStopScan = false;
    cmdStopScan->show();
    paintClock_.invalidate();  // the first file paints at once: the Stop button shows right away
    qApp->installEventFilter(scanGate_);
    RunCommand(std::forward<F>(command));
    qApp->removeEventFilter(scanGate_);
    cmdStopScan->hide();
    scanning_ = false;
    ShowPendingTotals();
    ListingDone();
}

void frmVorda::ListingDone() {
    SetProgress(0, 0);
    SizeColumnsToContent();
    // A sorted list stays sorted (and its header mark true) after rows were added.
    if (sortColumn_ != 0) {
        const Qt::SortOrder order = sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
        model_->sort(sortColumn_ - 1, order);
    }
}

void frmVorda::StopScan() {
    if (scanning_) cmds_.bStopScan = true;
}

void frmVorda::QueueSelectionSettle() {
    if (settleQueued_) return;
    settleQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        settleQueued_ = false;
        SettleSelection();
    });
}

bool frmVorda::SettleSelection(bool clicked) {
    if (busy_) {
        settleAfterCommand_ = true;
        return false;
    }
    settleAfterCommand_ = false;
    const int count = list_.SelectedCount();
    if (count == 1) {
        const int row = list_.FirstSelected();
        if (!clicked && !cmds_.bMultiChange && !shownMany_ && shownPath_ == list_.GetFullPath(row)) return false;
        cmds_.bMultiChange = false;
        RunCommand([this, row] { cmds_.ShowFile(row); });
        return true;
    }
    const bool many = count > 1;
    if (!clicked && cmds_.bMultiChange == many && shownMany_ == many && shownPath_.empty()) return false;
    cmds_.bMultiChange = many;
    if (!cmds_.filCurrent().FullPath().empty()) cmds_.filCurrent().Reset();
    ClearPanes();
    return true;
}

void frmVorda::mnuAddFiles_Click() {
    const QString mp3Filter = QStringLiteral("MP3 Files (*.mp3 *.mp2)");
    const QString playlistFilter = QStringLiteral("Playlists (*.m3u *.m3u8 *.pls)");
    const QString allFilter = QStringLiteral("All Files (*)");
    QString chosenFilter;
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Add files"), PathToQt(settings().sLastDir),
        mp3Filter + QStringLiteral(";;") + playlistFilter + QStringLiteral(";;") + allFilter, &chosenFilter);
    if (files.isEmpty()) return;
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(files.size()));
    for (const QString& file : files) paths.push_back(PathFromQt(file));
    AddFiles(paths, chosenFilter == playlistFilter);
}

void frmVorda::AddFiles(const std::vector<std::string>& fullPaths, bool playlistFilter) {
    if (fullPaths.empty()) return;
    // The command also remembers the folder as sLastDir.
    RunListing([&] { cmds_.AddChosenFiles(fullPaths, playlistFilter); });
}

void frmVorda::DropPaths(const std::vector<std::string>& paths) {
    if (busy_ || paths.empty()) return;
    RunListing([&] { cmds_.DropPaths(paths, ScanSubfolders()); });
}

void frmVorda::SortByColumnClick(int col) {
    if (col < 1 || col > kColumnCount) return;
    if (col == sortColumn_) sortAscending_ = !sortAscending_;
    sortColumn_ = col;
    const Qt::SortOrder order = sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
    model_->sort(col - 1, order);
    QHeaderView* header = lstFiles2->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(col - 1, order);
}

bool frmVorda::ColumnVisible(int col) const {
    return col >= 1 && col <= kColumnCount && !lstFiles2->horizontalHeader()->isSectionHidden(col - 1);
}

void frmVorda::SetColumnVisible(int col, bool visible) {
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
    const long long position = GetIntSetting(ini, "Visual", "ColPosition" + n, col);
    const double size = StoredColumnTwips(ini, col);
    header->showSection(col - 1);
    header->resizeSection(col - 1, TwipsToPixels(std::max(size, kMinColumnTwips)));
    header->moveSection(header->visualIndex(col - 1),
                        static_cast<int>(std::clamp<long long>(position, 1, kColumnCount)) - 1);
}

void frmVorda::lstFiles2_ContextMenu(const QPoint& pos) {
    if (list_.Count() == 0) return;
    // One file: its tags and its folder; several files: numbering them.
    mnuExtractID3->setEnabled(!cmds_.bMultiChange);
    mnuFolderFromID3->setEnabled(!cmds_.bMultiChange);
    mnuAddTracks->setEnabled(cmds_.bMultiChange);
    mnuPopup->popup(lstFiles2->viewport()->mapToGlobal(pos));
}

bool frmVorda::lstFiles2_KeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Delete:
        if (mods & Qt::ShiftModifier) {
            RunCommand([this] { cmds_.DeleteSelectedFiles(); });
        } else {
            RunCommand([this] { cmds_.RemoveSelectedFromList(); });
        }
        return true;
    default:
        // Arrows, pages, type-ahead, Ctrl+A: the list moves its selection first, then the
        // panes follow it at once.
        static_cast<QObject*>(lstFiles2)->event(event);
        SettleSelection();
        return true;
    }
}

bool frmVorda::lstFiles2_DragEvent(QEvent* event) {
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
            if (url.isLocalFile()) paths.push_back(LocalPathOfUrl(url));
        }
        DropPaths(paths);
    }
    return true;
}

bool frmVorda::eventFilter(QObject* watched, QEvent* event) {
    // Only pointers are compared here: the filter also sees events while children are built.
    if (!watched) return false;
    if (PanelEventFilter(watched, event)) return true;
    if (watched == listViewport_) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return lstFiles2_DragEvent(event);
        default:
            return false;
        }
    }
    if (watched == lstFiles2 && event->type() == QEvent::KeyPress) {
        return lstFiles2_KeyDown(static_cast<QKeyEvent*>(event));
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
    if (watched == DirTree && event->type() == QEvent::KeyPress) {
        return DirTree_KeyDown(static_cast<QKeyEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

// ============================================================ status bar and messages

QString frmVorda::PanelText(int panel) const {
    if (panel >= 1 && panel <= 3) return panels_[static_cast<size_t>(panel - 1)]->text();
    if (panel == 4) return ProgressBar->text();
    return {};
}

int frmVorda::Ask(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    model_->FlushPendingRows();
    QMessageBox box(this);
    box.setWindowTitle(TextToQt(title));
    box.setText(TextToQt(text));
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
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
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

void frmVorda::SetStatus(int panel, const std::string& text) {
    if (panel < 1 || panel > 3) return;
    if (panel == 1 && scanning_) {
        // A listing counts every file: the totals are shown when it paints.
        pendingTotals_ = text;
        totalsPending_ = true;
        return;
    }
    QLabel* label = panels_[static_cast<size_t>(panel - 1)];
    label->setText(TextToQt(text));
    if (panel == 3) label->setToolTip(label->text());  // whole, should a narrow window cut it
}

void frmVorda::SetProgress(long long value, long long max) {
    if (scanning_ && max > 0) {
        // A listing reports every file: the bar moves when the window paints.
        pendingProgress_ = {value, max};
        Repaint();
        return;
    }
    pendingProgress_ = {0, 0};
    ShowProgress(value, max);
    if (max > 0) Repaint();
}

void frmVorda::ShowProgress(long long value, long long max) {
    if (max <= 0) {
        ProgressBar->setRange(0, 100);
        ProgressBar->setValue(0);
        ProgressBar->setFormat(QStringLiteral("Progress"));
        return;
    }
    // The bar counts in int; very large totals are shown in thousandths.
    int shownMax = static_cast<int>(std::min<long long>(max, INT_MAX));
    int shownValue = static_cast<int>(std::clamp<long long>(value, 0, shownMax));
    if (max > INT_MAX) {
        shownMax = 1000;
        shownValue = static_cast<int>(std::clamp<long long>(value, 0, max) * 1000 / max);
    }
    ProgressBar->setFormat(QStringLiteral("%p%"));
    ProgressBar->setRange(0, shownMax);
    ProgressBar->setValue(shownValue);
}

void frmVorda::ShowPendingTotals() {
    if (pendingProgress_.second > 0) {
        ShowProgress(pendingProgress_.first, pendingProgress_.second);
        pendingProgress_ = {0, 0};
    }
    if (!totalsPending_) return;
    totalsPending_ = false;
    panels_[0]->setText(TextToQt(pendingTotals_));
}

void frmVorda::Repaint() {
    if (paintClock_.isValid() && paintClock_.elapsed() < paintInterval_) return;
    PaintNow();
}

void frmVorda::PaintNow() {
    QElapsedTimer cost;
    cost.start();
    ShowPendingTotals();
    model_->FlushPendingRows();
    // Paint only: no input reaches the window while a command loop runs. A listing lets input
    // through its gate (the Stop button, Esc, scrolling).
    QCoreApplication::processEvents(scanning_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    // Painting takes at most a fifth of a long loop's time: a busy or slow machine paints less
    // often (never less than four times a second) rather than listing more slowly.
    paintInterval_ =
        std::clamp<qint64>(cost.elapsed() * 4, scanning_ ? kListingPaintIntervalMs : kPaintIntervalMs, 250);
    paintClock_.restart();
}

}  // namespace vorda
