// SPDX-License-Identifier: GPL-2.0-or-later

// The ID3 handler against real peers: files Vorda writes read the same in mutagen and TagLib,
// files mutagen writes read the same in Vorda, and no kind of write changes the audio
// (bytes and decoded samples). Also vorda-cli set and junk end to end.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../support/TagBytes.h"
#include "ID3TestSupport.h"
#include "app/Settings.h"
#include "tags/AudioFile.h"
#include "tags/Id3v2Text.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using namespace id3test;
using namespace tagbytes;
using testsupport::contains;
using testsupport::shellQuote;

namespace {

std::string shell(const std::string& command, int* status = nullptr) { return commandOutput(command, status); }

// A version 2.3 frame compressed with zlib.
std::string compressed23(const std::string& id, const std::string& payload) {
    uLongf n = compressBound(static_cast<uLong>(payload.size()));
    std::string z(n, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(payload.data()),
              static_cast<uLong>(payload.size()), 9);
    z.resize(n);
    return frameBytes(3, id, id3v2::writeBigEndian(static_cast<uint32_t>(payload.size()), 4) + z, 0, 0x80);
}

// Frames whose content a named field cannot show, and a tail behind a malformed identifier.
struct HiddenFrames {
    const std::string title = compressed23("TIT2", std::string("\0Compressed title", 17));
    const std::string artist = frameBytes(3, "TPE1", std::string("\x80\0Encrypted", 11), 0, 0x40);
    const std::string comment = frameBytes(3, "COMM", std::string("\0eng\0\0second string", 20));
    const std::string tail = frameBytes(3, "tpe1", std::string("\0lower", 6)) +
                             frameBytes(3, "APIC", std::string("\0image/png\0\x03\0", 14) + std::string(3000, 'P'));
    std::string tag() const { return tagBytes(3, title + artist + comment + tail, 0, 200); }
};

bool havePeers() {
    return std::system("command -v lame >/dev/null && command -v ffmpeg >/dev/null && "
                       "/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0;
}

// Hash of the decoded samples.
std::string pcmHash(const std::string& path) {
    return shell("ffmpeg -v error -i " + shellQuote(path) + " -f s16le - | md5sum");
}

// "KEY=VALUE" lines of what mutagen reads.
std::string mutagen(const std::string& path) {
    return shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
                 "for k in (\"TIT2\",\"TPE1\",\"TALB\",\"TRCK\"):\n  print(k+\"=\"+(str(t[k]) if k in t else \"\"))\n"
                 "print(\"version=%d\" % t.version[1])' " +
                 shellQuote(path) + " 2>&1");
}

class ID3InteropTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!havePeers()) return;
        source_ = new Scratch;
        const std::string mp3 = source_->file("tone.mp3");
        shell("ffmpeg -v error -f lavfi -i 'sine=frequency=440:duration=3' -ac 2 -f wav - | lame --quiet -b 128 - " +
              shellQuote(mp3));
        audio_ = readBytes(mp3);
        pcm_ = pcmHash(mp3);
    }
    static void TearDownTestSuite() {
        delete source_;
        source_ = nullptr;
    }
    void SetUp() override {
        if (audio_.empty()) GTEST_SKIP() << "lame, ffmpeg or mutagen not available";
        options_.useId3v1 = TagUse::IfWanted;
        options_.useId3v2 = TagUse::IfWanted;
        options_.useLyrics3 = TagUse::IfNeeded;
        options_.keepInSync = true;
        options_.addPaddingSize = 512;
        options_.maxPaddingSize = 2048;
    }
    // The audio is unchanged: byte for byte after the leading tag, and decoded.
    void expectAudioIntact(const std::string& path) {
        AudioFile f;
        f.setOptions(options_);
        ASSERT_TRUE(f.readFile(path, true));
        const std::string bytes = readBytes(path);
        const auto start = static_cast<size_t>(f.tag().tagSize());
        EXPECT_TRUE(bytes.compare(start, audio_.size(), audio_) == 0) << "audio bytes changed";
        EXPECT_EQ(pcmHash(path), pcm_);
    }

    static inline Scratch* source_ = nullptr;
    static inline std::string audio_;
    static inline std::string pcm_;
    TagOptions options_;
    Scratch dir_;
};

TEST_F(ID3InteropTest, EveryKindOfWriteKeepsTheAudioAndReadsTheSameInPeers) {
    const std::string path = dir_.file("song.mp3");
    writeBytes(path, audio_);
    AudioFile f;
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(path, true));
    f.tag().add(TagKind::All);
    f.tag().setValue(ValueKey::Title, "Grüße €uro");  // UTF-16 in ID3v2.3, "?" in ID3v1
    f.tag().setValue(ValueKey::Artist, "Band");
    f.tag().setValue(ValueKey::Track, "4/9");
    ASSERT_EQ(f.putTags(), 0);  // rebuild
    expectAudioIntact(path);
    EXPECT_EQ(mutagen(path), "TIT2=Grüße €uro\nTPE1=Band\nTALB=\nTRCK=04/9\nversion=3\n");

    ASSERT_TRUE(f.readFile(path, true));
    f.tag().setValue(ValueKey::Album, "Album");
    const auto size = readBytes(path).size();
    ASSERT_EQ(f.putTags(), 0);  // in place
    EXPECT_EQ(readBytes(path).size(), size);
    expectAudioIntact(path);
    EXPECT_EQ(mutagen(path), "TIT2=Grüße €uro\nTPE1=Band\nTALB=Album\nTRCK=04/9\nversion=3\n");
#ifdef VORDA_TAGLIB_DUMP
    const std::string taglib = shell(std::string(VORDA_TAGLIB_DUMP) + " " + shellQuote(path));
    EXPECT_NE(taglib.find("v2.TIT2=Grüße €uro\n"), std::string::npos) << taglib;
    EXPECT_NE(taglib.find("v2.TALB=Album\n"), std::string::npos) << taglib;
    EXPECT_NE(taglib.find("v1.title=Grüße ?uro\n"), std::string::npos) << taglib;
    EXPECT_NE(taglib.find("v1.track=4\n"), std::string::npos) << taglib;
#endif

    ASSERT_TRUE(f.readFile(path, true));
    f.tag().remove(TagKind::Id3v1);
    ASSERT_EQ(f.putTags(), 0);
    expectAudioIntact(path);
    EXPECT_EQ(readBytes(path).size(), f.tag().tagSize() + audio_.size());

    ASSERT_TRUE(f.readFile(path, true));
    f.tag().remove(TagKind::Id3v2);
    ASSERT_EQ(f.putTags(), 0);
    EXPECT_TRUE(readBytes(path) == audio_);

    // Junk in front of the audio, then junk removal.
    writeBytes(path, std::string(700, 'j') + audio_);
    ASSERT_TRUE(f.readFile(path, true));
    ASSERT_EQ(f.tag().removeJunk(), 0);
    EXPECT_TRUE(readBytes(path) == audio_);
}

TEST_F(ID3InteropTest, FilesMutagenWritesReadTheSameInVorda) {
    const std::string script =
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TCON, TDRC, COMM, TXXX, APIC, PRIV\n"
        "p, v, enc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])\n"
        "t = ID3()\n"
        "t.add(TIT2(encoding=enc, text='Tïtle ünicode' + (' ✓' if enc else '')))\n"
        "t.add(TPE1(encoding=enc, text='Àrtist'))\n"
        "t.add(TALB(encoding=enc, text='Album'))\n"
        "t.add(TRCK(encoding=enc, text='3/10'))\n"
        "t.add(TCON(encoding=enc, text='Rock'))\n"
        "t.add(TDRC(encoding=enc, text='2004'))\n"
        "t.add(COMM(encoding=enc, lang='eng', desc='', text='Cömment'))\n"
        "t.add(COMM(encoding=enc, lang='eng', desc='other', text='second'))\n"
        "t.add(TXXX(encoding=enc, desc='one', text='1'))\n"
        "t.add(TXXX(encoding=enc, desc='two', text='2'))\n"
        "t.add(APIC(encoding=enc, mime='image/png', type=3, desc='cover', data=b'\\x89PNG' + bytes(3000)))\n"
        "t.add(PRIV(owner='x', data=b'\\x00\\x01'))\n"
        "t.save(p, v2_version=v, padding=lambda info: 5000)\n";
    const std::string py = dir_.file("make.py");
    writeBytes(py, script);
    for (const auto& [version, encoding] : {std::pair{3, 0}, {3, 1}, {4, 3}, {4, 2}}) {
        if (version == 3 && encoding > 1) continue;
        SCOPED_TRACE("v2." + std::to_string(version) + " encoding " + std::to_string(encoding));
        const std::string path = dir_.file("m" + std::to_string(version) + std::to_string(encoding) + ".mp3");
        writeBytes(path, audio_);
        int status = 0;
        const std::string out = shell("/usr/bin/python3 " + shellQuote(py) + " " + shellQuote(path) + " " +
                                          std::to_string(version) + " " + std::to_string(encoding) + " 2>&1",
                                      &status);
        ASSERT_EQ(status, 0) << out;
        const bool latin1 = encoding == 0;
        AudioFile f;
        f.setOptions(options_);
        ASSERT_TRUE(f.readFile(path, true));
        TagHandler& t = f.tag();
        EXPECT_EQ(t.getValue(ValueKey::Title), latin1 ? "Tïtle ünicode" : "Tïtle ünicode ✓");
        EXPECT_EQ(t.getValue(ValueKey::Artist), "Àrtist");
        EXPECT_EQ(t.getValue(ValueKey::Album), "Album");
        EXPECT_EQ(t.getValue(ValueKey::Track), "3/10");
        EXPECT_EQ(t.getValue(ValueKey::Genre), "Rock");
        EXPECT_EQ(t.getValue(ValueKey::Year), "2004");
        EXPECT_EQ(t.getValue(ValueKey::Comment), "Cömment");
        const std::string frames = t.getValue(ValueKey::V2Frame);
        EXPECT_NE(frames.find("TXXX"), std::string::npos) << frames;
        EXPECT_NE(frames.find("TXXX#2"), std::string::npos) << frames;
        EXPECT_NE(frames.find("APIC"), std::string::npos) << frames;
        EXPECT_EQ(t.tagType(), "ID3v2." + std::to_string(version) + ".0");

        // An in-place change keeps every other frame for mutagen too.
        t.setValue(ValueKey::Title, "Changed");
        ASSERT_EQ(f.putTags(), 0);
        const std::string check =
            shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
                  "print(t[\"TIT2\"], len(t.getall(\"TXXX\")), len(t.getall(\"COMM\")), len(t[\"APIC:cover\"].data), "
                  "t[\"TPE1\"])' " +
                  shellQuote(path) + " 2>&1");
        EXPECT_EQ(check, "Changed 2 2 3004 Àrtist\n");
        expectAudioIntact(path);
    }
}

TEST_F(ID3InteropTest, CommandLineSetAndJunk) {
    const std::string cli = VORDA_CLI_PATH;
    const std::string ini = dir_.file("settings.ini");
    writeBytes(ini, "[Tags]\nUseID3v2=1\nUseID3v1=1\n");
    const std::string path = dir_.file("a.mp3");
    writeBytes(path, audio_);
    int status = -1;
    std::string out = shell(cli + " set --settings " + shellQuote(ini) + " --add tkAll tvTitle=Song tvArtist=Band " +
                                "'tvV2Frame:TCOM=Writer' " + shellQuote(path) + " 2>&1",
                            &status);
    EXPECT_EQ(status, 0) << out;
    out = shell(
        cli + " set --settings " + shellQuote(ini) + " 'tvTitle=l+=01 ' 'tvArtist=r-=1' " + shellQuote(path) + " 2>&1",
        &status);
    EXPECT_EQ(status, 0) << out;
    AudioFile f;
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(path, true));
    EXPECT_EQ(f.tag().getValue(ValueKey::Title), "01 Song");
    EXPECT_EQ(f.tag().getValue(ValueKey::V1Artist), "Ban");
    EXPECT_EQ(f.tag().getValue(ValueKey::Composer), "Writer");
    expectAudioIntact(path);

    // One file missing: the others are written, the status is 1 and stderr names the error.
    out = shell(cli + " set --settings " + shellQuote(ini) + " tvAlbum=X " + shellQuote(dir_.file("none.mp3")) + " " +
                    shellQuote(path) + " 2>&1 >/dev/null",
                &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("none.mp3: error 2: "), std::string::npos) << out;
    ASSERT_TRUE(f.readFile(path, true));
    EXPECT_EQ(f.tag().getValue(ValueKey::Album), "X");
    out = shell(cli + " set tvNoSuchKey=1 " + shellQuote(path) + " 2>&1", &status);
    EXPECT_EQ(status, 2);

    writeBytes(path, std::string(333, 'j') + audio_);
    out = shell(cli + " junk " + shellQuote(path) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_TRUE(readBytes(path) == audio_);
    out = shell(cli + " junk " + shellQuote(dir_.file("none.mp3")) + " 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("error 2"), std::string::npos) << out;
    EXPECT_EQ(shell(cli + " junk --help", &status).rfind("Usage: vorda-cli junk", 0), 0u);
    EXPECT_EQ(shell(cli + " set --help", &status).rfind("Usage: vorda-cli set", 0), 0u);
}

TEST_F(ID3InteropTest, TagBehindJunkIsSeenByPeersAfterAWrite) {
    const std::string cli = VORDA_CLI_PATH;
    const std::string ini = dir_.file("settings.ini");
    writeBytes(ini, "[Tags]\nUseID3v2=1\nUseID3v1=1\n");
    const std::string tag = v23Tag({{"TIT2", "Old"}, {"TPE1", "Band"}}, 64);
    for (const size_t junkSize : {size_t{500}, size_t{2047}}) {
        SCOPED_TRACE(junkSize);
        std::string junk;
        for (size_t i = 0; i < junkSize; ++i) junk += static_cast<char>('a' + i % 26);
        const std::string path = dir_.file("junk" + std::to_string(junkSize) + ".mp3");
        writeBytes(path, junk + tag + audio_);
        int status = -1;
        std::string out =
            shell(cli + " set --settings " + shellQuote(ini) + " tvTitle=New " + shellQuote(path) + " 2>&1", &status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_EQ(mutagen(path), "TIT2=New\nTPE1=Band\nTALB=\nTRCK=\nversion=3\n");
        EXPECT_EQ(shell("ffprobe -v error -show_entries format_tags=title,artist -of default=nw=1 " + shellQuote(path)),
                  "TAG:title=New\nTAG:artist=Band\n");
        // Decoders treat the junk in front of the audio alike with or without a tag before it.
        const std::string plain = dir_.file("plain.mp3");
        writeBytes(plain, junk + audio_);
        const std::string pcm = pcmHash(plain);
        EXPECT_EQ(pcmHash(path), pcm);
        const std::string bytes = readBytes(path);
        ASSERT_GT(bytes.size(), audio_.size());
        EXPECT_TRUE(bytes.compare(bytes.size() - audio_.size(), audio_.size(), audio_) == 0) << "audio bytes changed";

        // The junk stays behind the tag until it is removed; removing it keeps the tag.
        EXPECT_NE(bytes.find(junk), std::string::npos);
        out = shell(cli + " junk " + shellQuote(path) + " 2>&1", &status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_EQ(mutagen(path), "TIT2=New\nTPE1=Band\nTALB=\nTRCK=\nversion=3\n");
        EXPECT_EQ(pcmHash(path), pcm);
    }
    // Junk removal in front of a tag behind 2047 bytes: peers then see the tag.
    const std::string path = dir_.file("garbage.mp3");
    writeBytes(path, std::string(2047, 'g') + tag + audio_);
    int status = -1;
    const std::string out = shell(cli + " junk " + shellQuote(path) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_TRUE(readBytes(path) == tag + audio_);
    EXPECT_EQ(mutagen(path), "TIT2=Old\nTPE1=Band\nTALB=\nTRCK=\nversion=3\n");
}

// Hidden frame content (compressed, encrypted, a first string that is empty) and the bytes
// behind a malformed identifier, through writes of the handler with synchronised tags.
TEST(ID3HiddenFrames, NeverFeedTheSyncAndSurviveEveryWrite) {
    TagOptions options;
    options.useId3v1 = TagUse::IfWanted;
    options.useId3v2 = TagUse::IfWanted;
    options.useLyrics3 = TagUse::IfNeeded;
    options.keepInSync = true;
    options.addPaddingSize = 256;
    options.maxPaddingSize = 4096;
    Scratch dir;
    const HiddenFrames hidden;
    const std::string path = dir.file("hidden.mp3");
    writeBytes(path, hidden.tag() + mp3Audio(20) + v1Tag("Old", "V1 Artist"));

    AudioFile f;
    f.setOptions(options);
    ASSERT_TRUE(f.readFile(path, true));
    EXPECT_EQ(f.tag().getValue(ValueKey::Title), "Compressed title");
    EXPECT_EQ(f.tag().getValue(ValueKey::Artist), "V1 Artist");  // the encrypted frame shows nothing
    EXPECT_EQ(f.tag().getValue(ValueKey::V2Comment), "");
    f.tag().setValue(ValueKey::Album, "Album");
    ASSERT_EQ(f.putTags(), 0);

    const std::string written = readBytes(path);
    for (const std::string* frame : {&hidden.title, &hidden.artist, &hidden.comment, &hidden.tail})
        EXPECT_TRUE(contains(written, *frame));
    AudioFile back;
    back.setOptions(options);
    ASSERT_TRUE(back.readFile(path, true));
    EXPECT_EQ(back.tag().getValue(ValueKey::V1Title), "Compressed title");  // inflated text, no zero bytes
    EXPECT_EQ(back.tag().getValue(ValueKey::V1Artist), "V1 Artist");
    EXPECT_EQ(back.tag().getValue(ValueKey::V1Comment), "");
    EXPECT_EQ(back.tag().getValue(ValueKey::Album), "Album");

    // Saving again what was just saved changes no byte; a title-only set keeps every other frame.
    const std::string cli = VORDA_CLI_PATH;
    const std::string ini = dir.file("settings.ini");
    writeBytes(ini, "[Tags]\nUseID3v2=1\nUseID3v1=1\nbTAGKeepSync=1\n");
    auto set = [&](const std::string& value) {
        return std::system(
            (cli + " set --settings '" + ini + "' '" + value + "' '" + path + "' >/dev/null 2>&1").c_str());
    };
    ASSERT_EQ(set("tvAlbum=Album"), 0);
    EXPECT_TRUE(readBytes(path) == written);
    ASSERT_EQ(set("tvTitle=Plain title"), 0);
    const std::string retitled = readBytes(path);
    EXPECT_FALSE(contains(retitled, hidden.title));
    for (const std::string* frame : {&hidden.artist, &hidden.comment, &hidden.tail})
        EXPECT_TRUE(contains(retitled, *frame));
    ASSERT_EQ(set("tvTitle=Plain title"), 0);
    EXPECT_TRUE(readBytes(path) == retitled);

    // The tag with the hidden content stays where ID3v2 is only written when needed.
    options.useId3v2 = TagUse::IfNeeded;
    f.setOptions(options);
    writeBytes(path, tagBytes(3, hidden.artist + hidden.tail, 0, 0) + mp3Audio(5) + v1Tag("Same"));
    ASSERT_TRUE(f.readFile(path, true));
    f.tag().setValue(ValueKey::Title, "Same");
    f.tag().setValue(ValueKey::V1Artist, "X");
    ASSERT_EQ(f.putTags(), 0);
    const std::string kept = readBytes(path);
    EXPECT_TRUE(contains(kept, hidden.artist));
    EXPECT_TRUE(contains(kept, hidden.tail));
}

TEST(ID3HiddenFrames, ScanShowsTheInflatedTitle) {
    Scratch dir;
    const HiddenFrames hidden;
    writeBytes(dir.file("hidden.mp3"), hidden.tag() + mp3Audio(5));
    const std::string ini = dir.file("settings.ini");
    writeBytes(ini, "[Tags]\nUseID3v2=1\n");
    const std::string out =
        shell(std::string(VORDA_CLI_PATH) + " scan --settings " + shellQuote(ini) + " " + shellQuote(dir.dir()));
    EXPECT_TRUE(contains(out, "\tCompressed title\t")) << out;
    EXPECT_FALSE(contains(out, std::string(1, '\0')));
}

TEST_F(ID3InteropTest, KeptFramesReadTheSameInPeers) {
    const HiddenFrames hidden;
    const std::string path = dir_.file("kept.mp3");
    writeBytes(path, hidden.tag() + audio_);
    AudioFile f;
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(path, true));
    f.tag().setValue(ValueKey::Album, "Älbum");
    ASSERT_EQ(f.putTags(), 0);
    expectAudioIntact(path);
    const std::string check =
        shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
              "print(t[\"TIT2\"], t[\"TALB\"], t[\"COMM::eng\"].text, [f[:4] for f in t.unknown_frames])' " +
              shellQuote(path) + " 2>&1");
    // mutagen reads the compressed title, the comment's two strings and keeps the encrypted frame.
    EXPECT_EQ(check, "Compressed title Älbum ['', 'second string'] [b'TPE1']\n");
#ifdef VORDA_TAGLIB_DUMP
    const std::string taglib = shell(std::string(VORDA_TAGLIB_DUMP) + " " + shellQuote(path));
    EXPECT_TRUE(contains(taglib, "v2.TIT2=Compressed title\n")) << taglib;
    EXPECT_TRUE(contains(taglib, "v2.TALB=Älbum\n")) << taglib;
#endif
}

}  // namespace
