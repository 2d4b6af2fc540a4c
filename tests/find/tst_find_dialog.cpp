// SPDX-License-Identifier: GPL-2.0-or-later

// The Find & Replace / Trim / Add dialog over a list of files held in memory: what each button
// does on each page, the messages, and which boxes can be used.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "FindTestSupport.h"
#include "find/qt/FindDialog.h"

using namespace vorda::tags;
using namespace vorda::find;
using namespace findtest;

class FindDialogTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        ScriptedSource source;
        FindReplace engine{source};
        FindDialog dialog{engine};
        QStringList messages;

        Fixture() {
            dialog.setMessageHandler([this](const QString& text, QMessageBox::Icon) { messages << text; });
            source.files = {
                {"a.mp3", {{ValueKey::Title, "Love Song"}, {ValueKey::V1Title, "Love Song"}}},
                {"b.mp3", {{ValueKey::Artist, "lovers"}, {ValueKey::Mood, "love"}}},
            };
        }
        template <typename T>
        T* child(const char* name) {
            T* widget = dialog.findChild<T*>(name);
            if (widget == nullptr) qFatal("no widget %s", name);
            return widget;
        }
        void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
        void type(const char* name, const QString& text) {
            child<QLineEdit>(name)->clear();
            QTest::keyClicks(child<QLineEdit>(name), text);
        }
    };

private slots:
    void findStepsThroughTheMatchesThenSaysNotFound() {
        Fixture f;
        QSignalSpy found(&f.dialog, &FindDialog::matchFound);
        f.type("txtFind", "LOVE");
        for (int i = 0; i < 3; ++i) f.click("cmdFind");
        QCOMPARE(found.count(), 3);
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(found.at(2).at(0).value<Match>().row, 1);
        f.click("cmdFind");
        QCOMPARE(f.messages, QStringList{"Could not find \"LOVE\" in current scope!"});

        // A changed option starts again at the first file.
        f.click("cmdFind");
        f.click("cmdFind");
        f.child<QCheckBox>("chkMatchCase")->setChecked(true);
        f.type("txtFind", "Love");
        f.click("cmdFind");
        QCOMPARE(found.last().at(0).value<Match>().row, 0);
        QCOMPARE(found.last().at(0).value<Match>().key, ValueKey::V1Title);

        f.type("txtFind", "");
        f.click("cmdFind");
        QCOMPARE(f.messages.last(), QString::fromStdString(nothingToFindMessage()));
    }

    void selectAndReplaceAllReportTheirRowsAndTheWriteFailuresOnce() {
        Fixture f;
        f.source.files[0].saveError = std::make_error_code(std::errc::permission_denied);
        QSignalSpy matched(&f.dialog, &FindDialog::rowsMatched);
        QSignalSpy changed(&f.dialog, &FindDialog::filesChanged);
        f.type("txtFind", "love");
        f.child<QCheckBox>("chkSelectMatches")->setChecked(true);
        f.click("cmdFind");
        QCOMPARE(matched.count(), 1);
        QCOMPARE(matched.at(0).at(0).value<std::vector<int>>(), (std::vector<int>{0, 1}));

        f.child<QCheckBox>("chkSelectMatches")->setChecked(false);
        f.child<QCheckBox>("chkReplaceAll")->setChecked(true);
        f.type("txtReplace", "Peace");
        f.click("cmdFind");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.source.files[1].values[ValueKey::Artist], "Peacers");
        QCOMPARE(f.source.files[0].values[ValueKey::Title], "Love Song");
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].startsWith("Tags could not be saved to 1 of 2 files.\r\n\r\nFirst error: a.mp3"));
    }

    void replaceChangesTheShownMatchAndShowsTheNext() {
        Fixture f;
        QSignalSpy found(&f.dialog, &FindDialog::matchFound);
        QSignalSpy changed(&f.dialog, &FindDialog::filesChanged);
        f.type("txtFind", "love");
        f.type("txtReplace", "Hate");
        f.click("cmdFind");
        f.click("cmdReplace");
        QCOMPARE(f.source.files[0].values[ValueKey::V1Title], "Hate Song");
        QCOMPARE(f.source.files[0].values[ValueKey::Title], "Love Song");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<std::vector<int>>(), std::vector<int>{0});
        QCOMPARE(found.count(), 2);
        QCOMPARE(found.last().at(0).value<Match>().key, ValueKey::Title);
    }

    void trimAndAddPagesEditTheCheckedFields() {
        Fixture f;
        auto* tabs = f.child<QTabWidget>("TabStrip");
        auto* find = f.child<QPushButton>("cmdFind");
        tabs->setCurrentIndex(1);
        QCOMPARE(find->text(), QString("Trim"));
        QVERIFY(f.child<QPushButton>("cmdReplace")->isHidden());
        f.type("txtRemoveChars", "x1y0");
        QCOMPARE(f.child<QLineEdit>("txtRemoveChars")->text(), QString("10"));
        f.type("txtRemoveChars", "5");
        f.child<QRadioButton>("optTrimSide_1")->setChecked(true);
        f.click("cmdFind");
        QCOMPARE(f.source.files[0].values[ValueKey::Title], "Love");
        QCOMPARE(f.source.files[1].values[ValueKey::Artist], "l");

        tabs->setCurrentIndex(2);
        QCOMPARE(find->text(), QString("Add"));
        f.type("txtAddText", "The ");
        f.click("cmdFind");
        QCOMPARE(f.source.files[0].values[ValueKey::Title], "The Love");
        QCOMPARE(f.source.files[1].values[ValueKey::Mood], "love");  // Lyrics3 is not checked
        tabs->setCurrentIndex(0);
        QCOMPARE(find->text(), QString("Find"));
        QVERIFY(!f.child<QPushButton>("cmdReplace")->isHidden());
    }

    void fieldBoxesFollowTheCheckedTags() {
        Fixture f;
        auto enabled = [&f](SearchField field) {
            return f.child<QCheckBox>(qPrintable(QString("chkSearchFrame_%1").arg(static_cast<int>(field))))
                ->isEnabled();
        };
        QVERIFY(enabled(SearchField::Artist));
        QVERIFY(!enabled(SearchField::Mood));
        QVERIFY(!enabled(SearchField::Track));
        f.child<QCheckBox>("chkID3v2")->setChecked(false);
        QVERIFY(enabled(SearchField::Artist));
        QVERIFY(!enabled(SearchField::Composer));
        f.child<QCheckBox>("chkID3v1")->setChecked(false);
        f.child<QCheckBox>("chkLyrics3")->setChecked(true);
        QVERIFY(!enabled(SearchField::Artist));
        QVERIFY(enabled(SearchField::Mood));
        QVERIFY(!enabled(SearchField::Genre));
        QVERIFY(!f.dialog.searchOptions().tag(SearchTag::Id3v1));
        QVERIFY(f.dialog.searchOptions().tag(SearchTag::Lyrics3));
    }
};

QTEST_MAIN(FindDialogTest)
#include "tst_find_dialog.moc"
