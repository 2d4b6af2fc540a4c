// SPDX-License-Identifier: GPL-2.0-or-later

// The freedb lookup from the main window against a scripted CDDB server on 127.0.0.1: the files
// are real MP3 streams of known lengths, every dialog is answered by the test, and what was
// written is read back from the files (by mutagen too when it is installed).

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <functional>

#include "../gui/GuiTestSupport.h"
#include "CddbTestServer.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "freedb/qt/FreedbConnection.h"
#include "tags/AudioFile.h"

using namespace vorda;
using namespace vorda::app;

namespace {

std::string tagValue(const QString& path, int key) {
    tags::AudioFile file;
    if (!file.readFile(QFile::encodeName(path).toStdString(), true)) return "(unreadable)";
    return file.tag().getValue(key);
}

// Answers the modal dialogs and message boxes of a lookup in the order they come up: each step
// takes the next modal window it has not seen yet. Message boxes are recorded by their text.
class Answers : public QObject {
public:
    using Step = std::function<void(QWidget*)>;
    QStringList messages;

    Answers() {
        connect(&poll_, &QTimer::timeout, this, [this] { look(); });
        poll_.start(20);
    }
    void add(Step step) { steps_.push_back(std::move(step)); }
    // The next message box is answered with this button.
    void press(QMessageBox::StandardButton button) {
        add([button](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) box->button(button)->click();
        });
    }
    [[nodiscard]] bool done() const { return steps_.empty(); }

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == last_) return;
        last_ = modal;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) messages.append(box->text());
        if (steps_.empty()) return;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(modal);
    }

    QTimer poll_;
    std::deque<Step> steps_;
    QPointer<QWidget> last_;
};

}  // namespace

class FreedbWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QTemporaryDir music_;
    std::unique_ptr<MainWindow> window_;

    // The three album files (200, 180, 240 s) listed and selected in a fresh window.
    void openAlbum(int files = 3) {
        const int lengths[] = {200, 180, 240, 100};
        for (int i = 0; i < files; ++i) writeMp3(music_.filePath(QString("t%1.mp3").arg(i + 1)), lengths[i]);
        window_ = std::make_unique<MainWindow>();
        window_->show();
        std::vector<std::string> paths;
        for (int i = 0; i < files; ++i)
            paths.push_back(QFile::encodeName(music_.filePath(QString("t%1.mp3").arg(i + 1))).toStdString());
        window_->addFiles(paths, false);
        QCOMPARE(window_->list().count(), files);
        for (int row = 1; row <= files; ++row) window_->list().setSelected(row, true);
    }

    void pointAt(const CddbTestServer& server) {
        // The files are bare audio: the lookup writes an ID3v2 tag into them.
        settings().useId3v2 = tags::TagUse::Always;
        settings().remoteHost = "127.0.0.1";
        settings().remotePort = server.port();
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        QVERIFY(music_.isValid());
    }

    void cleanup() {
        window_.reset();
        for (const QString& name : QDir(music_.path()).entryList(QDir::Files)) QFile::remove(music_.filePath(name));
    }

    void exactMatchIsReviewedWrittenAndShown() {
        openAlbum();
        CddbTestServer server;
        server.answers = exactAnswers();
        QVERIFY(server.listen());
        pointAt(server);

        Answers answers;
        answers.press(QMessageBox::Yes);  // three files: "very few files", looked up anyway
        bool reviewed = false;
        answers.add([&](QWidget* modal) {
            QCOMPARE(modal->objectName(), QString("frmFreeDB"));
            reviewed = true;
            guitest::child<QCheckBox>(*modal, "chkYear")->setChecked(true);
            guitest::child<QCheckBox>(*modal, "chkAlbum")->setChecked(true);
            guitest::child<QPushButton>(*modal, "cmdOK")->click();
        });
        guitest::child<QPushButton>(*window_, "cmdFreeDB")->click();
        QTRY_VERIFY_WITH_TIMEOUT(reviewed, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            answers.messages.size() > 1 || window_->list().getCellContent(2, ListColumn::Title) == "Second", 10000);
        QVERIFY2(answers.messages.size() == 1, qPrintable(answers.messages.join(" | ")));

        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages[0].startsWith("It seems like you have selected very few files."));
        QCOMPARE(server.commands.value(1), kQuery);
        QCOMPARE(server.commands.value(2), QByteArray("cddb read rock d026c03"));
        QCOMPARE(window_->panelText(3), QString("Status: freedb, received result"));
        // Per-track artists win over the album's; the comment box wrote an empty comment.
        const QString second = music_.filePath("t2.mp3");
        QCOMPARE(tagValue(second, tags::ValueKey::Artist), std::string("Guest"));
        QCOMPARE(tagValue(music_.filePath("t1.mp3"), tags::ValueKey::Artist), std::string("Some Artist"));
        QCOMPARE(tagValue(music_.filePath("t3.mp3"), tags::ValueKey::Title), std::string("Third"));
        QCOMPARE(tagValue(second, tags::ValueKey::Album), std::string("Some Album"));
        QCOMPARE(tagValue(second, tags::ValueKey::Year), std::string("1997"));
        QCOMPARE(tagValue(second, tags::ValueKey::Track), std::string("02"));
        QCOMPARE(window_->list().getCellContent(2, ListColumn::Artist), std::string("Guest"));

        if (QProcess::execute("/usr/bin/python3", {"-c", "import mutagen.mp3"}) == 0) {
            QProcess peer;
            peer.start("/usr/bin/python3", {"-c",
                                            "import sys, mutagen.id3\n"
                                            "t = mutagen.id3.ID3(sys.argv[1])\n"
                                            "print(t['TPE1'].text[0], t['TIT2'].text[0], t['TALB'].text[0], "
                                            "t['TRCK'].text[0], sep='|')",
                                            second});
            QVERIFY(peer.waitForFinished(20000));
            QCOMPARE(peer.readAllStandardOutput().trimmed(), QByteArray("Guest|Second|Some Album|02"));
        }
    }

    void chosenMatchIsReadAndRenamedByThePattern() {
        openAlbum(4);
        CddbTestServer server;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk),
                          CddbTestServer::answer("cddb query", "211 close matches found\r\n"
                                                               "rock d026c03 First / One\r\n"
                                                               "jazz d026c04 Second / Two\r\n"
                                                               "misc 0d026c05 Third / Three\r\n"
                                                               ".\r\n"),
                          CddbTestServer::answer("cddb read", kEntry)};
        QVERIFY(server.listen());
        pointAt(server);

        QString info;
        bool reviewed = false;
        Answers answers;
        answers.add([&](QWidget* modal) {
            QCOMPARE(modal->objectName(), QString("frmMultiMatch"));
            info = guitest::child<QLabel>(*modal, "lblInfo")->text();
            guitest::child<QListWidget>(*modal, "lstMatches")->setCurrentRow(1);
            guitest::child<QPushButton>(*modal, "cmdOK")->click();
        });
        answers.add([&](QWidget* review) {
            QCOMPARE(review->objectName(), QString("frmFreeDB"));
            reviewed = true;
            for (const char* box : {"chkArtist", "chkComment"})
                guitest::child<QCheckBox>(*review, box)->setChecked(false);
            guitest::child<QCheckBox>(*review, "chkRename")->setChecked(true);
            guitest::child<QComboBox>(*review, "cmbOutPattern")->setEditText("<track> <title>");
            guitest::child<QPushButton>(*review, "cmdOK")->click();
        });
        guitest::child<QAction>(*window_, "mnuFreeDBLookup")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(reviewed, 20000);
        QCOMPARE(info, QString("3 matches were found. Please select one entry:"));
        QCOMPARE(server.commands.value(2), QByteArray("cddb read jazz d026c04"));
        // Each file is renamed from the values just written, and its row follows it.
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(music_.filePath("t2.mp3")), 5000);
        QVERIFY(QFile::exists(music_.filePath("01 Intro.mp3")));
        QVERIFY(QFile::exists(music_.filePath("03 Third.mp3")));
        QVERIFY(!QFile::exists(music_.filePath("t2.mp3")));
        QCOMPARE(window_->list().getCellContent(2, ListColumn::Filename), std::string("02 Second.mp3"));
        QCOMPARE(tagValue(music_.filePath("02 Second.mp3"), tags::ValueKey::Artist), std::string());
    }

    void endsWithoutResultAreToldOnce_data() {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("queryAnswer");
        QTest::addColumn<QByteArray>("readAnswer");
        QTest::addColumn<QString>("message");
        const QByteArray greeting = CddbTestServer().greeting;
        const QByteArray exact = "200 rock d026c03 Some Artist / Some Album\r\n";
        QTest::newRow("no match") << greeting << QByteArray("202 No match found\r\n") << QByteArray()
                                  << "freedb found no matches for the selected album.";
        QTest::newRow("greeting refused")
            << QByteArray("432 No connections allowed\r\n") << QByteArray() << QByteArray()
            << "freedb returned error 432: Error while connecting; too many users, permission denied or system full.";
        QTest::newRow("closed mid-entry") << greeting << exact << kEntry.left(kEntry.indexOf("TTITLE1"))
                                          << "freedb returned error -2: The server closed the connection.";
        QTest::newRow("endless line") << greeting << exact << "210 rock d026c03\r\nTTITLE0=" + QByteArray(70000, 'x')
                                      << "freedb returned error -3: A line of the server's answer is too long.";
    }

    void endsWithoutResultAreToldOnce() {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, queryAnswer);
        QFETCH(QByteArray, readAnswer);
        QFETCH(QString, message);
        openAlbum(4);
        CddbTestServer server;
        server.greeting = greeting;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk),
                          CddbTestServer::answer("cddb query", queryAnswer)};
        // The entry cut short closes the connection after it; the endless line keeps it open.
        if (!readAnswer.isEmpty()) server.answers.append({"cddb read", readAnswer, readAnswer.endsWith("\r\n")});
        QVERIFY(server.listen());
        pointAt(server);
        Answers answers;
        answers.press(QMessageBox::Ok);
        guitest::child<QAction>(*window_, "mnuPopFreeDBLookup")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.messages, QStringList{message}, 20000);
        QTest::qWait(300);
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(window_->panelText(3), QString("Status: freedb, disconnected"));
        // No review came up and no file got a tag.
        QCOMPARE(window_->list().getCellContent(1, ListColumn::Tags), std::string());
    }

    void singleCloseMatchIsReadWithoutChoosing() {
        openAlbum(4);
        CddbTestServer server;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk),
                          CddbTestServer::answer("cddb query", "211 close matches found\r\n"
                                                               "blues d026c03 Some Artist / Some Album\r\n"
                                                               ".\r\n"),
                          CddbTestServer::answer("cddb read", kEntry)};
        QVERIFY(server.listen());
        pointAt(server);
        QString shown;
        Answers answers;
        answers.add([&](QWidget* modal) {
            shown = modal->objectName();
            if (auto* cancel = modal->findChild<QPushButton*>("cmdCancel")) cancel->click();
        });
        window_->freedbLookup();
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
        QCOMPARE(shown, QString("frmFreeDB"));
        QCOMPARE(server.commands.value(2), QByteArray("cddb read blues d026c03"));
        // Cancelling the review writes nothing.
        QCOMPARE(tagValue(music_.filePath("t1.mp3"), tags::ValueKey::Title), std::string());
    }

    void readOnlyFileIsToldAndEndsTheWriting() {
        openAlbum(3);
        QFile::setPermissions(music_.filePath("t2.mp3"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        CddbTestServer server;
        server.answers = exactAnswers();
        QVERIFY(server.listen());
        pointAt(server);
        settings().ignoreReadOnly = false;
        Answers answers;
        answers.press(QMessageBox::Yes);
        answers.add([](QWidget* review) { guitest::child<QPushButton>(*review, "cmdOK")->click(); });
        answers.press(QMessageBox::Ok);
        window_->freedbLookup();
        QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 2, 20000);
        QCOMPARE(answers.messages[1],
                 QString("Error while updating tags with freedb data:\nt2.mp3 is read-only; writing "
                         "to it is not allowed according to the current settings."));
        QCOMPARE(tagValue(music_.filePath("t1.mp3"), tags::ValueKey::Title), std::string("Intro"));
        QCOMPARE(tagValue(music_.filePath("t2.mp3"), tags::ValueKey::Title), std::string());
        QCOMPARE(tagValue(music_.filePath("t3.mp3"), tags::ValueKey::Title), std::string());
        QCOMPARE(window_->list().getCellContent(1, ListColumn::Title), std::string("Intro"));
        QFile::setPermissions(music_.filePath("t2.mp3"), QFile::ReadOwner | QFile::WriteOwner);
    }

    void refusedPortAndTooFewFiles() {
        openAlbum(3);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        settings().remoteHost = "127.0.0.1";
        settings().remotePort = closed.serverPort();
        closed.close();

        // "No" to the very-few-files question: nothing is asked of any server.
        Answers answers;
        answers.press(QMessageBox::No);
        window_->freedbLookup();
        QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 1, 5000);
        QVERIFY(answers.done());

        answers.press(QMessageBox::Yes);
        answers.press(QMessageBox::Ok);
        window_->freedbLookup();
        QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 3, 20000);
        QCOMPARE(answers.messages[2],
                 QString("Could not connect to server!\nPlease make sure you are connected to the Internet."));
        QTest::qWait(300);
        QCOMPARE(answers.messages.size(), 3);

        window_->list().clearSelection();
        answers.press(QMessageBox::Ok);
        window_->freedbLookup();
        QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 4, 5000);
        QCOMPARE(answers.messages[3], QString("No files selected. You have to select a complete album."));
    }

    void windowAnswersWhileTheServerTakesFiveSeconds() {
        openAlbum(4);
        CddbTestServer server;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk),
                          {"cddb query", "202 No match found\r\n", false, 5000}};
        QVERIFY(server.listen());
        pointAt(server);
        Answers answers;
        answers.press(QMessageBox::Ok);
        QElapsedTimer clock;
        clock.start();
        window_->freedbLookup();
        // The call returned at once and the window keeps handling events meanwhile.
        QVERIFY(clock.elapsed() < 1000);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(100);
        QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 1, 20000);
        QVERIFY2(ticks >= 40, qPrintable(QString::number(ticks)));
        QCOMPARE(answers.messages[0], QString("freedb found no matches for the selected album."));
    }

public:
    FreedbWindowTest() = default;
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!guitest::usePrivateHome(home)) return 1;
    QApplication app(argc, argv);
    FreedbWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_freedb_window.moc"
