// SPDX-License-Identifier: GPL-2.0-or-later

// The match chooser and the review dialog, driven as a user would.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "freedb/qt/MatchChooserDialog.h"
#include "freedb/qt/ReviewDialog.h"

using namespace vorda::freedb;

namespace {

template <class T>
T* child(QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(name);
    if (!widget) qFatal("no %s", name);
    return widget;
}

}  // namespace

class FreedbDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void chooserNeedsASelectionOrACancel() {
        const std::vector<FreedbQuery> matches = {FreedbQuery::fromLine("rock d026c03 First / One"),
                                                  FreedbQuery::fromLine("jazz d026c04 Second / Two"),
                                                  FreedbQuery::fromLine("misc 0d026c05 Third / Three")};
        MatchChooserDialog dialog;
        dialog.showEntries(matches);
        auto* list = child<QListWidget>(dialog, "lstMatches");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QString("Second  -  Two [jazz , d026c04]"));
        QCOMPARE(child<QLabel>(dialog, "lblInfo")->text(), QString("3 matches were found. Please select one entry:"));

        dialog.show();
        child<QPushButton>(dialog, "cmdOK")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.selected(), std::nullopt);
        list->setCurrentRow(2);
        child<QPushButton>(dialog, "cmdOK")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.selected(), matches[2]);
        QVERIFY(!dialog.wasCanceled());

        dialog.showEntries(matches);
        dialog.show();
        child<QPushButton>(dialog, "cmdCancel")->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.wasCanceled());
    }

    void reviewShowsEditsAndTicks() {
        AlbumReview review;
        review.reset();
        review.addFile("01 - a.mp3", "01");
        review.addFile("02 - b.mp3", "02");
        review.takeResult({{"ARTIST", "Band"}, {"TTITLE1", "Intro"}, {"TTITLE2", "Song"}, {"GENRE", "rock"}});
        ReviewDialog dialog;
        dialog.setGenres({"Blues", "Rock"});
        dialog.setOutPatterns({"<Artist> - <Title>", "<Track> <Title>"}, "<Track> <Title>");
        dialog.load(review);

        auto* table = child<QTableWidget>(dialog, "lvwResult");
        QHeaderView* header = table->horizontalHeader();
        QStringList shown;
        for (int visual = 0; visual < 4; ++visual)
            shown << table->horizontalHeaderItem(header->logicalIndex(visual))->text();
        QCOMPARE(shown, (QStringList{"File", "Track", "Artist", "Title"}));
        QCOMPARE(table->item(1, ReviewDialog::TitleColumn)->text(), QString("Song"));
        QCOMPARE(table->item(1, ReviewDialog::ArtistColumn)->text(), QString("Band"));
        QVERIFY(!(table->item(0, ReviewDialog::FileColumn)->flags() & Qt::ItemIsEditable));
        // Loading ticks nothing; typing does.
        QVERIFY(!child<QCheckBox>(dialog, "chkGenre")->isChecked());
        QVERIFY(!child<QCheckBox>(dialog, "chkAlbum")->isChecked());
        QTest::keyClicks(child<QLineEdit>(dialog, "txtAlbum"), "Record");
        QTest::keyClicks(child<QLineEdit>(dialog, "txtYear"), "1997");
        table->item(0, ReviewDialog::TitleColumn)->setText("Opening");
        child<QCheckBox>(dialog, "chkComment")->setChecked(false);

        const AlbumReview edited = dialog.review();
        QCOMPARE(edited.album, std::string("Record"));
        QCOMPARE(edited.year, std::string("1997"));
        QCOMPARE(edited.genre, std::string("rock"));
        QCOMPARE(edited.rows.at(0).title, std::string("Opening"));
        QCOMPARE(edited.rows.at(0).file, std::string("01 - a.mp3"));
        QCOMPARE(edited.rows.at(1).track, std::string("02"));
        const ReviewTicks& t = edited.ticks;
        QVERIFY(t.artist && t.album && t.title && t.trackNumber && t.year && !t.genre && !t.comment && !t.rename);
        QCOMPARE(dialog.outPattern(), QString("<Track> <Title>"));
    }

    void leavingThePatternBoxChecksIt() {
        ReviewDialog dialog;
        dialog.setOutPatterns({}, "<Title>?");
        dialog.setPatternCheck([](QString& pattern) {
            pattern.remove('?');
            return pattern.isEmpty() ? QString("Pattern is empty.") : QString();
        });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* box = child<QComboBox>(dialog, "cmbOutPattern");
        box->setFocus();
        child<QLineEdit>(dialog, "txtComment")->setFocus();
        QCOMPARE(dialog.outPattern(), QString("<Title>"));
    }
};

QTEST_MAIN(FreedbDialogsTest)
#include "tst_freedb_dialogs.moc"
