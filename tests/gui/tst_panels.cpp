// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's panels on their own: what each reports through its signals and shows
// through its methods, without a window around it.
#include <climits>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

#include "GuiTestSupport.h"
#include "app/FileList.h"
#include "app/Settings.h"
#include "app/qt/FileListView.h"
#include "app/qt/FolderPane.h"
#include "app/qt/SortingPanel.h"
#include "app/qt/StatusPanels.h"

using namespace vorda::app;
using vorda::naming::PatternKind;

class TestPanels : public QObject {
    Q_OBJECT
private slots:
    void folderPaneReportsFoldersBookmarksAndDelete() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a/b")));
        const std::string root = QFile::encodeName(dir.path()).toStdString();
        FolderPane pane;
        pane.show();
        QSignalSpy changed(&pane, &FolderPane::folderChanged);
        QVERIFY(pane.selectFolder(root + "/a/b/"));
        QCOMPARE(pane.folder(), root + "/a/b");
        QCOMPARE(pane.parentFolder(), root + "/a");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).value<std::string>(), root + "/a/b");
        QVERIFY(!pane.selectFolder(root + "/missing"));
        QCOMPARE(pane.folder(), root + "/a/b");

        // A refresh keeps the folder and reports no change (no rescan).
        pane.refresh();
        QCOMPARE(pane.folder(), root + "/a/b");
        QCOMPARE(changed.size(), 1);

        // The left button goes to a bookmark, the right one stores it.
        QSignalSpy clicked(&pane, &FolderPane::bookmarkClicked);
        QSignalSpy store(&pane, &FolderPane::bookmarkStoreRequested);
        auto* third = guitest::child<QToolButton>(pane, "cmdFavourite2");
        QTest::mouseClick(third, Qt::LeftButton);
        QTest::mousePress(third, Qt::RightButton);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 2);
        QCOMPARE(store.size(), 1);
        QCOMPARE(store.at(0).at(0).toInt(), 2);
        pane.setBookmarkToolTip(2, QStringLiteral("/music"));
        QCOMPARE(third->toolTip(), QStringLiteral("/music"));

        QSignalSpy remove(&pane, &FolderPane::deleteRequested);
        auto* tree = guitest::child<QTreeView>(pane, "DirTree");
        QTest::keyClick(tree, Qt::Key_Delete);
        QTest::keyClick(tree, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(remove.size(), 2);
        QCOMPARE(remove.at(0).at(0).toBool(), false);
        QCOMPARE(remove.at(1).at(0).toBool(), true);
        QCOMPARE(pane.folder(), root + "/a/b");
    }

    void fileListViewReportsKeysAndTakesOnlyLocalFiles() {
        FileList list;
        vorda::platform::FileIconCache icons;
        FileListView view(list, icons);
        view.show();
        QSignalSpy remove(&view, &FileListView::deleteRequested);
        QSignalSpy keys(&view, &FileListView::keyHandled);
        QTest::keyClick(&view, Qt::Key_Delete);
        QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(remove.size(), 2);
        QCOMPARE(remove.at(0).at(0).toBool(), false);
        QCOMPARE(remove.at(1).at(0).toBool(), true);
        keys.clear();
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(keys.size(), 1);

        QSignalSpy dropped(&view, &FileListView::pathsDropped);
        auto drop = [&view](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            // A drop reaches only a list that took the drag when it entered.
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view.viewport(), &enter);
            QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view.viewport(), &event);
            return enter.isAccepted() && event.isAccepted();
        };
        // A path keeps its bytes as they are on disk, even when they are not UTF-8.
        QVERIFY(drop({QUrl(QStringLiteral("file:///music/a%FF.mp3")), QUrl(QStringLiteral("https://x/y.mp3"))}));
        QCOMPARE(dropped.size(), 1);
        const auto paths = dropped.at(0).at(0).value<std::vector<std::string>>();
        QCOMPARE(paths, std::vector<std::string>{"/music/a\xFF.mp3"});
        QVERIFY(!drop({QUrl(QStringLiteral("https://x/y.mp3"))}));
        view.dropsAllowed = [] { return false; };
        QVERIFY(!drop({QUrl(QStringLiteral("file:///music/b.mp3"))}));
        QCOMPARE(dropped.size(), 1);
    }

    void statusPanelsShowTextAndProgress() {
        StatusPanels status;
        QCOMPARE(status.text(1), QStringLiteral("Total: 0 files"));
        QCOMPARE(status.text(4), QStringLiteral("Progress"));
        status.setText(3, QStringLiteral("Reading"));
        QCOMPARE(status.text(3), QStringLiteral("Reading"));
        QCOMPARE(guitest::child<QLabel>(status, "StatusBarPanel3")->toolTip(), QStringLiteral("Reading"));
        status.setText(5, QStringLiteral("nowhere"));
        QCOMPARE(status.text(5), QString());
        status.showProgress(1, 4);
        QCOMPARE(status.text(4), QStringLiteral("25%"));
        // Totals beyond what the bar counts are shown in thousandths.
        status.showProgress(3LL * INT_MAX / 4, 2LL * INT_MAX);
        QCOMPARE(status.text(4), QStringLiteral("37%"));
        status.showProgress(5, 0);
        QCOMPARE(status.text(4), QStringLiteral("Progress"));
    }

    void sortingPanelKeepsSettingsAndReportsItsControls() {
        SortingPanel panel;
        panel.show();
        Settings s;
        s.fixFilenames = 2;
        s.scanSubFolders = 1;
        s.detectInPattern = 0;
        s.useAlbumPattern = 1;
        s.inPatterns = {"<Artist> - <Title>", "<Title>"};
        s.currentInPattern = "<Title>";
        s.outPatterns = {"<Track>. <Title>"};
        s.currentOutPattern = "<Artist> - <Title>";
        panel.load(s);
        QCOMPARE(panel.optionState(SortingPanel::Option::FixFilenames), Qt::PartiallyChecked);
        QVERIFY(panel.ticked(SortingPanel::Option::FixFilenames));
        QVERIFY(!panel.ticked(SortingPanel::Option::DetectInPattern));
        QCOMPARE(guitest::child<QComboBox>(panel, "cmbInPattern")->count(), 2);
        QCOMPARE(panel.patternText(PatternKind::Output), QStringLiteral("<Artist> - <Title>"));
        Settings back;
        panel.store(back);
        QCOMPARE(back.fixFilenames, 2);
        QCOMPARE(back.scanSubFolders, 1);
        QCOMPARE(back.detectInPattern, 0);
        QCOMPARE(back.useAlbumPattern, 1);
        QCOMPARE(back.currentInPattern, std::string("<Title>"));
        QCOMPARE(back.currentOutPattern, std::string("<Artist> - <Title>"));

        // A method no button stands for clears all three.
        panel.showMethodButton(1);
        QVERIFY(guitest::child<QRadioButton>(panel, "optMethod1")->isChecked());
        panel.showMethodButton(-1);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!guitest::child<QRadioButton>(panel, QStringLiteral("optMethod%1").arg(i))->isChecked());
        QSignalSpy method(&panel, &SortingPanel::methodClicked);
        QTest::mouseClick(guitest::child<QRadioButton>(panel, "optMethod2"), Qt::LeftButton);
        QCOMPARE(method.size(), 1);
        QCOMPARE(method.at(0).at(0).toInt(), 2);

        // A locked target box is read-only; typing in an open one is reported.
        panel.showTarget(QStringLiteral("/music"), true);
        auto* target = guitest::child<QLineEdit>(panel, "txtTargetDir");
        QVERIFY(target->isReadOnly());
        panel.showTarget(QStringLiteral("/music"), false);
        QSignalSpy typed(&panel, &SortingPanel::targetTyped);
        target->setFocus();
        target->end(false);
        QTest::keyClicks(target, QStringLiteral("/x?"));
        QCOMPARE(target->text(), QStringLiteral("/music/x"));  // "?" is no part of a folder
        QVERIFY(typed.size() >= 2);

        // Up and Down in the name boxes step through the list; Return sorts the file.
        QSignalSpy step(&panel, &SortingPanel::nameStepRequested);
        QSignalSpy sortSelected(&panel, &SortingPanel::sortSelectedClicked);
        auto* newName = guitest::child<QLineEdit>(panel, "txtNewName");
        QTest::keyClick(newName, Qt::Key_Up);
        QTest::keyClick(guitest::child<QLineEdit>(panel, "txtOldName"), Qt::Key_Down);
        QTest::keyClick(newName, Qt::Key_Return);
        QCOMPARE(step.size(), 2);
        QCOMPARE(step.at(0).at(0).toInt(), -1);
        QCOMPARE(step.at(1).at(0).toInt(), 1);
        QCOMPARE(sortSelected.size(), 1);

        // Leaving a pattern box for another control is reported, for that box; its own drop-down
        // and a window switch are no leaving.
        QSignalSpy left(&panel, &SortingPanel::patternBoxLeft);
        auto* out = guitest::child<QComboBox>(panel, "cmbOutPattern");
        for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason, Qt::TabFocusReason}) {
            QFocusEvent focusOut(QEvent::FocusOut, reason);
            QApplication::sendEvent(out, &focusOut);
        }
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.at(0).at(0).value<PatternKind>(), PatternKind::Output);
    }
};

int main(int argc, char** argv) { return guitest::run<TestPanels>(argc, argv); }

#include "tst_panels.moc"
