// Reading a file once through its head and tail buffers: the bytes served equal the file's at
// every offset, and the file object reads tags and audio information through one opening for
// tags of every size (inside and beyond the first reads) and trailing blocks of every size.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ID3TestSupport.h"
#include "app/Settings.h"
#include "tags/FileBytes.h"
#include "tags/clsFile.h"
#include "tags/clsMPEG.h"

using namespace vorda;
using namespace id3test;

namespace {

std::string Digits(size_t value, int width) {
    std::string s = std::to_string(value);
    return std::string(static_cast<size_t>(width) - s.size(), '0') + s;
}

// A Lyrics3 v2 block with the lyrics field only.
std::string Lyrics3Block(const std::string& lyrics) {
    std::string block = "LYRICSBEGIN";
    block += "IND00002" "10";
    block += "LYR" + Digits(lyrics.size(), 5) + lyrics;
    return block + Digits(block.size(), 6) + "LYRICS200";
}

}  // namespace

TEST(FileBytes, ServesTheFileBytesAtEveryOffset) {
    Scratch dir;
    std::mt19937 random(7);
    for (const size_t length : {size_t{0}, size_t{100}, size_t{20000}, size_t{20481}, size_t{300000}}) {
        SCOPED_TRACE(length);
        std::string content(length, '\0');
        for (char& c : content) c = static_cast<char>(random());
        const std::string path = dir.File("f" + std::to_string(length));
        WriteBytes(path, content);

        FileBytes file;
        ASSERT_TRUE(file.Open(path));
        EXPECT_EQ(file.Size(), static_cast<int64_t>(length));
        // Reads in a mixed order: head, tail, far middle, growing both ends.
        for (int i = 0; i < 400; ++i) {
            const size_t offset = length == 0 ? 0 : random() % (length + 1);
            const size_t n = std::min<size_t>(random() % (i % 3 == 0 ? 70000 : 300), length - offset);
            const std::string_view got = file.Text(static_cast<int64_t>(offset), n);
            ASSERT_EQ(got.size(), n) << offset;
            ASSERT_EQ(got, std::string_view(content).substr(offset, n)) << offset << " " << n;
        }
        // Nothing past the end, nothing before the start.
        EXPECT_EQ(file.Bytes(static_cast<int64_t>(length), 1), nullptr);
        EXPECT_EQ(file.Bytes(-1, 1), nullptr);
        EXPECT_NE(file.Bytes(static_cast<int64_t>(length), 0), nullptr);
    }
    FileBytes folder;
    EXPECT_FALSE(folder.Open(dir.dir()));
    EXPECT_EQ(folder.Error(), EINVAL);
    EXPECT_FALSE(folder.Open(dir.File("missing")));
    EXPECT_EQ(folder.Error(), ENOENT);
}

TEST(FileBytes, FileObjectReadsEveryTagSizeThroughOneOpening) {
    Scratch dir;
    settings() = Settings();
    const std::string lyricsText(6000, 'l');
    for (const size_t padding : {size_t{0}, size_t{15500}, size_t{16500}, size_t{45000}}) {
        for (const int frames : {3, 60}) {
            for (const bool lyrics : {false, true}) {
                SCOPED_TRACE(std::to_string(padding) + " " + std::to_string(frames) + " " + std::to_string(lyrics));
                const std::string tag = V23Tag({{"TIT2", "Head title"}, {"TPE1", "Artist"}}, padding);
                const std::string audio = Audio(frames);
                const std::string block = lyrics ? Lyrics3Block(lyricsText) : std::string();
                const std::string path = dir.File("t.mp3");
                WriteBytes(path, tag + audio + block + V1Tag("Tail title", "V1 artist", 4));

                clsFile file;
                ASSERT_TRUE(file.ReadFile(path, true));
                const int64_t length = static_cast<int64_t>(tag.size() + audio.size() + block.size() + 128);
                EXPECT_EQ(file.FileSize(), length);
                EXPECT_EQ(file.Tag().GetValue(tvTitle), "Head title");
                EXPECT_EQ(file.Tag().GetValue(tvV1Title), "Tail title");
                EXPECT_EQ(file.Tag().GetValue(tvLyrics), lyrics ? lyricsText : std::string());
                auto& mpeg = dynamic_cast<clsMPEG&>(file.Audio());
                ASSERT_TRUE(mpeg.IsValid());
                EXPECT_EQ(mpeg.Position(), static_cast<long>(tag.size()));
                EXPECT_EQ(mpeg.AudioEnd(), length - 128 - static_cast<int64_t>(block.size()));
                EXPECT_EQ(mpeg.BitRate(), 128000);
            }
        }
    }
}

TEST(FileBytes, FileSizeFollowsWritesMadeThroughTheFileObject) {
    Scratch dir;
    settings() = Settings();
    const std::string path = dir.File("s.mp3");
    WriteBytes(path, V23Tag({{"TIT2", "Title"}}, 100) + Audio(5));
    clsFile file;
    ASSERT_TRUE(file.ReadFile(path, true));
    const int64_t before = file.FileSize();
    // A comment larger than the padding: the file is rebuilt, longer.
    ASSERT_TRUE(file.Tag().SetValue(tvComment, std::string(3000, 'c')));
    ASSERT_EQ(file.PutTags(), 0);
    EXPECT_EQ(file.FileSize(), static_cast<int64_t>(ReadBytes(path).size()));
    EXPECT_GT(file.FileSize(), before);
    // Junk removal through the handler alone is seen too.
    WriteBytes(path, std::string(700, 'j') + Audio(5));
    ASSERT_TRUE(file.ReadFile(path, true));
    ASSERT_EQ(file.Tag().RemoveJunk(), 0);
    EXPECT_EQ(file.FileSize(), static_cast<int64_t>(Audio(5).size()));
}
