// SPDX-License-Identifier: GPL-2.0-or-later

// Reading a file once through its head and tail buffers: the bytes served equal the file's at
// every offset, and the file object reads tags and audio information through one opening for
// tags of every size (inside and beyond the first reads) and trailing blocks of every size.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../support/TagBytes.h"
#include "ID3TestSupport.h"
#include "app/Settings.h"
#include "tags/AudioFile.h"
#include "tags/FileBytes.h"
#include "tags/MpegAudioInfo.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using namespace id3test;

namespace {

std::string lyrics3Block(const std::string& lyrics) {
    return tagbytes::lyrics3Block(tagbytes::lyrics3Field("IND", "10") + tagbytes::lyrics3Field("LYR", lyrics));
}

}  // namespace

TEST(FileBytes, ServesTheFileBytesAtEveryOffset) {
    Scratch dir;
    std::mt19937 random(7);
    for (const size_t length : {size_t{0}, size_t{100}, size_t{20000}, size_t{20481}, size_t{300000}}) {
        SCOPED_TRACE(length);
        std::string content(length, '\0');
        for (char& c : content) c = static_cast<char>(random());
        const std::string path = dir.file("f" + std::to_string(length));
        writeBytes(path, content);

        FileBytes file;
        ASSERT_TRUE(file.open(path));
        EXPECT_EQ(file.size(), static_cast<int64_t>(length));
        // Reads in a mixed order: head, tail, far middle, growing both ends.
        for (int i = 0; i < 400; ++i) {
            const size_t offset = length == 0 ? 0 : random() % (length + 1);
            const size_t n = std::min<size_t>(random() % (i % 3 == 0 ? 70000 : 300), length - offset);
            const std::string_view got = file.text(static_cast<int64_t>(offset), n);
            ASSERT_EQ(got.size(), n) << offset;
            ASSERT_EQ(got, std::string_view(content).substr(offset, n)) << offset << " " << n;
        }
        // Nothing past the end, nothing before the start.
        EXPECT_EQ(file.bytes(static_cast<int64_t>(length), 1), nullptr);
        EXPECT_EQ(file.bytes(-1, 1), nullptr);
        EXPECT_NE(file.bytes(static_cast<int64_t>(length), 0), nullptr);
    }
    FileBytes folder;
    EXPECT_FALSE(folder.open(dir.dir()));
    EXPECT_EQ(folder.error(), EINVAL);
    EXPECT_FALSE(folder.open(dir.file("missing")));
    EXPECT_EQ(folder.error(), ENOENT);
}

TEST(FileBytes, FileObjectReadsEveryTagSizeThroughOneOpening) {
    Scratch dir;
    settings() = Settings();
    const std::string lyricsText(6000, 'l');
    for (const size_t padding : {size_t{0}, size_t{15500}, size_t{16500}, size_t{45000}}) {
        for (const int frames : {3, 60}) {
            for (const bool lyrics : {false, true}) {
                SCOPED_TRACE(std::to_string(padding) + " " + std::to_string(frames) + " " + std::to_string(lyrics));
                const std::string tag = v23Tag({{"TIT2", "Head title"}, {"TPE1", "Artist"}}, padding);
                const std::string audio = mp3Audio(frames);
                const std::string block = lyrics ? lyrics3Block(lyricsText) : std::string();
                const std::string path = dir.file("t.mp3");
                writeBytes(path, tag + audio + block + v1Tag("Tail title", "V1 artist", 4));

                AudioFile file;
                ASSERT_TRUE(file.readFile(path, true));
                const int64_t length = static_cast<int64_t>(tag.size() + audio.size() + block.size() + 128);
                EXPECT_EQ(file.fileSize(), length);
                EXPECT_EQ(file.tag().getValue(ValueKey::Title), "Head title");
                EXPECT_EQ(file.tag().getValue(ValueKey::V1Title), "Tail title");
                EXPECT_EQ(file.tag().getValue(ValueKey::Lyrics), lyrics ? lyricsText : std::string());
                auto& mpeg = dynamic_cast<MpegAudioInfo&>(file.audio());
                ASSERT_TRUE(mpeg.isValid());
                EXPECT_EQ(mpeg.position(), static_cast<long>(tag.size()));
                EXPECT_EQ(mpeg.audioEnd(), length - 128 - static_cast<int64_t>(block.size()));
                EXPECT_EQ(mpeg.bitRate(), 128000);
            }
        }
    }
}

TEST(FileBytes, FileSizeFollowsWritesMadeThroughTheFileObject) {
    Scratch dir;
    settings() = Settings();
    const std::string path = dir.file("s.mp3");
    writeBytes(path, v23Tag({{"TIT2", "Title"}}, 100) + mp3Audio(5));
    AudioFile file;
    ASSERT_TRUE(file.readFile(path, true));
    const int64_t before = file.fileSize();
    // A comment larger than the padding: the file is rebuilt, longer.
    ASSERT_TRUE(file.tag().setValue(ValueKey::Comment, std::string(3000, 'c')));
    ASSERT_EQ(file.putTags(), 0);
    EXPECT_EQ(file.fileSize(), static_cast<int64_t>(readBytes(path).size()));
    EXPECT_GT(file.fileSize(), before);
    // Junk removal through the handler alone is seen too.
    writeBytes(path, std::string(700, 'j') + mp3Audio(5));
    ASSERT_TRUE(file.readFile(path, true));
    ASSERT_EQ(file.tag().removeJunk(), 0);
    EXPECT_EQ(file.fileSize(), static_cast<int64_t>(mp3Audio(5).size()));
}
