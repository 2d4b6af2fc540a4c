// SPDX-License-Identifier: GPL-2.0-or-later

// The main window: folder tree, file list, status bar, menus and pop-up menus.
// The window binds controls to the list commands (ListCommands) and implements the
// UserInterface port with message boxes, the status bar and the progress bar.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QElapsedTimer>
#include <QMainWindow>

#include "app/Bookmarks.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/SortPanel.h"
#include "app/UserInterface.h"
#include "editing/BatchTagCommands.h"
#include "editing/FrameCommands.h"
#include "editing/TagPanes.h"
#include "export/ExportTemplate.h"
#include "naming/FolderCommands.h"
#include "naming/PatternEngine.h"
#include "naming/SortCommands.h"
#include "platform/PlatformServices.h"

class QAction;
class QMenu;
class QSplitter;

namespace vorda::editing {
class FramesPage;
class TagArea;
class TagEditor;
}  // namespace vorda::editing
namespace vorda::base {
class IniFile;
}
namespace vorda::exports {
class ExportDialog;
}
namespace vorda::find {
class FileListSource;
class FindDialog;
class FindReplace;
struct Match;
}  // namespace vorda::find
namespace vorda::player {
class MprisRemote;
enum class RemoteOutcome : int;
}  // namespace vorda::player
namespace vorda::freedb {
class AlbumLookup;
class FreedbConnection;
class FreedbQuery;
struct DbValue;
}  // namespace vorda::freedb

namespace vorda::app {

class FileListModel;
class FileListView;
class FolderPane;
class SortingPanel;
class StatusPanels;

class MainWindow : public QMainWindow, public UserInterface {
    Q_OBJECT
public:
    // Twips per pixel for every stored size.
    static constexpr double kTwipsPerPixel = 15.0;
    // The smallest window (its design size), in twips.
    static constexpr double kMinWidthTwips = 10480;
    static constexpr double kMinHeightTwips = 9495;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // After the window is shown: a settings file that could not be read whole, or that is
    // read-only, is reported; then the tree's folder (its last one, placed at construction) is
    // scanned; paths given to the program are instead added like a drop.
    void startUp(const std::vector<std::string>& paths = {});

    // ---- state shared with other windows and commands
    FileList& list() { return list_; }
    ListCommands& commands() { return cmds_; }
    FileListModel* listModel() const;
    const std::string& settingsPath() const { return settingsPath_; }
    // The "Scan subfolders" state.
    bool scanSubfolders() const;
    // The sorting panel's method and target-folder state.
    const SortPanel& panel() const { return panel_; }
    const Bookmarks& folderBookmarks() const { return bookmarks_; }

    // ---- commands of the window
    // The method switch (2 copy, 1 move, 4 rename; any other value clears the three buttons).
    void setMethod(FileMethod method);
    // "Browse" after its dialog; "Set as target folder" of the tree pop-up.
    void targetFolderChosen(const std::string& folder);
    void setTreeFolderAsTarget();
    // Bookmark button i: left click goes there, the right button stores the tree's folder.
    void goToBookmark(int i);
    void storeBookmark(int i);
    // "Tag info".
    void showTagInfo(bool visible);
    // "&Help...": the HTML manual of the program data folder in the default browser.
    std::string helpFilePath() const;
    void showHelp(const std::string& file);
    void showAbout();
    // "Settings...": the options dialog, modal. Its settings act where they are used
    // (file types at the next scan, the rest in the commands that read them).
    void showOptions();

    // ---- folder tree
    // The tree's folder ("" when none), without a trailing "/".
    std::string treePath() const;
    // Moves the tree to folder; the selection change scans it (unless bBlockDirUpdate).
    bool selectTreeFolder(const std::string& folder);
    // Clears the list and scans the tree's folder (the "Recursive Scan" item uses subFolders true).
    void scanTreeFolder(bool subFolders);
    // The Delete key in the tree (permanently = Shift held).
    void deleteTreeFolder(bool permanently);
    void refreshTree();
    // The "Directory tree" toggle: the tree comes back with its stored width.
    void showDirTree(bool visible);

    // ---- file list
    // "Add files..." after its dialog: the chosen files, and whether the "Playlists" filter was chosen.
    void addFiles(const std::vector<std::string>& fullPaths, bool playlistFilter);
    void dropPaths(const std::vector<std::string>& paths);
    // Sorts by a column (1-based) as a header click does: a new column keeps the direction,
    // the same column reverses it.
    void sortByColumnClick(int col);
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }
    // The "Columns" menu: hides a column (moved last, width 0) or shows it at its stored place.
    void setColumnVisible(int col, bool visible);
    bool columnVisible(int col) const;

    // Where a window of the wanted size opens on a screen's free area: as large as wanted but
    // no larger than the area and no smaller than minimum, centred.
    static QRect placeOnScreen(const QRect& area, const QSize& wanted, const QSize& minimum);

    // ---- status bar
    // Text of panel 1..4 (4 is the progress bar's text).
    QString panelText(int panel) const;
    // Ends the listing of files under way (the Stop button, Esc); the rows found so far stay.
    void stopScan();
    bool scanning() const { return scanning_; }

    // ---- settings
    // Writes the window's own keys (main keys, tree folder, window and column layout).
    void saveSettings();

    // ---- UserInterface
    MessageAnswer ask(const std::string& text, MessageButtons buttons, MessageIcon icon,
                      const std::string& title = "Vorda") override;
    void setStatus(int panel, const std::string& text) override;
    void setProgress(long long value, long long max) override;
    void repaint() override;
    void setOldName(const std::string& name) override;
    void setNewName(const std::string& name) override;
    void clearPanes() override;

    // ---- tag editor (MainWindowTags.cpp)
    editing::TagEditor* tagEditor() const;
    // "Save tags" (cmdSaveTags and saveTagsItem_).
    void saveTags();
    // "Advanced mode": sets the mode and shows the current file again.
    void setAdvancedMode(bool advanced);
    // Up/Down in a tag field or on the tab strip: the previous or next row is shown.
    void stepFromTagArea(bool down, bool shift);
    // The longest ID3v1 title and artist (the options dialog's "Use Lyrics3").
    void setTagFieldMaxLength(int maxLength);

    // ---- naming and sorting (MainWindowSorting.cpp)
    // The boxes of the naming panel as a command reads them.
    naming::SortInputs panelInputs() const;
    // The list's current row (the shown row), 0 when none.
    int currentRow() const;
    // cmdSort / cmdSortSelected and their menu twins; a pop-up "... using..." entry; the album sort.
    void sortAll();
    void sortSelected();
    void sortSelectedUsing(size_t outPatternIndex);
    void sortSelectedAsAlbum();
    // The new-name box after the output pattern, the input pattern or "Fix filenames" changed.
    void updateNewNamePreview();
    // The "Edit" button of a pattern box: the pattern-list editor, then the box's list reloads.
    void editPatterns(naming::PatternKind kind);
    // The folder tree's pop-up items.
    void prepareTreePopup();
    void newTreeFolder();
    void renameTreeFolderCustom();
    void renameTreeFolderPattern();
    void deleteTreeFolderFromMenu();
    // "Create/Rename folder from ID3...".
    void showID3FolderDialog();
    // The input box of the folder commands (a hook, so that it can be scripted).
    naming::InputBoxFunction folderInputBox;

    // ---- batch tag commands and the "ID3v2+" page (MainWindowBatch.cpp)
    void fixTags();
    void addTrackNumbers();
    void removeTags();
    void removeJunkFromSelected();
    void extractTags();
    // The copy buttons: the screen fields for one file, the files themselves for several.
    void copyToV1();
    void copyToV2();
    // Binds the frame page: its dialogs' folder, its messages and its copy buttons.
    void connectFramesPage(editing::FramesPage* page);
    // The tag editor's panes as its controls show them, and back (set by the tag editor).
    std::function<editing::TagPanes()> collectTagPanes;
    std::function<void(const editing::TagPanes&)> applyTagPanes;
    // The start-value box of "Add tracknumbers..." (a hook, so that it can be scripted).
    std::function<bool(const std::string& prompt, const std::string& def, std::string& answer)> trackInputBox;
    editing::BatchTagCommands& batch() { return *batch_; }

    // ---- exports of the list (MainWindowExport.cpp)
    // "selected files to CSV/HTML/M3U/PLS...": the selected rows with the type's built-in template,
    // written to a file the user chooses. A missing built-in template writes nothing and says
    // nothing; a failed write is reported and leaves the target as it was.
    void exportSelectedFiles(exports::ExportType type);
    // "Custom exports..." and "to CD cover...": the export dialog, opened on the type.
    void showExportDialog(exports::ExportType type);
    // The target file of a direct export, "" when cancelled (a hook, so that it can be scripted).
    std::function<std::string(exports::ExportType type, const std::string& startFolder)> exportTargetBox;
    // Runs the export dialog; modal when unset (a hook, so that a test can drive the dialog).
    std::function<void(exports::ExportDialog& dialog)> runExportDialog;
    // ---- freedb lookup (MainWindowFreedb.cpp)
    // The pop-up entry, the menu entry and the freedb button: the selected files as an album.
    // Returns at once; the conversation goes on through the connection's signals.
    void freedbLookup();
    freedb::FreedbConnection& freedbConnection() const { return *freedb_; }
    // ---- find and replace (MainWindowFind.cpp)
    // "Find & Replace/Trim/Add...": shows the one find dialog (made at its first use) over the
    // listed files; showing it starts the search again at the first file.
    void showFindDialog();
    // The find dialog, nullptr before its first use.
    find::FindDialog* findDialog() const { return findDialog_; }
    // ---- media player (MainWindowPlayer.cpp)
    // "Enqueue and play" (playFirst) and "Enqueue": the selected rows in list order.
    void enqueueSelectedInPlayer(bool playFirst);
    // "Open file": the shown row, unless several are selected or the file is gone.
    void openCurrentInPlayer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // construction
    void createMenus();
    void createPopupMenus();
    void connectPanels();
    void loadPanelSettings();
    void storePanelInSettings();
    void fillPopSortItems(const std::vector<std::string>& outPatterns);
    void syncTargetBox();
    void applyMethodCaptions();
    void scanSubfoldersClicked(bool checked);
    // settings
    void loadSettings();
    void applyWindowLayout(const base::IniFile& ini);
    // The free area of the screen the window is on.
    QRect screenArea() const;
    // Moves the window (its frame included) back inside that area when it reaches out of it.
    void keepOnScreen();
    // Columns never sized by the user take the width of their content.
    void sizeColumnsToContent();
    void applyColumnLayout(const base::IniFile& ini);
    void storeLayoutInSettings();
    void placeTreeAtStoredFolder();
    // folder tree
    void treeFolderChanged(const std::string& path);
    // file list
    void listContextMenu(const QPoint& pos);
    void deleteFromList(bool fromDisk);
    void addFilesClicked();
    // runs a list command with drops and tree rescans held off, then publishes its rows
    template <typename F>
    void runCommand(F&& command);
    // Ends a command started with busy_ set: publishes its rows and handles a selection change
    // that happened meanwhile.
    void endCommand(bool wasBusy);
    // Every change of the list's selection ends here: one selected row is shown in the tag
    // editor, several switch to multi-change mode, none clears the panes. A click shows its row
    // again (or clears the panes of several). Returns true when the panes changed.
    bool settleSelection(bool clicked = false);
    void queueSelectionSettle();
    void clearAndScan(const std::string& folder, bool subFolders);
    // Runs a command that lists files (scan, drop, add): the window stays responsive, with the
    // Stop button and Esc to end it; then the list is sorted again and its columns fitted.
    template <typename F>
    void runListing(F&& command);
    void listingDone();
    void showPendingTotals();
    // Sets the progress bar (max 0: empty, "Progress") without repainting.
    void showProgress(long long value, long long max);
    void paintNow();
    // naming and sorting (MainWindowSorting.cpp)
    void setupNaming();
    void patternBoxFocusLost(naming::PatternKind kind);
    void runNaming(const std::function<void()>& command);
    void stepWithNameBox(int delta);
    // batch tag commands (MainWindowBatch.cpp)
    void setupBatchCommands();
    void runBatch(const std::function<void()>& command);
    editing::TagSwitches currentTagSwitches() const;
    // exports (MainWindowExport.cpp)
    void setupExports();
    // tag editor (MainWindowTags.cpp)
    void createTagEditor();
    void showTagPanes(tags::AudioFile& file);
    // The tag editor's panes with the "ID3v2+" page's pending picture (several files).
    editing::TagPanes collectPanesWithPicture();
    // freedb lookup (MainWindowFreedb.cpp)
    void setupFreedb();
    void freedbMatches(const std::vector<freedb::FreedbQuery>& matches);
    void freedbResult(const std::vector<freedb::DbValue>& values);
    // find and replace (MainWindowFind.cpp)
    void setupFind();
    // A match of the stepping: its row alone selected and shown, the focus on the tag editor's
    // field that holds it (the matched text selected there).
    void showFindMatch(const find::Match& match);
    void focusMatchField(const find::Match& match);
    // "Select matching files": exactly these rows (0-based) selected.
    void selectFoundRows(const std::vector<int>& rows);
    // Files the dialog changed (rows 0-based): their rows, and the tag editor when it shows one.
    void showChangedRows(const std::vector<int>& rows);
    // media player (MainWindowPlayer.cpp)
    void setupPlayer();
    // The remote (made at its first use), with the player program of the settings.
    player::MprisRemote& playerRemote();
    // A request that did not end Done: its reason in the status bar, and the not-found message.
    void playerDone(player::RemoteOutcome outcome, bool tellNotFound = true);

    // ---- panels
    QSplitter* tagSplitter_ = nullptr;  // tree and list over the tag area
    QSplitter* dirSplitter_ = nullptr;  // the folder pane beside the list
    FolderPane* folderPane_ = nullptr;
    FileListView* fileList_ = nullptr;
    editing::TagArea* tagArea_ = nullptr;
    SortingPanel* sortingPanel_ = nullptr;
    StatusPanels* statusPanels_ = nullptr;

    // ---- menus (their objectNames keep the names the window has always had)
    QMenu* fileMenu_ = nullptr;
    QAction* exitItem_ = nullptr;
    QMenu* listMenu_ = nullptr;
    QAction* addFilesItem_ = nullptr;
    QAction* nonExistentItem_ = nullptr;
    QAction* selectAllItem_ = nullptr;
    QAction* selInvertItem_ = nullptr;
    QAction* clearListItem_ = nullptr;
    QMenu* exportMenu_ = nullptr;
    QAction* exportEditorItem_ = nullptr;
    QAction* exportCsvItem_ = nullptr;
    QAction* exportHtmlItem_ = nullptr;
    QAction* exportM3uItem_ = nullptr;
    QAction* exportPlsItem_ = nullptr;
    QAction* exportCdCoverItem_ = nullptr;
    QMenu* actionsMenu_ = nullptr;
    QAction* sortAllItem_ = nullptr;
    QAction* sortSelectedItem_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* dirTreeItem_ = nullptr;
    QAction* tagInfoItem_ = nullptr;
    QMenu* tagsMenu_ = nullptr;
    QAction* findReplaceItem_ = nullptr;
    QAction* freeDbLookupItem_ = nullptr;
    QAction* fixTagsItem_ = nullptr;
    QAction* saveTagsItem_ = nullptr;
    QAction* removeTagsItem_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QAction* advancedModeItem_ = nullptr;
    QAction* settingsItem_ = nullptr;
    QMenu* columnsMenu_ = nullptr;
    std::array<QAction*, kColumnCount> columnItems_{};
    QAction* fileGridItem_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* helpMeItem_ = nullptr;
    QAction* aboutItem_ = nullptr;

    QMenu* listPopup_ = nullptr;
    QAction* extractId3Item_ = nullptr;
    QAction* popFreeDbLookupItem_ = nullptr;
    QAction* addTracksItem_ = nullptr;
    QMenu* popSortMenu_ = nullptr;
    std::vector<QAction*> popSortPatternItems_;  // one per output pattern
    QAction* popSortAlbumItem_ = nullptr;
    QMenu* playerMenu_ = nullptr;  // the media player remote
    QAction* playerEnqueuePlayItem_ = nullptr;
    QAction* playerEnqueueItem_ = nullptr;
    QAction* playerOpenFileItem_ = nullptr;
    QAction* playerNextItem_ = nullptr;
    QAction* playerPreviousItem_ = nullptr;
    QAction* playerPlayItem_ = nullptr;
    QAction* playerPauseItem_ = nullptr;
    QAction* playerStopItem_ = nullptr;
    player::MprisRemote* player_ = nullptr;  // made at the first use of the "Media player" menu
    QAction* folderFromId3Item_ = nullptr;
    QAction* remFromListItem_ = nullptr;
    QAction* remFromDiskItem_ = nullptr;

    QMenu* treePopup_ = nullptr;
    QAction* treeRefreshItem_ = nullptr;
    QAction* setTargetFolderItem_ = nullptr;
    QAction* recursiveScanItem_ = nullptr;
    QAction* renNewFolderItem_ = nullptr;
    QMenu* renFolderMenu_ = nullptr;
    QAction* renFolderCustomItem_ = nullptr;
    QAction* renFolderPatternItem_ = nullptr;
    QAction* delFolderItem_ = nullptr;

    SortPanel panel_;
    Bookmarks bookmarks_;
    FileList list_;
    platform::FileIconCache icons_;
    ListCommands cmds_;

    std::string settingsPath_;
    std::string settingsNotice_;  // what startUp tells about the settings file ("" when nothing)
    MessageIcon settingsNoticeIcon_ = MessageIcon::Warning;
    std::string treeDir_;      // the tree's folder as loaded (General/sTreeDir)
    double treeSplit_ = 2085;  // tree width in twips
    std::array<bool, kColumnCount> sizeToContent_{};
    bool placed_ = false;  // the first show has checked the window against the screen
    int sortColumn_ = 0;   // 1-based, 0 when the list was never sorted
    bool sortAscending_ = true;
    bool busy_ = false;
    // What the tag panes show: one file (its path), several files, or nothing.
    std::string shownPath_;
    bool shownMany_ = false;
    bool settleQueued_ = false;        // a selection settle waits in the event queue
    bool settleAfterCommand_ = false;  // the selection changed while a command ran
    bool scanning_ = false;            // a listing command runs (runListing)
    std::string pendingTotals_;        // status panel 1 while listing, shown at the next paint
    bool totalsPending_ = false;
    std::pair<long long, long long> pendingProgress_{0, 0};  // progress bar value and max while listing
    QObject* scanGate_ = nullptr;                            // the input filter of a running listing
    QElapsedTimer paintClock_;                               // since the end of the last repaint of a long loop
    qint64 paintInterval_ = 30;                              // milliseconds between those repaints
    std::unique_ptr<naming::SortCommands> sort_;
    std::unique_ptr<naming::FolderTreeCommands> folders_;
    bool checkingPattern_ = false;  // a pattern box's focus-loss message is up
    std::unique_ptr<editing::BatchTagCommands> batch_;
    std::unique_ptr<editing::TagCopyCommands> copies_;
    editing::FramesPage* framesPage_ = nullptr;
    bool tagEditorReady_ = false;  // the tag editor is bound: the panes can be cleared and saved
    std::unique_ptr<freedb::AlbumLookup> lookup_;
    freedb::FreedbConnection* freedb_ = nullptr;
    std::unique_ptr<find::FileListSource> findSource_;
    std::unique_ptr<find::FindReplace> findEngine_;
    find::FindDialog* findDialog_ = nullptr;
};

}  // namespace vorda::app
