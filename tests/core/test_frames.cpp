// The frame page's commands on real files: frame text, pictures (also from 2.2 tags and with
// odd MIME types), delete, export, adding a picture, and copying between ID3v1 and ID3v2.
#include <gtest/gtest.h>

#include "BatchTestSupport.h"
#include "editing/FrameCommands.h"
#include "tags/ID3v2Text.h"
#include "tags/clsFile.h"

using namespace vorda;
using batchtest::Contains;
using batchtest::HasV1;
using batchtest::Hex;
using batchtest::ListBench;
using id3test::Audio;
using id3test::ReadBytes;
using id3test::V1Tag;
using id3test::V23Tag;

namespace {

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + std::string(40, '\x42') + "\xFF\xD9";
const std::string kPng = std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16) + std::string(30, '\x07');

// The text V23Tag needs for an APIC frame (it writes the encoding byte itself).
std::string ApicText(const std::string& mime, const std::string& data, const std::string& desc = "") {
    return mime + std::string(1, '\0') + '\x03' + desc + std::string(1, '\0') + data;
}

// A version 2.2 tag with one TT2 frame and one PIC frame.
std::string V22TagWithPic(const std::string& format, const std::string& data) {
    auto frame = [](const std::string& id, const std::string& payload) {
        return id + id3v2::WriteBigEndian(static_cast<uint32_t>(payload.size()), 3) + payload;
    };
    std::string body = frame("TT2", std::string(1, '\0') + "Old") +
                       frame("PIC", std::string(1, '\0') + format + '\x03' + "cover" + std::string(1, '\0') + data);
    body += std::string(20, '\0');
    return std::string("ID3\x02\x00\x00", 6) + id3v2::WriteSynchsafe(static_cast<uint32_t>(body.size())) + body;
}

struct Frames : ::testing::Test {
    ListBench b;
    const std::string audio = Audio(10, 3);
};

TEST_F(Frames, TextOfFrames) {
    EXPECT_EQ(FrameContentText(std::string("eng\0desc\0the text", 17)), "the text");
    EXPECT_EQ(FrameContentText(std::string("eng\0 \0", 6)), "eng");
    EXPECT_EQ(FrameContentText("plain"), "plain");
    EXPECT_EQ(FrameContentText(""), "");
}

TEST_F(Frames, PicturesAreShownByTheirBytesAndMimeType) {
    const std::string p = b.dir.File("p.mp3");
    id3test::WriteBytes(p, V23Tag({{"TIT2", "t"},
                                   {"APIC", ApicText("image/JPG", kJpeg)},
                                   {"APIC", ApicText("image/jpeg", kJpeg, "back")},
                                   {"APIC", ApicText("application/octet-stream", kPng, "x")},
                                   {"APIC", ApicText("image/weird", "not an image", "y")},
                                   {"TXXX", std::string("key\0value", 9)}},
                                  16) +
                              audio);
    clsFile f;
    ASSERT_TRUE(f.ReadFile(p, true));
    const std::vector<std::string> ids = FrameList(f);
    ASSERT_EQ(ids, (std::vector<std::string>{"APIC", "APIC#2", "APIC#3", "APIC#4", "TXXX"}));

    FrameView v = ShowID3v2Frame(f, "APIC");
    ASSERT_TRUE(v.isPicture);
    EXPECT_EQ(v.picture.mime, "image/jpg");
    EXPECT_EQ(v.picture.bytes, kJpeg);
    EXPECT_TRUE(ShowID3v2Frame(f, "APIC#2").isPicture);  // image/jpeg too
    v = ShowID3v2Frame(f, "APIC#3");
    ASSERT_TRUE(v.isPicture);  // PNG bytes whatever the MIME type says
    EXPECT_EQ(v.picture.format, ImageFormat::PNG);
    EXPECT_FALSE(ShowID3v2Frame(f, "APIC#4").isPicture);
    EXPECT_EQ(ShowID3v2Frame(f, "TXXX").text, "value");
}

TEST_F(Frames, Version22PictureIsShownAndExportedUnchanged) {
    const std::string p = b.dir.File("old.mp3");
    id3test::WriteBytes(p, V22TagWithPic("JPG", kJpeg) + audio);
    clsFile f;
    ASSERT_TRUE(f.ReadFile(p, true));
    const std::vector<std::string> ids = FrameList(f);
    ASSERT_EQ(ids.size(), 1u);
    const FrameView v = ShowID3v2Frame(f, ids[0]);
    ASSERT_TRUE(v.isPicture);
    EXPECT_EQ(v.picture.bytes, kJpeg);

    std::string written;
    EXPECT_EQ(ExportFrame(v, b.dir.File("cover.bmp"), &written), 0);
    EXPECT_EQ(written, b.dir.File("cover.jpg"));
    EXPECT_EQ(ReadBytes(written), kJpeg);
    EXPECT_EQ(ExportFilter(v), "JPEG Picture (*.jpg)|*.jpg");
}

TEST_F(Frames, ExportPathsAndTextReplacesTheFile) {
    EXPECT_EQ(PictureExportPath("/a/c.JPEG", ImageFormat::JPEG), "/a/c.JPEG");
    EXPECT_EQ(PictureExportPath("/a/c.png", ImageFormat::GIF), "/a/c.gif");
    EXPECT_EQ(PictureExportPath("/a.b/cover", ImageFormat::PNG), "/a.b/cover.png");
    FrameView text;
    text.text = "short";
    const std::string out = b.dir.File("t.txt");
    id3test::WriteBytes(out, std::string(1000, 'x'));
    EXPECT_EQ(ExportFrame(text, out), 0);
    EXPECT_EQ(ReadBytes(out), "short");
    EXPECT_NE(ExportFrame(text, b.dir.File("no/such/dir.txt")), 0);
}

TEST_F(Frames, DeleteTwoFramesKeepsTheOthersInOrder) {
    const std::string p = b.dir.File("d.mp3");
    id3test::WriteBytes(p, V23Tag({{"TIT2", "t"},
                                   {"TXXX", std::string("a\0one", 5)},
                                   {"TXXX", std::string("b\0two", 5)},
                                   {"TXXX", std::string("c\0three", 7)},
                                   {"TBPM", "120"}},
                                  64) +
                              audio);
    clsFile f;
    ASSERT_TRUE(f.ReadFile(p, true));
    EXPECT_EQ(DeleteFrames(f, {"TXXX", "TXXX#3"}), 2);
    EXPECT_EQ(FrameList(f), (std::vector<std::string>{"TXXX", "TBPM"}));
    EXPECT_EQ(ShowID3v2Frame(f, "TXXX").text, "two");
    ASSERT_EQ(f.PutTags(), 0);
    EXPECT_TRUE(Contains(ReadBytes(p), audio));
    if (batchtest::HaveMutagen()) {
        const std::string m = batchtest::MutagenFrames(p);
        EXPECT_TRUE(Contains(m, "TXXX=two")) << m;
        EXPECT_FALSE(Contains(m, "one")) << m;
        EXPECT_FALSE(Contains(m, "three")) << m;
        EXPECT_TRUE(Contains(m, "TBPM=120")) << m;
    }
}

TEST_F(Frames, AddPictureWritesAFrontCoverWithTheNextSave) {
    settings().UseID3v2 = tuIfWanted;
    const std::string p = b.dir.File("a.mp3");
    id3test::WriteBytes(p, audio);
    const std::string png = b.dir.File("c.png");
    id3test::WriteBytes(png, kPng);
    const std::string bad = b.dir.File("c.txt");
    id3test::WriteBytes(bad, "text");

    clsFile f;
    ASSERT_TRUE(f.ReadFile(p, true));
    std::string error;
    EXPECT_FALSE(AddPictureFile(f, bad, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(AddPictureFile(f, b.dir.File("missing.png")));
    ASSERT_TRUE(AddPictureFile(f, png));
    EXPECT_EQ(ReadBytes(p), audio);  // in memory only
    ASSERT_EQ(f.PutTags(), 0);
    EXPECT_TRUE(Contains(ReadBytes(p), audio));

    // A second front cover replaces the first; another kind of picture stays.
    ASSERT_TRUE(f.ReadFile(p, true));
    ASSERT_TRUE(AddPicture(f, kJpeg));
    ASSERT_EQ(f.PutTags(), 0);
    ASSERT_TRUE(f.ReadFile(p, true));
    ASSERT_EQ(FrameList(f).size(), 1u);
    EXPECT_EQ(ShowID3v2Frame(f, "APIC").picture.bytes, kJpeg);
    if (batchtest::HaveMutagen()) {
        const std::string m = batchtest::MutagenFrames(p);
        EXPECT_TRUE(Contains(m, "APIC=image/jpeg|3|" + Hex(kJpeg))) << m;
    }
}

TEST_F(Frames, ScreenCopyToV1Texts) {
    const V1Texts t = CopyToV1Texts(std::string(40, 'T'), "A", "B", "letters", "3/12", "C");
    EXPECT_EQ(t.title, std::string(30, 'T'));
    EXPECT_EQ(t.track, "3");
    EXPECT_EQ(t.year, "");
    EXPECT_EQ(CopyToV1Texts("", "", "", "2001-05", "0", "").year, "2001");
    EXPECT_EQ(LeadingNumberText("0"), "");
}

TEST_F(Frames, CopyBetweenTagsOfSeveralFiles) {
    settings().UseID3v2 = tuIfWanted;
    settings().UseID3v1 = tuIfWanted;
    const std::string withV1 = audio + V1Tag("Old Title", "Old Artist", 5);
    const std::string p1 = b.Add("1.mp3", withV1);
    const std::string p2 = b.Add("2.mp3", audio);
    b.SelectAll();
    TagCopyCommands copy(b.cmds, b.ui);
    BatchResult r = copy.CopyToV2Several();
    EXPECT_EQ(r.processed, 1);
    EXPECT_EQ(b.ui.maxProgress, 2);
    EXPECT_FALSE(b.ui.overrun);
    EXPECT_EQ(ReadBytes(p2), audio);  // no ID3v1 tag: left alone
    const std::string bytes = ReadBytes(p1);
    EXPECT_EQ(bytes.compare(0, 3, "ID3"), 0);
    EXPECT_TRUE(Contains(bytes, audio));
    if (batchtest::HaveMutagen()) {
        const std::string m = batchtest::MutagenFrames(p1);
        EXPECT_TRUE(Contains(m, "TIT2=Old Title")) << m;
        EXPECT_TRUE(Contains(m, "TPE1=Old Artist")) << m;
    }

    const std::string p3 = b.Add("3.mp3", V23Tag({{"TIT2", std::string(40, 'L')}, {"TRCK", "3/12"}}, 32) + audio);
    b.SelectAll();
    r = copy.CopyToV1Several();
    EXPECT_EQ(r.processed, 2);  // p1 (now with ID3v2) and p3
    clsFile f;
    ASSERT_TRUE(f.ReadFile(p3, true));
    const std::string out = ReadBytes(p3);
    ASSERT_TRUE(HasV1(out));
    EXPECT_EQ(out.substr(out.size() - 125, 30), std::string(30, 'L'));  // the ID3v1 field width
    EXPECT_EQ(f.Tag().GetValue(tvV1Track), "3");
    EXPECT_EQ(ReadBytes(p2), audio);
}

}  // namespace
