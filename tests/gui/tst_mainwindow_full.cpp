// SPDX-License-Identifier: GPL-2.0-or-later

// The full main window: the sorting panel and its settings, bookmarks, the target-folder box,
// view toggles, menus, the "Scan subfolders" warning, help and about, and the platform services.
#include <unistd.h>
#include <cerrno>
#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include "GuiTestSupport.h"
#include "app/FileCheck.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "app/qt/MainWindow.h"
#include "app/qt/OptionsSupport.h"
#include "base/IniFile.h"
#include "platform/PlatformDialogs.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

using namespace guitest;
using vorda::app::MainWindow;

namespace {

QStringList names(const MainWindow& w) {
    QStringList names;
    const QAbstractItemModel* m = guitest::child<QTableView>(w, "lstFiles2")->model();
    for (int r = 0; r < m->rowCount(); ++r) names << m->index(r, 0).data().toString();
    names.sort();
    return names;
}

// Records what the help command hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class RecordingUi : public vorda::app::SilentUserInterface {
public:
    vorda::app::MessageAnswer ask(const std::string& text, vorda::app::MessageButtons buttons,
                                  vorda::app::MessageIcon icon, const std::string& title) override {
        texts.push_back(title + "|" + text);
        lastIcon = icon;
        return SilentUserInterface::ask(text, buttons, icon, title);
    }
    std::vector<std::string> texts;
    vorda::app::MessageIcon lastIcon = vorda::app::MessageIcon::None;
};

}  // namespace

class TestFullWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(settingsFile()); }

    void freshStartShowsTheDefaults() {
        MainWindow w;
        QCOMPARE(w.minimumSize(), QSize(699, 633));
        w.resize(300, 200);
        QCOMPARE(w.size(), QSize(699, 633));
        QCOMPARE(guitest::child<QComboBox>(w, "cmbInPattern")->count(),
                 1);  // the never-stored list reads as one empty entry
        QCOMPARE(guitest::popSortItemCount(w), 1);
        // Rename is the default method: the box shows the file location and is locked.
        QVERIFY(guitest::child<QRadioButton>(w, "optMethod2")->isChecked());
        QCOMPARE(guitest::child<QPushButton>(w, "cmdSort")->text(), QStringLiteral("Rename All"));
        QCOMPARE(guitest::child<QMenu>(w, "mnuPopSort")->title(), QStringLiteral("Rename selected file(s) using..."));
        QCOMPARE(guitest::child<QLabel>(w, "lblTargetDir")->text(), QStringLiteral("File location:"));
        QVERIFY(guitest::child<QLineEdit>(w, "txtTargetDir")->isReadOnly());
        QVERIFY(!guitest::child<QPushButton>(w, "cmdTargetDir")->isEnabled());
        QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text().toStdString(), vorda::app::defaultFolder());
    }

    void panelSettingsRoundTrip() {
        writeKeys("OutPatterns", {{"nofOutPatterns", "2"},
                                  {"sOutPattern0", "<title>"},
                                  {"sOutPattern1", "<track>¶-¶<title>"},
                                  {"sOutPattern2", "<artist>"}});
        writeKeys("General", {{"Method", "2"},
                              {"sTargetDir", "/srv/music/"},
                              {"bFixFilenames", "0"},
                              {"bScanSubFolders", "1"},
                              {"bUseAlbumPattern", "2"},
                              {"bAdvancedMode", "True"}});
        writeKeys("Bookmarks", {{"FavouriteDir3", "/srv/music"}});
        {
            MainWindow w;
            QVERIFY(guitest::child<QRadioButton>(w, "optMethod0")->isChecked());
            QCOMPARE(guitest::child<QPushButton>(w, "cmdSort")->text(), QStringLiteral("Copy All"));
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), QStringLiteral("/srv/music/"));
            QVERIFY(!guitest::child<QLineEdit>(w, "txtTargetDir")->isReadOnly());
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->palette().color(QPalette::Base),
                     QColor(255, 255, 192));
            QVERIFY(!guitest::child<QCheckBox>(w, "chkFixFilenames")->isChecked());
            QVERIFY(w.scanSubfolders());
            QCOMPARE(guitest::child<QCheckBox>(w, "chkAlbumPattern")->checkState(), Qt::PartiallyChecked);
            QVERIFY(guitest::child<QAction>(w, "mnuAdvancedMode")->isChecked());
            QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->count(), 3);
            QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->itemText(1), QStringLiteral("<track> - <title>"));
            QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->currentText(),
                     QStringLiteral("<artist> - <track> - <title>"));
            QCOMPARE(guitest::popSortItemCount(w), 3);
            QCOMPARE(guitest::child<QAction>(w, "mnuPopSortPatterns2")->text(), QStringLiteral("<artist>"));
            QCOMPARE(guitest::child<QToolButton>(w, "cmdFavourite3")->toolTip(), QStringLiteral("/srv/music"));

            guitest::child<QRadioButton>(w, "optMethod1")->click();
            QCOMPARE(guitest::child<QAction>(w, "mnuSortSelected")->text(), QStringLiteral("Move selected file(s)"));
            guitest::child<QCheckBox>(w, "chkFixFilenames")->setChecked(true);
            guitest::child<QCheckBox>(w, "chkScanSubfolders")->setChecked(false);
            guitest::child<QComboBox>(w, "cmbInPattern")->setEditText(QStringLiteral(" <title> "));
            guitest::child<QComboBox>(w, "cmbPathPattern")->setEditText(QStringLiteral("<genre>/"));
            w.close();
        }
        QCOMPARE(readKey("General", "Method"), QStringLiteral("1"));
        QCOMPARE(readKey("General", "sTargetDir"), QStringLiteral("/srv/music/"));
        QCOMPARE(readKey("General", "bFixFilenames"), QStringLiteral("1"));
        QCOMPARE(readKey("General", "bScanSubFolders"), QStringLiteral("0"));
        QCOMPARE(readKey("General", "bUseAlbumPattern"), QStringLiteral("2"));
        QCOMPARE(readKey("General", "bAdvancedMode"), QStringLiteral("True"));
        QCOMPARE(readKey("InPatterns", "sCurrentInPattern"), QStringLiteral(" <title> "));
        QCOMPARE(readKey("PathPatterns", "sCurrentPathPattern"), QStringLiteral("<genre>/"));
        QCOMPARE(readKey("Bookmarks", "FavouriteDir3"), QStringLiteral("/srv/music"));
        QCOMPARE(readKey("Bookmarks", "FavouriteDir0"), QString());

        // A stored method the switch never produces leaves the three buttons clear and saves 4.
        writeKeys("General", {{"Method", "3"}});
        MainWindow w;
        for (int i = 0; i < 3; ++i)
            QVERIFY(!guitest::child<QRadioButton>(w, QStringLiteral("optMethod%1").arg(i))->isChecked());
        QCOMPARE(guitest::child<QPushButton>(w, "cmdSort")->text(), QStringLiteral("Sort All"));
        QCOMPARE(guitest::child<QComboBox>(w, "cmbInPattern")->currentText(), QStringLiteral(" <title> "));
        w.close();
        QCOMPARE(readKey("General", "Method"), QStringLiteral("4"));
    }

    void bookmarksLeftAndRightButton() {
        QTemporaryDir music(homePath() + QStringLiteral("/bmXXXXXX"));
        writeFile(music.filePath("one/a.mp3"));
        writeFile(music.filePath("two/b.mp3"));
        writeFile(music.filePath("two/deep/c.mp3"));
        const QString one = music.filePath("one"), two = music.filePath("two");
        {
            MainWindow w;
            w.show();
            QVERIFY(w.selectTreeFolder(one.toStdString()));
            QTest::mousePress(guitest::child<QToolButton>(w, "cmdFavourite1"), Qt::RightButton);
            QCOMPARE(guitest::child<QToolButton>(w, "cmdFavourite1")->toolTip(), one);
            QVERIFY(w.selectTreeFolder(two.toStdString()));
            QTest::mousePress(guitest::child<QToolButton>(w, "cmdFavourite4"), Qt::RightButton);
            QCOMPARE(names(w), QStringList({"b.mp3"}));

            // Left click: the tree goes there and its change scans the folder.
            QTest::mouseClick(guitest::child<QToolButton>(w, "cmdFavourite1"), Qt::LeftButton);
            QCOMPARE(w.treePath(), one.toStdString());
            QCOMPARE(names(w), QStringList({"a.mp3"}));
            // An empty bookmark does nothing.
            QTest::mouseClick(guitest::child<QToolButton>(w, "cmdFavourite0"), Qt::LeftButton);
            QCOMPARE(w.treePath(), one.toStdString());

            // With the tree hidden the list is still filled, following "Scan subfolders".
            guitest::child<QAction>(w, "mnuDirTree")->trigger();
            guitest::child<QCheckBox>(w, "chkScanSubfolders")->setChecked(true);
            w.goToBookmark(4);
            QCOMPARE(names(w), QStringList({"b.mp3", "c.mp3"}));
            QCOMPARE(w.treePath(), two.toStdString());
            w.close();
        }
        QCOMPARE(readKey("Bookmarks", "FavouriteDir1"), one);
        QCOMPARE(readKey("Bookmarks", "FavouriteDir4"), two);
        MainWindow again;
        QCOMPARE(guitest::child<QToolButton>(again, "cmdFavourite4")->toolTip(), two);
    }

    void targetFolderBox() {
        QTemporaryDir dir(homePath() + QStringLiteral("/tgXXXXXX"));
        writeFile(dir.filePath("in/song.mp3"));
        writeKeys("General", {{"Method", "2"}, {"sTargetDir", "/start/"}});
        {
            MainWindow w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            guitest::child<QTabWidget>(w, "tabQSettings")->setCurrentIndex(0);

            // Typing refuses ? " < > | *; leaving the box adds the final "/".
            guitest::child<QLineEdit>(w, "txtTargetDir")->clear();
            guitest::child<QLineEdit>(w, "txtTargetDir")->setFocus();
            QTest::keyClicks(guitest::child<QLineEdit>(w, "txtTargetDir"), QStringLiteral("/new*/pl?ace|"));
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), QStringLiteral("/new/place"));
            guitest::child<QComboBox>(w, "cmbOutPattern")->setFocus();
            QTRY_COMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), QStringLiteral("/new/place/"));

            // Browse's answer becomes the text; "Set as target folder" takes the tree's folder.
            w.targetFolderChosen("/browsed");
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), QStringLiteral("/browsed/"));
            QVERIFY(w.selectTreeFolder(dir.filePath("in").toStdString()));
            QVERIFY(guitest::child<QAction>(w, "mnuSetTargetFolder")->isEnabled());
            guitest::child<QAction>(w, "mnuSetTargetFolder")->trigger();
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), dir.filePath("in") + "/");

            // Rename shows the shown file's folder in the locked box and the "Patterns" page.
            guitest::child<QRadioButton>(w, "optMethod2")->click();
            QCOMPARE(guitest::child<QTabWidget>(w, "tabQSettings")->currentIndex(), 1);
            QVERIFY(guitest::child<QLineEdit>(w, "txtTargetDir")->isReadOnly());
            guitest::child<QTableView>(w, "lstFiles2")->selectRow(0);
            clickRow(w, 0);
            QCOMPARE(guitest::child<QLineEdit>(w, "txtOldName")->text(), QStringLiteral("song.mp3"));
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), dir.filePath("in") + "/");
            guitest::child<QAction>(w, "mnuDirTree")->trigger();  // keep the tree from changing while the target moves
            w.targetFolderChosen("/ignored/");
            w.selectTreeFolder(dir.path().toStdString());
            w.setTreeFolderAsTarget();
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), dir.filePath("in") + "/");
            guitest::child<QRadioButton>(w, "optMethod0")->click();
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), dir.path() + "/");
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->selectedText(),
                     guitest::child<QLineEdit>(w, "txtTargetDir")->text());
            guitest::child<QRadioButton>(w, "optMethod2")->click();
            w.close();
        }
        // The last accepted folder is saved, not the file location shown while renaming.
        QCOMPARE(readKey("General", "sTargetDir"), dir.path() + "/");
        QCOMPARE(readKey("General", "Method"), QStringLiteral("4"));
    }

    void menuKeysAndStates() {
        MainWindow w;
        const std::pair<const char*, QKeySequence> keys[] = {{"mnuSortAll", QKeySequence(Qt::Key_F4)},
                                                             {"mnuSortSelected", QKeySequence(Qt::Key_F5)},
                                                             {"mnuFindReplace", QKeySequence(Qt::CTRL | Qt::Key_F)},
                                                             {"mnuFreeDBLookup", QKeySequence(Qt::Key_F8)},
                                                             {"mnuSaveTags", QKeySequence(Qt::CTRL | Qt::Key_S)}};
        for (const auto& [name, key] : keys) QCOMPARE(guitest::child<QAction>(w, name)->shortcut(), key);
        QCOMPARE(guitest::child<QAction>(w, "mnuSortAll")->text(), QStringLiteral("Rename all files"));
        // Every command works from the start, but the album sort, which renaming has no use for.
        for (const char* name :
             {"mnuExit",         "mnuAddFiles",       "mnuExportEditor", "mnuExportCDCover", "mnuSortAll",
              "mnuSortSelected", "mnuDirTree",        "mnuTagInfo",      "mnuFindReplace",   "mnuFreeDBLookup",
              "mnuFixTags",      "mnuSaveTags",       "mnuRemoveTags",   "mnuAdvancedMode",  "mnuSettings",
              "mnuFileGrid",     "mnuHelpMe",         "mnuAbout",        "mnuExtractID3",    "mnuPopFreeDBLookup",
              "mnuAddTracks",    "mnuWAEnqueuePlay",  "mnuWAPause",      "mnuFolderFromID3", "mnuRemFromList",
              "mnuRemFromHD",    "mnuSetTargetFolder"})
            QVERIFY2(guitest::child<QAction>(w, name)->isEnabled(), name);
        QVERIFY(!guitest::child<QAction>(w, "mnuPopSortAlbum")->isEnabled());
    }

    void scanSubfoldersWarns() {
        MainWindow w;
        w.show();
        auto seen = boxScript();
        guitest::child<QCheckBox>(w, "chkScanSubfolders")->click();
        QVERIFY(!seen->texts.isEmpty());
        QCOMPARE(seen->texts.value(0),
                 QStringLiteral("Scanning folders that contain many files could take very long time!"));
        QCOMPARE(seen->titles.value(0), QStringLiteral("Vorda"));
        QCOMPARE(seen->icons.value(0), QMessageBox::Information);
        QVERIFY(w.scanSubfolders());
        auto none = boxScript();
        guitest::child<QCheckBox>(w, "chkScanSubfolders")->click();  // clearing it says nothing
        QTest::qWait(200);
        QVERIFY(none->texts.isEmpty());
        QVERIFY(!w.scanSubfolders());
    }

    void helpAndAbout() {
        MainWindow w;
        w.show();
        QVERIFY(QString::fromStdString(w.helpFilePath()).endsWith(QStringLiteral("/help/index.html")));
        auto boxes = boxScript();
        w.showHelp(homePath().toStdString() + "/nothing/index.html");
        QVERIFY(boxes->texts.value(0).startsWith(QStringLiteral("The help file could not be found:")));
        QCOMPARE(boxes->icons.value(0), QMessageBox::Critical);

        const QString manual = homePath() + QStringLiteral("/help/index.html");
        writeFile(manual);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        w.showHelp(manual.toStdString());
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>({QUrl::fromLocalFile(manual)}));

        boxes = boxScript();
        guitest::child<QAction>(w, "mnuAbout")->trigger();
        QCOMPARE(boxes->titles.value(0), QStringLiteral("About Vorda"));
        QVERIFY(boxes->texts.value(0).contains(QStringLiteral("Vorda ") + QStringLiteral(VORDA_VERSION)));
    }

    void settingsOpensTheOptionsDialog() {
        MainWindow w;
        w.show();
        QString seen;
        QTimer::singleShot(50, [&seen] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->isVisible() && top->objectName() == QStringLiteral("frmOptions")) {
                    seen = top->objectName();
                    static_cast<QDialog*>(top)->reject();
                }
            }
        });
        guitest::child<QAction>(w, "mnuSettings")->trigger();
        QCOMPARE(seen, QStringLiteral("frmOptions"));
    }

    void damagedSettingsAreReadKeptAndReportedOnce() {
        QTemporaryDir music(homePath() + QStringLiteral("/damagedXXXXXX"));
        QString deep = music.path();
        for (int i = 0; i < 12; ++i) deep += QStringLiteral("/a deep folder level %1").arg(i);
        QVERIFY(QDir().mkpath(deep));
        deep += QLatin1Char('/');
        QVERIFY(deep.size() > 199);
        QByteArray damaged = "[General]\nsTargetDir=" + deep.toUtf8().replace(' ', "\xC2\xB6") + "\nMethod=2\n" +
                             "[Bookmarks]\nFavouriteDir0=" + music.path().toUtf8() + "\nFavouriteDir1=/x" +
                             QByteArray(1, '\0') + "junk\n[OutPatterns]\nsCurrentOutPattern=<title>\n";
        QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
        {
            QFile f(settingsFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(damaged);
        }
        const QString backup = settingsFile() + QStringLiteral(".bak");
        {
            MainWindow w;
            w.show();
            auto seen = boxScript();
            w.startUp();
            QVERIFY(!seen->texts.isEmpty());
            QCOMPARE(seen->icons.value(0), QMessageBox::Warning);
            QVERIFY(seen->texts.value(0).contains(QStringLiteral("could not be read completely: it holds zero bytes")));
            QVERIFY(seen->texts.value(0).contains(backup));
            QCOMPARE(guitest::child<QLineEdit>(w, "txtTargetDir")->text(), deep);
            QCOMPARE(guitest::child<QToolButton>(w, "cmdFavourite0")->toolTip(), music.path());
            QCOMPARE(guitest::child<QToolButton>(w, "cmdFavourite1")->toolTip(), QStringLiteral("/x"));
            QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->currentText(), QStringLiteral("<title>"));
            QVERIFY(!QFile::exists(backup));  // nothing written yet
            w.close();
        }
        {
            QFile kept(backup);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), damaged);
        }
        QCOMPARE(readKey("General", "sTargetDir"), deep);
        QCOMPARE(readKey("Bookmarks", "FavouriteDir0"), music.path());
        QCOMPARE(readKey("OutPatterns", "sCurrentOutPattern"), QStringLiteral("<title>"));
        QCOMPARE(readKey("General", "Method"), QStringLiteral("2"));

        // The mended file starts without a word and keeps the backup as it was.
        QFile::remove(backup);
        MainWindow again;
        again.show();
        auto none = boxScript();
        again.startUp();
        QTest::qWait(100);
        QVERIFY(none->texts.isEmpty());
        QCOMPARE(guitest::child<QLineEdit>(again, "txtTargetDir")->text(), deep);
        again.close();
        QVERIFY(!QFile::exists(backup));
    }

    void readOnlySettingsAreReadButNeverWritten() {
        writeKeys("General", {{"Method", "2"}, {"sTargetDir", "/srv/music/"}});
        writeKeys("Bookmarks", {{"FavouriteDir2", "/srv/music"}});
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        {
            MainWindow w;
            w.show();
            auto seen = boxScript();
            w.startUp();
            QVERIFY(!seen->texts.isEmpty());
            QCOMPARE(seen->icons.value(0), QMessageBox::Information);
            QVERIFY(seen->texts.value(0).contains(QStringLiteral("is read-only")));
            QVERIFY(guitest::child<QRadioButton>(w, "optMethod0")->isChecked());
            QCOMPARE(guitest::child<QToolButton>(w, "cmdFavourite2")->toolTip(), QStringLiteral("/srv/music"));
            guitest::child<QRadioButton>(w, "optMethod1")->click();
            guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<title>"));
            w.close();
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        file.close();
        QVERIFY(!(file.permissions() & QFileDevice::WriteOwner));
        QVERIFY(!QFile::exists(settingsFile() + QStringLiteral(".bak")));
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }

    void popupItemsFollowTheSelectionMode() {
        QTemporaryDir dir(homePath() + QStringLiteral("/popXXXXXX"));
        for (const char* name : {"p1.mp3", "p2.mp3", "p3.mp3"}) writeFile(dir.filePath(QString::fromLatin1(name)));
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.dropPaths({dir.path().toStdString()});
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->model()->rowCount(), 3);
        const auto popUp = [&w] {
            emit guitest::child<QTableView>(w, "lstFiles2")->customContextMenuRequested(QPoint(5, 5));
            const QList<bool> states{guitest::child<QAction>(w, "mnuExtractID3")->isEnabled(),
                                     guitest::child<QAction>(w, "mnuFolderFromID3")->isEnabled(),
                                     guitest::child<QAction>(w, "mnuAddTracks")->isEnabled()};
            guitest::child<QMenu>(w, "mnuPopup")->hide();
            return states;
        };
        // One file clicked: its tags and its folder, not numbering.
        clickRow(w, 0);
        QVERIFY(!w.commands().bMultiChange);
        QCOMPARE(popUp(), (QList<bool>{true, true, false}));
        // Ctrl-click on a neighbour: several files, the reverse.
        clickRow(w, 1, Qt::ControlModifier);
        QVERIFY(w.commands().bMultiChange);
        QCOMPARE(popUp(), (QList<bool>{false, false, true}));
        guitest::child<QAction>(w, "mnuSelectAll")->trigger();
        QCOMPARE(popUp(), (QList<bool>{false, false, true}));
    }

    void addFilesOffersEveryPlaylistType() {
        MainWindow w;
        w.show();
        QStringList filters;
        QTimer::singleShot(50, [&filters] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(top);
                if (!dialog || !dialog->isVisible()) continue;
                filters = dialog->nameFilters();
                dialog->reject();
            }
        });
        guitest::child<QAction>(w, "mnuAddFiles")->trigger();
        QCOMPARE(filters.size(), 3);
        QCOMPARE(filters.value(1), QStringLiteral("Playlists (*.m3u *.m3u8 *.pls)"));
    }

    void platformServices() {
        QTemporaryDir dir(homePath() + QStringLiteral("/psXXXXXX"));
        const std::string folder = dir.path().toStdString();
        const std::string a = vorda::platform::tempFileName(folder, "");
        const std::string b = vorda::platform::tempFileName(folder + "/", "vt");
        QVERIFY(QFileInfo(QString::fromStdString(a)).fileName().startsWith('~'));
        QVERIFY(QFileInfo(QString::fromStdString(b)).fileName().startsWith(QStringLiteral("vt")));
        QCOMPARE(QFileInfo(QString::fromStdString(a)).absolutePath(), dir.path());
        QVERIFY(a != b && QFile::exists(QString::fromStdString(a)) && QFile::exists(QString::fromStdString(b)));
        // A file's path puts the name beside it; no folder means the system's temporary folder.
        const std::string beside = vorda::platform::tempFileName(a, "x");
        QCOMPARE(QFileInfo(QString::fromStdString(beside)).absolutePath(), dir.path());
        const std::string temp = vorda::platform::tempFileName("", "vorda-test");
        QCOMPARE(QFileInfo(QString::fromStdString(temp)).absolutePath(), QDir(QDir::tempPath()).absolutePath());
        QFile::remove(QString::fromStdString(temp));
        QCOMPARE(vorda::platform::tempFileName(folder + "/missing/", "x"), std::string());

        RecordingUi ui;
        QVERIFY(vorda::app::fileExists(a, ui));
        QVERIFY(vorda::app::fileExists(folder, ui));
        QVERIFY(!vorda::app::fileExists(folder + "/none.mp3", ui));
        QVERIFY(!vorda::app::fileExists(a + "/below", ui));  // a file used as a folder
        QVERIFY(!vorda::app::fileExists("", ui));
        QVERIFY(ui.texts.empty());
        const std::string loop = folder + "/loop";
        QCOMPARE(::symlink(loop.c_str(), loop.c_str()), 0);
        QVERIFY(!vorda::app::fileExists(loop, ui));
        QCOMPARE(ui.texts.size(), size_t(1));
        QCOMPARE(QString::fromStdString(ui.texts[0]),
                 QStringLiteral("Error|Error Number: %1 %2").arg(ELOOP).arg(QString::fromLocal8Bit(strerror(ELOOP))));
        QCOMPARE(ui.lastIcon, vorda::app::MessageIcon::Error);
    }
};

int main(int argc, char** argv) { return guitest::run<TestFullWindow>(argc, argv, {QSize(), true}); }

#include "tst_mainwindow_full.moc"
