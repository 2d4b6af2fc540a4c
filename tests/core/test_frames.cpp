// SPDX-License-Identifier: GPL-2.0-or-later

// The frame page's commands on real files: frame text, pictures (also from 2.2 tags and with
// odd MIME types), delete, export, adding a picture, and copying between ID3v1 and ID3v2.
#include <gtest/gtest.h>

#include "BatchTestSupport.h"
#include "editing/FrameCommands.h"
#include "tags/AudioFile.h"
#include "tags/Id3v2Text.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

using batchtest::contains;
using batchtest::hasV1;
using batchtest::hex;
using batchtest::ListBench;
using id3test::mp3Audio;
using id3test::readBytes;
using id3test::v1Tag;
using id3test::v23Tag;

namespace {

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + std::string(40, '\x42') + "\xFF\xD9";
const std::string kPng = std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16) + std::string(30, '\x07');

// The text V23Tag needs for an APIC frame (it writes the encoding byte itself).
std::string apicText(const std::string& mime, const std::string& data, const std::string& desc = "") {
    return mime + std::string(1, '\0') + '\x03' + desc + std::string(1, '\0') + data;
}

// A version 2.2 tag with one TT2 frame and one PIC frame.
std::string v22TagWithPic(const std::string& format, const std::string& data) {
    auto frame = [](const std::string& id, const std::string& payload) {
        return id + id3v2::writeBigEndian(static_cast<uint32_t>(payload.size()), 3) + payload;
    };
    std::string body = frame("TT2", std::string(1, '\0') + "Old") +
                       frame("PIC", std::string(1, '\0') + format + '\x03' + "cover" + std::string(1, '\0') + data);
    body += std::string(20, '\0');
    return std::string("ID3\x02\x00\x00", 6) + id3v2::writeSynchsafe(static_cast<uint32_t>(body.size())) + body;
}

struct Frames : ::testing::Test {
    ListBench b;
    const std::string audio = mp3Audio(10, 3);
};

TEST_F(Frames, TextOfFrames) {
    EXPECT_EQ(frameContentText(std::string("eng\0desc\0the text", 17)), "the text");
    EXPECT_EQ(frameContentText(std::string("eng\0 \0", 6)), "eng");
    EXPECT_EQ(frameContentText("plain"), "plain");
    EXPECT_EQ(frameContentText(""), "");
}

TEST_F(Frames, PicturesAreShownByTheirBytesAndMimeType) {
    const std::string p = b.dir.file("p.mp3");
    id3test::writeBytes(p, v23Tag({{"TIT2", "t"},
                                   {"APIC", apicText("image/JPG", kJpeg)},
                                   {"APIC", apicText("image/jpeg", kJpeg, "back")},
                                   {"APIC", apicText("application/octet-stream", kPng, "x")},
                                   {"APIC", apicText("image/weird", "not an image", "y")},
                                   {"TXXX", std::string("key\0value", 9)}},
                                  16) +
                               audio);
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    ASSERT_TRUE(f.readFile(p, true));
    const std::vector<std::string> ids = frameList(f);
    ASSERT_EQ(ids, (std::vector<std::string>{"APIC", "APIC#2", "APIC#3", "APIC#4", "TXXX"}));

    FrameView v = showID3v2Frame(f, "APIC");
    ASSERT_TRUE(v.isPicture);
    EXPECT_EQ(v.picture.mime, "image/jpg");
    EXPECT_EQ(v.picture.bytes, kJpeg);
    EXPECT_TRUE(showID3v2Frame(f, "APIC#2").isPicture);  // image/jpeg too
    v = showID3v2Frame(f, "APIC#3");
    ASSERT_TRUE(v.isPicture);  // PNG bytes whatever the MIME type says
    EXPECT_EQ(v.picture.format, ImageFormat::PNG);
    EXPECT_FALSE(showID3v2Frame(f, "APIC#4").isPicture);
    EXPECT_EQ(showID3v2Frame(f, "TXXX").text, "value");
}

TEST_F(Frames, Version22PictureIsShownAndExportedUnchanged) {
    const std::string p = b.dir.file("old.mp3");
    id3test::writeBytes(p, v22TagWithPic("JPG", kJpeg) + audio);
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    ASSERT_TRUE(f.readFile(p, true));
    const std::vector<std::string> ids = frameList(f);
    ASSERT_EQ(ids.size(), 1u);
    const FrameView v = showID3v2Frame(f, ids[0]);
    ASSERT_TRUE(v.isPicture);
    EXPECT_EQ(v.picture.bytes, kJpeg);

    std::string written;
    EXPECT_EQ(exportFrame(v, b.dir.file("cover.bmp"), &written), 0);
    EXPECT_EQ(written, b.dir.file("cover.jpg"));
    EXPECT_EQ(readBytes(written), kJpeg);
    EXPECT_EQ(exportFilter(v), "JPEG Picture (*.jpg)|*.jpg");
}

TEST_F(Frames, ExportPathsAndTextReplacesTheFile) {
    EXPECT_EQ(pictureExportPath("/a/c.JPEG", ImageFormat::JPEG), "/a/c.JPEG");
    EXPECT_EQ(pictureExportPath("/a/c.png", ImageFormat::GIF), "/a/c.gif");
    EXPECT_EQ(pictureExportPath("/a.b/cover", ImageFormat::PNG), "/a.b/cover.png");
    FrameView text;
    text.text = "short";
    const std::string out = b.dir.file("t.txt");
    id3test::writeBytes(out, std::string(1000, 'x'));
    EXPECT_EQ(exportFrame(text, out), 0);
    EXPECT_EQ(readBytes(out), "short");
    EXPECT_NE(exportFrame(text, b.dir.file("no/such/dir.txt")), 0);
}

TEST_F(Frames, DeleteTwoFramesKeepsTheOthersInOrder) {
    const std::string p = b.dir.file("d.mp3");
    id3test::writeBytes(p, v23Tag({{"TIT2", "t"},
                                   {"TXXX", std::string("a\0one", 5)},
                                   {"TXXX", std::string("b\0two", 5)},
                                   {"TXXX", std::string("c\0three", 7)},
                                   {"TBPM", "120"}},
                                  64) +
                               audio);
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    ASSERT_TRUE(f.readFile(p, true));
    EXPECT_EQ(deleteFrames(f, {"TXXX", "TXXX#3"}), 2);
    EXPECT_EQ(frameList(f), (std::vector<std::string>{"TXXX", "TBPM"}));
    EXPECT_EQ(showID3v2Frame(f, "TXXX").text, "two");
    ASSERT_EQ(f.putTags(), 0);
    EXPECT_TRUE(contains(readBytes(p), audio));
    if (batchtest::haveMutagen()) {
        const std::string m = batchtest::mutagenFrames(p);
        EXPECT_TRUE(contains(m, "TXXX=two")) << m;
        EXPECT_FALSE(contains(m, "one")) << m;
        EXPECT_FALSE(contains(m, "three")) << m;
        EXPECT_TRUE(contains(m, "TBPM=120")) << m;
    }
}

TEST_F(Frames, AddPictureWritesAFrontCoverWithTheNextSave) {
    settings().useId3v2 = TagUse::IfWanted;
    const std::string p = b.dir.file("a.mp3");
    id3test::writeBytes(p, audio);
    const std::string png = b.dir.file("c.png");
    id3test::writeBytes(png, kPng);
    const std::string bad = b.dir.file("c.txt");
    id3test::writeBytes(bad, "text");

    AudioFile f;
    f.setOptions(tagOptions(settings()));
    ASSERT_TRUE(f.readFile(p, true));
    std::string error;
    EXPECT_FALSE(addPictureFile(f, bad, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(addPictureFile(f, b.dir.file("missing.png")));
    ASSERT_TRUE(addPictureFile(f, png));
    EXPECT_EQ(readBytes(p), audio);  // in memory only
    ASSERT_EQ(f.putTags(), 0);
    EXPECT_TRUE(contains(readBytes(p), audio));

    // A second front cover replaces the first; another kind of picture stays.
    ASSERT_TRUE(f.readFile(p, true));
    ASSERT_TRUE(addPicture(f, kJpeg));
    ASSERT_EQ(f.putTags(), 0);
    ASSERT_TRUE(f.readFile(p, true));
    ASSERT_EQ(frameList(f).size(), 1u);
    EXPECT_EQ(showID3v2Frame(f, "APIC").picture.bytes, kJpeg);
    if (batchtest::haveMutagen()) {
        const std::string m = batchtest::mutagenFrames(p);
        EXPECT_TRUE(contains(m, "APIC=image/jpeg|3|" + hex(kJpeg))) << m;
    }
}

TEST_F(Frames, ScreenCopyToV1Texts) {
    const V1Texts t = copyToV1Texts(std::string(40, 'T'), "A", "B", "letters", "3/12", "C");
    EXPECT_EQ(t.title, std::string(30, 'T'));
    EXPECT_EQ(t.track, "3");
    EXPECT_EQ(t.year, "");
    EXPECT_EQ(copyToV1Texts("", "", "", "2001-05", "0", "").year, "2001");
    EXPECT_EQ(leadingNumberText("0"), "");
}

TEST_F(Frames, CopyBetweenTagsOfSeveralFiles) {
    settings().useId3v2 = TagUse::IfWanted;
    settings().useId3v1 = TagUse::IfWanted;
    const std::string withV1 = audio + v1Tag("Old Title", "Old Artist", 5);
    const std::string p1 = b.add("1.mp3", withV1);
    const std::string p2 = b.add("2.mp3", audio);
    b.selectAll();
    TagCopyCommands copy(b.cmds, b.ui);
    BatchResult r = copy.copyToV2Several();
    EXPECT_EQ(r.processed, 1);
    EXPECT_EQ(b.ui.maxProgress, 2);
    EXPECT_FALSE(b.ui.overrun);
    EXPECT_EQ(readBytes(p2), audio);  // no ID3v1 tag: left alone
    const std::string bytes = readBytes(p1);
    EXPECT_EQ(bytes.compare(0, 3, "ID3"), 0);
    EXPECT_TRUE(contains(bytes, audio));
    if (batchtest::haveMutagen()) {
        const std::string m = batchtest::mutagenFrames(p1);
        EXPECT_TRUE(contains(m, "TIT2=Old Title")) << m;
        EXPECT_TRUE(contains(m, "TPE1=Old Artist")) << m;
    }

    const std::string p3 = b.add("3.mp3", v23Tag({{"TIT2", std::string(40, 'L')}, {"TRCK", "3/12"}}, 32) + audio);
    b.selectAll();
    r = copy.copyToV1Several();
    EXPECT_EQ(r.processed, 2);  // p1 (now with ID3v2) and p3
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    ASSERT_TRUE(f.readFile(p3, true));
    const std::string out = readBytes(p3);
    ASSERT_TRUE(hasV1(out));
    EXPECT_EQ(out.substr(out.size() - 125, 30), std::string(30, 'L'));  // the ID3v1 field width
    EXPECT_EQ(f.tag().getValue(ValueKey::V1Track), "3");
    EXPECT_EQ(readBytes(p2), audio);
}

}  // namespace
