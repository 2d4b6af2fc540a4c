// The main window: folder tree, file list, status bar, menus and pop-up menus.
// The window binds controls to the list commands (ListCommands) and implements the
// UserInterface port with message boxes, the status bar and the progress bar.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QMainWindow>

#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/UserInterface.h"
#include "platform/PlatformServices.h"

class QAction;
class QFileSystemModel;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QStatusBar;
class QTableView;
class QTreeView;

namespace vorda {

class QtFileListModel;
class IniFile;

class frmVorda : public QMainWindow, public UserInterface {
    Q_OBJECT
public:
    // Twips per pixel for every stored size.
    static constexpr double kTwipsPerPixel = 15.0;
    // The smallest window (its design size), in twips.
    static constexpr double kMinWidthTwips = 10480;
    static constexpr double kMinHeightTwips = 9495;

    explicit frmVorda(QWidget* parent = nullptr);
    ~frmVorda() override;

    // After the window is shown: the tree's folder (its last one, placed at construction) is
    // scanned; paths given to the program are instead added like a drop.
    void StartUp(const std::vector<std::string>& paths = {});

    // ---- state shared with other windows and commands
    FileList& List() { return list_; }
    ListCommands& Commands() { return cmds_; }
    QtFileListModel* ListModel() const { return model_; }
    const std::string& SettingsPath() const { return settingsPath_; }
    // The "Scan subfolders" state.
    bool ScanSubfolders() const;

    // ---- folder tree
    // The tree's folder ("" when none), without a trailing "/".
    std::string TreePath() const;
    // Moves the tree to folder; the selection change scans it (unless bBlockDirUpdate).
    bool SelectTreeFolder(const std::string& folder);
    // Clears the list and scans the tree's folder (the "Recursive Scan" item uses subFolders true).
    void ScanTreeFolder(bool subFolders);
    // The Delete key in the tree (permanently = Shift held).
    void DeleteTreeFolder(bool permanently);
    void RefreshTree();
    // The "Directory tree" toggle: the tree comes back with its stored width.
    void ShowDirTree(bool visible);

    // ---- file list
    // "Add files..." after its dialog: the chosen files, and whether the "Playlists" filter was chosen.
    void AddFiles(const std::vector<std::string>& fullPaths, bool playlistFilter);
    void DropPaths(const std::vector<std::string>& paths);
    // Sorts by a column (1-based) as a header click does: a new column keeps the direction,
    // the same column reverses it.
    void SortByColumnClick(int col);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_; }
    // The "Columns" menu: hides a column (moved last, width 0) or shows it at its stored place.
    void SetColumnVisible(int col, bool visible);
    bool ColumnVisible(int col) const;

    // ---- status bar
    // Text of panel 1..4 (4 is the progress bar's text).
    QString PanelText(int panel) const;

    // ---- settings
    // Writes the window's own keys (main keys, tree folder, window and column layout).
    void SaveSettings();

    // ---- UserInterface
    int Ask(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title = "Vorda") override;
    void SetStatus(int panel, const std::string& text) override;
    void SetProgress(long long value, long long max) override;
    void Repaint() override;

    // ---- controls (named as the window's designer named them)
    QSplitter* picResizeDir = nullptr;
    QTreeView* DirTree = nullptr;
    QTableView* lstFiles2 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QProgressBar* ProgressBar = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuList = nullptr;
    QAction* mnuAddFiles = nullptr;
    QAction* mnuNonExistent = nullptr;
    QAction* mnuSelectAll = nullptr;
    QAction* mnuSelInvert = nullptr;
    QAction* mnuClearList = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuDirTree = nullptr;
    QAction* mnuTagInfo = nullptr;
    QMenu* mnuOptions = nullptr;
    QMenu* mnuColumns = nullptr;
    std::array<QAction*, kColumnCount> mnuCols{};
    QAction* mnuFileGrid = nullptr;

    QMenu* mnuPopup = nullptr;
    QAction* mnuRemFromList = nullptr;
    QAction* mnuRemFromHD = nullptr;

    QMenu* mnuTreePopup = nullptr;
    QAction* mnuTreeRefresh = nullptr;
    QAction* mnuSetTargetFolder = nullptr;
    QAction* mnuRecursiveScan = nullptr;
    QAction* mnuRenNewFolder = nullptr;
    QMenu* mnuRenFolder = nullptr;
    QAction* mnuRenFolderCustom = nullptr;
    QAction* mnuRenFolderPattern = nullptr;
    QAction* mnuDelFolder = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // construction, one section per area
    void CreateMenus();
    void CreateDirTree();
    void CreateFileList();
    void CreateStatusBar();
    void CreatePopupMenus();
    // settings
    void LoadSettings();
    void ApplyWindowLayout();
    void ApplyColumnLayout();
    void StoreLayoutInSettings();
    void PlaceTreeAtStoredFolder();
    // folder tree
    void DirTree_Change(const QModelIndex& current);
    bool DirTree_KeyDown(QKeyEvent* event);
    // file list
    bool lstFiles2_KeyDown(QKeyEvent* event);
    bool lstFiles2_MouseEvent(QEvent* event);
    bool lstFiles2_DragEvent(QEvent* event);
    void lstFiles2_ContextMenu(const QPoint& pos);
    void mnuAddFiles_Click();
    // runs a list command with drops and tree rescans held off, then publishes its rows
    template <typename F> void RunCommand(F&& command);
    void ClearAndScan(const std::string& folder, bool subFolders);
    void PaintNow();

    FileList list_;
    FileIconCache icons_;
    ListCommands cmds_;
    QtFileListModel* model_ = nullptr;
    QFileSystemModel* dirModel_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    QObject* listViewport_ = nullptr;  // the filtered widgets, compared by address only
    QObject* treeViewport_ = nullptr;

    std::string settingsPath_;
    std::string treeDir_;           // the tree's folder as loaded (General/sTreeDir)
    double treeSplit_ = 2085;       // tree width in twips
    int treeMouseButton_ = 0;       // last mouse button pressed in the tree, 0 when none
    double mouseDownY_ = 0;         // last left-button press in the list, pixels
    int sortColumn_ = 0;            // 1-based, 0 when the list was never sorted
    bool sortAscending_ = true;
    bool busy_ = false;
    QElapsedTimer paintClock_;
};

}  // namespace vorda
