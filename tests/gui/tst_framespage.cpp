// SPDX-License-Identifier: GPL-2.0-or-later

// The "ID3v2+" page offscreen: frames and a picture made here, the text of a frame, export of
// the picture's own bytes, delete (refused with several files), add picture by button and by
// dropping a file, and the file written by a drag.
#include <QBuffer>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "GuiTestSupport.h"
#include "app/Settings.h"
#include "editing/qt/FramesPage.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace guitest;
using namespace vorda::editing;

namespace {

QByteArray imageBytes(const char* format, QColor colour, int w = 12, int h = 8) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray bigEndian(quint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[3 - i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

QByteArray frame(const QByteArray& id, const QByteArray& payload) {
    return id + bigEndian(static_cast<quint32>(payload.size())) + QByteArray(2, '\0') + payload;
}

// An ID3v2.3 tag with a title, a TXXX frame and a picture, followed by MPEG frames.
QByteArray mp3With(const QByteArray& mime, const QByteArray& picture) {
    QByteArray body =
        frame("TIT2", QByteArray(1, '\0') + "Title") +
        frame("TXXX", QByteArray(1, '\0') + QByteArray("key\0value", 9)) +
        frame("APIC", QByteArray(1, '\0') + mime + QByteArray(1, '\0') + '\x03' + QByteArray(1, '\0') + picture) +
        QByteArray(64, '\0');
    const quint32 n = static_cast<quint32>(body.size());
    QByteArray size;
    for (int shift : {21, 14, 7, 0}) size += static_cast<char>((n >> shift) & 0x7F);
    QByteArray audio;
    for (int f = 0; f < 8; ++f) audio += QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(413, static_cast<char>(f + 1));
    return QByteArray("ID3\x03\x00\x00", 6) + size + body + audio;
}

int rowOf(QListWidget* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text) return i;
    return -1;
}

}  // namespace

class tst_FramesPage : public QObject {
    Q_OBJECT
private slots:
    void showsFramesPictureAndExports();
    void deleteAndMultipleFiles();
    void addPictureByButtonAndDrop();
    void pendingPictureForSeveralFiles();
};

void tst_FramesPage::showsFramesPictureAndExports() {
    QTemporaryDir dir;
    const QByteArray png = imageBytes("PNG", Qt::red, 20, 10);
    const QString mp3 = dir.filePath("a.mp3");
    // The MIME type is wrong on purpose: the bytes decide.
    writeFile(mp3, mp3With("image/jpeg", png));
    AudioFile file;
    file.setOptions(tagOptions(settings()));
    QVERIFY(file.readFile(mp3.toStdString(), true));

    FramesPage page;
    page.showFile(file);
    QCOMPARE(page.lstID3v2Frames->count(), 2);
    const int apic = rowOf(page.lstID3v2Frames, "APIC");
    QVERIFY(apic >= 0);
    page.lstID3v2Frames->setCurrentRow(apic);
    QVERIFY(page.currentView().isPicture);
    QCOMPARE(page.picPicture->pixmap().size(), QSize(20, 10));
    QCOMPARE(page.picPicture->pictureBytes(), png);

    const QString dragged = page.picPicture->writeDragFile();
    QVERIFY(dragged.endsWith(".png"));
    QCOMPARE(readFile(dragged), png);

    QCOMPARE(page.exportSelectedFrame(dir.filePath("cover.jpg")), 0);
    QCOMPARE(readFile(dir.filePath("cover.png")), png);
    QVERIFY(!QFile::exists(dir.filePath("cover.jpg")));

    page.lstID3v2Frames->setCurrentRow(rowOf(page.lstID3v2Frames, "TXXX"));
    QCOMPARE(page.txtv2Content->toPlainText(), QStringLiteral("value"));
    writeFile(dir.filePath("t.txt"), QByteArray(500, 'x'));
    QCOMPARE(page.exportSelectedFrame(dir.filePath("t.txt")), 0);
    QCOMPARE(readFile(dir.filePath("t.txt")), QByteArray("value"));

    page.clear();
    QCOMPARE(page.lstID3v2Frames->count(), 0);
    QVERIFY(page.picPicture->pixmap().isNull());
}

void tst_FramesPage::deleteAndMultipleFiles() {
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("d.mp3");
    writeFile(mp3, mp3With("image/png", imageBytes("PNG", Qt::blue)));
    AudioFile file;
    file.setOptions(tagOptions(settings()));
    QVERIFY(file.readFile(mp3.toStdString(), true));
    FramesPage page;
    std::vector<std::string> messages;
    page.ask = [&](const std::string& text, MessageButtons, MessageIcon) {
        messages.push_back(text);
        return MessageAnswer::Ok;
    };
    QSignalSpy changed(&page, &FramesPage::tagChanged);
    page.showFile(file);

    page.setMultiSelection(true);
    page.lstID3v2Frames->item(0)->setSelected(true);
    page.deleteSelectedFrames();
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0], std::string("This action cannot be performed on multiple files!"));
    QCOMPARE(page.lstID3v2Frames->count(), 2);
    QVERIFY(page.cmdAddPicture->isEnabled());  // a picture for every selected file

    page.setMultiSelection(false);
    for (int i = 0; i < page.lstID3v2Frames->count(); ++i) page.lstID3v2Frames->item(i)->setSelected(true);
    page.deleteSelectedFrames();
    QCOMPARE(page.lstID3v2Frames->count(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(file.putTags(), 0);
    AudioFile again;
    again.setOptions(tagOptions(settings()));
    QVERIFY(again.readFile(mp3.toStdString(), true));
    QCOMPARE(again.tag().getValue(ValueKey::V2Frame), std::string());
    QCOMPARE(again.tag().getValue(ValueKey::Title), std::string("Title"));
}

void tst_FramesPage::addPictureByButtonAndDrop() {
    settings().useId3v2 = TagUse::IfWanted;
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("p.mp3");
    QByteArray audio;
    for (int f = 0; f < 8; ++f) audio += QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(413, '\x11');
    writeFile(mp3, audio);
    const QByteArray jpeg = imageBytes("JPG", Qt::green);
    const QByteArray png = imageBytes("PNG", Qt::yellow);
    writeFile(dir.filePath("c.jpg"), jpeg);
    writeFile(dir.filePath("c.png"), png);

    AudioFile file;
    file.setOptions(tagOptions(settings()));
    QVERIFY(file.readFile(mp3.toStdString(), true));
    FramesPage page;
    QSignalSpy changed(&page, &FramesPage::tagChanged);
    page.showFile(file);
    QCOMPARE(page.lstID3v2Frames->count(), 0);
    QVERIFY(page.addPictureFromFile(dir.filePath("c.jpg")));
    QCOMPARE(page.lstID3v2Frames->count(), 1);
    QVERIFY(page.currentView().isPicture);
    QCOMPARE(changed.count(), 1);

    // Dropping a file onto the picture replaces the front cover.
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(dir.filePath("c.png"))});
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    // Straight to the widget: the application delivers drops only during a real drag.
    static_cast<QObject*>(page.picPicture)->event(&drop);
    QVERIFY(drop.isAccepted());
    delete mime;
    QCOMPARE(changed.count(), 2);
    QCOMPARE(page.lstID3v2Frames->count(), 1);
    QCOMPARE(page.picPicture->pictureBytes(), png);

    QCOMPARE(file.putTags(), 0);
    const QByteArray written = readFile(mp3);
    QVERIFY(written.startsWith("ID3"));
    QVERIFY(written.endsWith(audio));
    QVERIFY(written.contains(png));
}

void tst_FramesPage::pendingPictureForSeveralFiles() {
    QTemporaryDir dir;
    const QByteArray jpeg = imageBytes("JPG", Qt::green);
    const QByteArray png = imageBytes("PNG", Qt::yellow);
    writeFile(dir.filePath("c.jpg"), jpeg);
    writeFile(dir.filePath("c.png"), png);
    writeFile(dir.filePath("c.txt"), "no picture");
    const QString mp3 = dir.filePath("m.mp3");
    writeFile(mp3, mp3With("image/png", imageBytes("PNG", Qt::blue)));

    FramesPage page;
    std::vector<std::string> messages;
    page.ask = [&](const std::string& text, MessageButtons, MessageIcon) {
        messages.push_back(text);
        return MessageAnswer::Ok;
    };
    page.clear();
    page.setMultiSelection(true);
    QVERIFY(page.cmdAddPicture->isEnabled());
    QVERIFY(page.addPictureFromFile(dir.filePath("c.jpg")));
    QCOMPARE(QByteArray::fromStdString(page.pendingPicture()), jpeg);
    QCOMPARE(page.pendingPictureMime(), std::string("image/jpeg"));
    QVERIFY(page.lblPendingPicture->text().startsWith("Pending front cover (image/jpeg, "));
    QCOMPARE(page.picPicture->pictureBytes(), jpeg);

    // A drop replaces the pending picture; a file that is no picture leaves it.
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(dir.filePath("c.png"))});
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(page.picPicture)->event(&drop);
    delete mime;
    QCOMPARE(QByteArray::fromStdString(page.pendingPicture()), png);
    QCOMPARE(page.pendingPictureMime(), std::string("image/png"));
    QVERIFY(!page.addPictureFromFile(dir.filePath("c.txt")));
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(QByteArray::fromStdString(page.pendingPicture()), png);

    page.clear();
    QVERIFY(page.pendingPicture().empty());
    QVERIFY(page.lblPendingPicture->text().isEmpty());
    page.setMultiSelection(true);
    QVERIFY(page.addPictureFromFile(dir.filePath("c.png")));
    AudioFile file;
    file.setOptions(tagOptions(settings()));
    QVERIFY(file.readFile(mp3.toStdString(), true));
    page.showFile(file);  // showing one file drops it, and adds nothing to that file
    QVERIFY(page.pendingPicture().empty());
    QCOMPARE(page.lstID3v2Frames->count(), 2);
    page.setMultiSelection(true);
    QVERIFY(page.addPictureFromFile(dir.filePath("c.png")));
    page.setMultiSelection(false);  // back to one row: the pending picture goes
    QVERIFY(page.pendingPicture().empty());
}

QTEST_MAIN(tst_FramesPage)
#include "tst_framespage.moc"
