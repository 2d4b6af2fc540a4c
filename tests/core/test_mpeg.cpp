// SPDX-License-Identifier: GPL-2.0-or-later

// The MPEG audio reader: synthesised streams with known values, real encodes from
// lame and ffmpeg compared with ffprobe and mutagen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "PeerSupport.h"
#include "TestSupport.h"
#include "tags/MpegAudioInfo.h"

using namespace vorda::tags;
using testsupport::commandOutput;
using testsupport::haveMutagen;
using testsupport::haveProgram;
using testsupport::shellQuote;

using Bytes = std::vector<uint8_t>;

namespace {

class TempDir : public testsupport::TempFolder {
public:
    std::string write(const std::string& name, const Bytes& data) const {
        std::ofstream(file(name), std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
        return file(name);
    }
};

enum Ver { V25 = 0, V2 = 2, V1 = 3 };

struct FrameSpec {
    Ver version = V1;
    int layer = 3;
    int bitRateIndex = 9;  // 128 kbit/s for MPEG-1 layer 3
    int sampleRateIndex = 0;
    int mode = 1;  // joint stereo
    bool crc = false, padding = false, priv = false, copyright = false, original = false;
    int emphasis = 0;
};

const int kRatesV1L3[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
const int kRatesV2L23[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
const int kRatesV1L2[] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
const int kRatesV1L1[] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
const int kSampleRates[4][3] = {{11025, 12000, 8000}, {}, {22050, 24000, 16000}, {44100, 48000, 32000}};

long bitRateOf(const FrameSpec& s) {
    if (s.version != V1) return kRatesV2L23[s.bitRateIndex] * 1000L;  // layer 1 of MPEG-2 is not used here
    const int* t = s.layer == 3 ? kRatesV1L3 : s.layer == 2 ? kRatesV1L2 : kRatesV1L1;
    return t[s.bitRateIndex] * 1000L;
}
long sampleRateOf(const FrameSpec& s) { return kSampleRates[s.version][s.sampleRateIndex]; }
long samplesPerFrame(const FrameSpec& s) { return s.layer == 1 ? 384 : (s.layer == 3 && s.version != V1) ? 576 : 1152; }
long frameLength(const FrameSpec& s) {
    const long slots = samplesPerFrame(s) / 8 * bitRateOf(s) / sampleRateOf(s) + (s.padding ? 1 : 0);
    return s.layer == 1 ? (12 * bitRateOf(s) / sampleRateOf(s) + (s.padding ? 1 : 0)) * 4 : slots;
}
long sideInfo(const FrameSpec& s) { return s.version == V1 ? (s.mode == 3 ? 17 : 32) : (s.mode == 3 ? 9 : 17); }

Bytes header(const FrameSpec& s) {
    return {0xFF, uint8_t(0xE0 | (s.version << 3) | ((4 - s.layer) << 1) | (s.crc ? 0 : 1)),
            uint8_t((s.bitRateIndex << 4) | (s.sampleRateIndex << 2) | (s.padding ? 2 : 0) | (s.priv ? 1 : 0)),
            uint8_t((s.mode << 6) | (s.copyright ? 8 : 0) | (s.original ? 4 : 0) | s.emphasis)};
}

Bytes frame(const FrameSpec& s) {
    Bytes f = header(s);
    f.resize(size_t(frameLength(s)), 0);
    return f;
}

void append(Bytes& to, const Bytes& what) { to.insert(to.end(), what.begin(), what.end()); }
void appendText(Bytes& to, const std::string& text) { to.insert(to.end(), text.begin(), text.end()); }
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}

Bytes stream(const FrameSpec& s, int frames) {
    Bytes out;
    for (int i = 0; i < frames; ++i) append(out, frame(s));
    return out;
}

// A first frame carrying a Xing ("Xing" or "Info") header with frame and byte counts.
// With a CRC, countCrc places it behind the CRC's two bytes (as the layout says) or not (as LAME does).
Bytes xingFrame(const FrameSpec& s, const char* id, uint32_t frames, uint32_t bytes, bool countCrc = true) {
    Bytes f = frame(s);
    const size_t at = size_t(4 + (s.crc && countCrc ? 2 : 0) + sideInfo(s));
    std::copy(id, id + 4, f.begin() + at);
    put32(f, at + 4, 3);
    put32(f, at + 8, frames);
    put32(f, at + 12, bytes);
    return f;
}

Bytes id3v2Tag(size_t body, uint8_t lastByte = 0) {
    Bytes t = {'I', 'D', '3', 3, 0, 0};
    for (int shift : {21, 14, 7, 0}) t.push_back(uint8_t((body >> shift) & 0x7F));
    t.resize(10 + body, 0);
    t.back() = lastByte;
    return t;
}

struct Reading {
    MpegAudioInfo m;
    Reading(const std::string& path, long start = -1) { m.readInfo(path, start); }
    std::string operator[](int i) const { return m.getInfo(static_cast<AudioKey>(i)); }
    std::string operator[](AudioKey key) const { return m.getInfo(key); }
};

}  // namespace

TEST(MpegReader, ConstantBitRateMpeg1Layer3) {
    TempDir dir;
    const std::string path = dir.write("cbr.mp3", stream(FrameSpec{}, 1000));  // 417,000 bytes
    Reading r(path);
    ASSERT_TRUE(r.m.isValid());
    EXPECT_EQ(r.m.audioType(), "MPEG");
    EXPECT_EQ(r.m.startPos(), 0);
    const std::vector<std::string> expected = {"1",    "128000", "JStereo", "0", "0", "26",
                                               "None", "0",      "3",       "0", "0", "44100"};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(r[i], expected[size_t(i)]) << "index " << i;
    EXPECT_EQ(r[12], "");
    EXPECT_EQ(r[-1], "");
    EXPECT_EQ(r.m.duration(), 417000 / 16000);
}

TEST(MpegReader, HeaderBitsAndTexts) {
    TempDir dir;
    const char* modes[] = {"Stereo", "JStereo", "DStereo", "Mono"};
    for (int mode = 0; mode < 4; ++mode) {
        FrameSpec s;
        s.mode = mode;
        s.crc = mode % 2 == 0;
        s.copyright = mode == 1;
        s.original = mode == 2;
        s.priv = mode == 3;
        s.padding = mode == 3;
        s.emphasis = mode == 1 ? 1 : mode == 3 ? 3 : 0;
        Reading r(dir.write("m" + std::to_string(mode) + ".mp3", stream(s, 5)));
        ASSERT_TRUE(r.m.isValid());
        EXPECT_EQ(r[AudioKey::ChannelMode], modes[mode]);
        EXPECT_EQ(r[AudioKey::Crc], s.crc ? "-1" : "0");
        EXPECT_EQ(r[AudioKey::Copyright], s.copyright ? "-1" : "0");
        EXPECT_EQ(r[AudioKey::Original], s.original ? "-1" : "0");
        EXPECT_EQ(r[AudioKey::Private], s.priv ? "-1" : "0");
        EXPECT_EQ(r.m.padding(), s.padding ? 1 : 0);
        EXPECT_EQ(r[AudioKey::Emphasis], s.emphasis == 1 ? "50/15 micros" : s.emphasis == 3 ? "CCIT J.17" : "None");
    }
}

TEST(MpegReader, VersionsLayersAndRates) {
    TempDir dir;
    struct Case {
        Ver v;
        int layer, brIndex, srIndex;
        const char* version;
    };
    const Case cases[] = {{V1, 3, 14, 1, "1"}, {V1, 2, 10, 2, "1"},   {V1, 1, 14, 0, "1"},    {V2, 3, 8, 0, "2"},
                          {V2, 2, 14, 2, "2"}, {V25, 3, 4, 0, "2.5"}, {V25, 3, 14, 2, "2.5"}, {V25, 2, 1, 1, "2.5"}};
    for (const Case& c : cases) {
        FrameSpec s{c.v, c.layer, c.brIndex, c.srIndex};
        const Bytes data = stream(s, 300);
        Reading r(dir.write("v.mp3", data));
        SCOPED_TRACE(std::string(c.version) + " layer " + std::to_string(c.layer));
        ASSERT_TRUE(r.m.isValid());
        EXPECT_EQ(r[AudioKey::Version], c.version);
        EXPECT_EQ(r[AudioKey::Layer], std::to_string(c.layer));
        EXPECT_EQ(r[AudioKey::BitRate], std::to_string(bitRateOf(s)));
        EXPECT_EQ(r[AudioKey::SampleRate], std::to_string(sampleRateOf(s)));
        EXPECT_EQ(r.m.duration(), long(data.size() * 8 / bitRateOf(s)));
        // The byte count agrees with the playing time of the frames (within the truncation).
        EXPECT_NEAR(r.m.duration(), 300.0 * samplesPerFrame(s) / sampleRateOf(s), 1.0);
    }
}

TEST(MpegReader, SkipsJunkThatLooksLikeAHeader) {
    TempDir dir;
    Bytes data(1000, 0x11);
    const Bytes fake = header(FrameSpec{});  // valid, but no frame follows it
    std::copy(fake.begin(), fake.end(), data.begin() + 100);
    const uint8_t badRate[] = {0xFF, 0xFB, 0xF0, 0x64};  // bit-rate index 15
    std::copy(badRate, badRate + 4, data.begin() + 600);
    data[998] = 0xFF;  // the frame sync begins one byte before the real frame
    data[999] = 0xFF;
    append(data, stream(FrameSpec{}, 20));
    Reading r(dir.write("junk.mp3", data));
    ASSERT_TRUE(r.m.isValid());
    EXPECT_EQ(r.m.startPos(), 1000);
    EXPECT_EQ(r[AudioKey::BitRate], "128000");
}

TEST(MpegReader, StartPositionConventions) {
    TempDir dir;
    Bytes tagged = id3v2Tag(2038, 0xFF);  // 2048 bytes, the last one a sync byte
    append(tagged, stream(FrameSpec{}, 10));
    const std::string withTag = dir.write("tagged.mp3", tagged);
    // Tag position 1 + tag size 2048 - 1; the 1-based audio position; no position at all.
    for (long start : {2048L, 2049L, -1L, 0L, 1L}) {
        Reading r(withTag, start);
        ASSERT_TRUE(r.m.isValid()) << start;
        EXPECT_EQ(r.m.startPos(), 2048) << start;
    }
    const std::string plain = dir.write("plain.mp3", stream(FrameSpec{}, 10));
    for (long start : {-1L, 0L, 1L}) EXPECT_EQ(Reading(plain, start).m.startPos(), 0) << start;
    // A start inside the stream finds the next frame; one past the end finds nothing.
    EXPECT_EQ(Reading(plain, 418).m.startPos(), 417);
    EXPECT_EQ(Reading(plain, 419).m.startPos(), 417 * 2);
    EXPECT_FALSE(Reading(plain, 4171).m.isValid());
    EXPECT_FALSE(Reading(plain, 0x7FFFFFFFL).m.isValid());
}

TEST(MpegReader, XingHeaderAtItsOffsetForEveryVersionAndMode) {
    TempDir dir;
    for (Ver v : {V1, V2, V25}) {
        for (int mode : {0, 3}) {
            for (int crc : {0, 1, 2}) {
                FrameSpec s{v, 3, v == V1 ? 9 : 8, 0, mode};
                s.crc = crc > 0;
                const uint32_t frames = 5000, bytes = 2000000;
                Bytes data = xingFrame(s, "Xing", frames, bytes, crc == 1);
                append(data, stream(s, 30));
                Reading r(dir.write("x.mp3", data));
                SCOPED_TRACE(std::to_string(int(v)) + " mode " + std::to_string(mode) + " crc " + std::to_string(crc));
                ASSERT_TRUE(r.m.isValid());
                EXPECT_EQ(r[AudioKey::Vbr], "-1");
                const double seconds = double(frames) * samplesPerFrame(s) / sampleRateOf(s);
                EXPECT_EQ(r.m.duration(), long(seconds));
                EXPECT_EQ(r.m.bitRate(), std::lround((bytes - frameLength(s)) * 8.0 / seconds));
                EXPECT_EQ(r[AudioKey::SampleRate], std::to_string(sampleRateOf(s)));
            }
        }
    }
}

TEST(MpegReader, VbrHeaderVariants) {
    TempDir dir;
    FrameSpec s;
    // Xing with a frame count only: the audio bytes give the rate.
    Bytes data = xingFrame(s, "Xing", 999, 0);
    put32(data, 4 + 32 + 4, 1);
    append(data, stream(s, 999));  // 1000 frames of 417 bytes
    Reading r(dir.write("x.mp3", data));
    double seconds = 999 * 1152 / 44100.0;
    EXPECT_EQ(r.m.bitRate(), std::lround(999 * 417 * 8 / seconds));
    EXPECT_EQ(r.m.duration(), long(seconds));

    // Xing with no frames at all keeps the values of the frame header.
    Bytes zero = xingFrame(s, "Xing", 0, 0);
    append(zero, stream(s, 200));
    Reading z(dir.write("x0.mp3", zero));
    ASSERT_TRUE(z.m.isValid());
    EXPECT_EQ(z[AudioKey::Vbr], "-1");
    EXPECT_EQ(z[AudioKey::SampleRate], "44100");
    EXPECT_EQ(z[AudioKey::BitRate], "128000");
    EXPECT_EQ(z.m.duration(), long(zero.size() / 16000));

    Bytes vbri = frame(s);
    std::copy_n("VBRI", 4, vbri.begin() + 36);
    put32(vbri, 36 + 10, 3000000);
    put32(vbri, 36 + 14, 10000);
    append(vbri, stream(s, 5));
    Reading v(dir.write("vbri.mp3", vbri));
    seconds = 10000 * 1152 / 44100.0;
    EXPECT_EQ(v[AudioKey::Vbr], "-1");
    EXPECT_EQ(v.m.duration(), long(seconds));
    EXPECT_EQ(v.m.bitRate(), std::lround(3000000 * 8 / seconds));

    // "Info" marks a constant bit rate: the table rate, the frame count's duration.
    Bytes info = xingFrame(s, "Info", 4000, 4000 * 417);
    append(info, stream(s, 5));
    Reading i(dir.write("info.mp3", info));
    EXPECT_EQ(i[AudioKey::Vbr], "0");
    EXPECT_EQ(i[AudioKey::BitRate], "128000");
    EXPECT_EQ(i.m.duration(), long(4000 * 1152 / 44100.0));
}

TEST(MpegReader, DurationExcludesTrailingTags) {
    TempDir dir;
    const Bytes audio = stream(FrameSpec{}, 1000);  // 417,000 bytes: 26.06 s
    Bytes id3v1(128, ' ');
    std::copy_n("TAG", 3, id3v1.begin());
    Bytes lyrics3v2;
    appendText(lyrics3v2, "LYRICSBEGININD0000211LYR20000" + std::string(20000, 'l'));
    const size_t l2 = lyrics3v2.size();
    char sz[8];
    std::snprintf(sz, sizeof sz, "%06zu", l2);
    appendText(lyrics3v2, std::string(sz) + "LYRICS200");
    Bytes lyrics3v1;
    appendText(lyrics3v1, "LYRICSBEGIN" + std::string(5000, 'x') + "LYRICSEND");
    auto ape = [](size_t items, bool withHeader) {
        Bytes b;
        const uint32_t size = uint32_t(items + 32), flags = withHeader ? 0xA0000000u : 0u;
        auto block = [&](uint32_t fl) {
            Bytes h;
            appendText(h, "APETAGEX");
            for (uint32_t v : {2000u, size, 1u, fl, 0u, 0u})
                for (int i = 0; i < 4; ++i) h.push_back(uint8_t(v >> (8 * i)));
            return h;
        };
        if (withHeader) append(b, block(flags));
        b.resize(b.size() + items, 'a');
        append(b, block(flags & ~0x20000000u));
        return b;
    };
    const std::vector<std::pair<const char*, std::vector<Bytes>>> cases = {
        {"none", {}},
        {"id3v1", {id3v1}},
        {"lyrics3v2+id3v1", {lyrics3v2, id3v1}},
        {"lyrics3v1+id3v1", {lyrics3v1, id3v1}},
        {"ape", {ape(30000, false)}},
        {"ape+lyrics3v2+id3v1", {ape(30000, true), lyrics3v2, id3v1}},
    };
    for (const auto& [name, tags] : cases) {
        Bytes data = audio;
        for (const Bytes& t : tags) append(data, t);
        Reading r(dir.write("t.mp3", data));
        EXPECT_EQ(r.m.audioEnd(), 417000) << name;
        EXPECT_EQ(r[AudioKey::Duration], "26") << name;
    }
}

TEST(MpegReader, SearchStopsAfterTheLimit) {
    TempDir dir;
    for (size_t gap : {size_t(50000), size_t(200000)}) {
        Bytes data(gap, 0);
        append(data, stream(FrameSpec{}, 10));
        Reading r(dir.write("gap.mp3", data));
        EXPECT_EQ(r.m.isValid(), gap < size_t(MpegAudioInfo::kSearchLimit)) << gap;
        if (r.m.isValid()) {
            EXPECT_EQ(r.m.startPos(), long(gap));
        }
    }
}

TEST(MpegReader, HostileInputsReadNothing) {
    TempDir dir;
    std::mt19937 rng(7);
    Bytes noise(300000);
    for (auto& b : noise) b = uint8_t(rng() & 0x7F);  // no sync byte anywhere
    Bytes hugeTag = id3v2Tag(100);                    // claims 256 MB
    std::fill(hugeTag.begin() + 6, hugeTag.begin() + 10, 0x7F);
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"empty", {}},    {"three", {0xFF, 0xFB, 0x90}}, {"ff", Bytes(200000, 0xFF)},
        {"noise", noise}, {"tag-only", id3v2Tag(5000)},  {"huge-tag", hugeTag}};
    MpegAudioInfo m;
    for (const auto& [name, data] : files) {
        m.readInfo(dir.write("good.mp3", stream(FrameSpec{}, 3)), -1);
        ASSERT_TRUE(m.isValid());
        m.readInfo(dir.write(name + ".mp3", data), -1);
        EXPECT_FALSE(m.isValid()) << name;
        EXPECT_EQ(m.startPos(), 0) << name;
        EXPECT_EQ(m.getInfo(AudioKey::BitRate), "0") << name;
        EXPECT_EQ(m.getInfo(AudioKey::ChannelMode), "") << name;
        EXPECT_EQ(m.getInfo(AudioKey::Version), "0") << name;
    }
    m.readInfo(dir.path() + "missing.mp3", -1);
    EXPECT_FALSE(m.isValid());
    EXPECT_FALSE(m.setPosition(1234));
    EXPECT_EQ(m.startPos(), 1234);
}

// ------------------------------------------------------------ real encodes

namespace {

// 16-bit PCM: a sweeping tone with some noise, so that a VBR encoder varies its frames.
void writeWav(const std::string& path, int rate, int channels, double seconds) {
    const uint32_t frames = uint32_t(rate * seconds), data = frames * channels * 2;
    Bytes b;
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    appendText(b, "RIFF");
    le(36 + data, 4);
    appendText(b, "WAVEfmt ");
    le(16, 4);
    le(1, 2);
    le(channels, 2);
    le(rate, 4);
    le(rate * channels * 2, 4);
    le(channels * 2, 2);
    le(16, 2);
    appendText(b, "data");
    le(data, 4);
    std::mt19937 rng(1);
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        for (int c = 0; c < channels; ++c) {
            const double v =
                0.4 * std::sin(2 * M_PI * (220 + 300 * t + 50 * c) * t) + 0.05 * ((rng() % 2000) / 1000.0 - 1);
            le(uint16_t(int16_t(v * 32767)), 2);
        }
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

std::map<std::string, std::string> ffprobe(const std::string& path) {
    std::istringstream in(
        commandOutput("ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,bit_rate,channels"
                      " -show_entries format=duration -of default=nw=1 " +
                      shellQuote(path)));
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
}

// An encode of a WAV file by lame (args are its options) or of a sine by ffmpeg's MP2 encoder
// (args is the bit rate).
struct Encode {
    const char* name;
    int rate, channels;
    std::string args;
    const char* version;
    bool vbr;
    int layer = 3;
};

}  // namespace

TEST(MpegInterop, LameAndFfmpegEncodesReadLikeFfprobeAndMutagen) {
    if (!haveProgram("lame") || !haveProgram("ffmpeg") || !haveProgram("ffprobe") || !haveMutagen())
        GTEST_SKIP() << "lame, ffmpeg, ffprobe or mutagen is not installed";
    TempDir dir;
    const Encode encodes[] = {
        {"cbr128-44-joint", 44100, 2, "-b 128", "1", false},
        {"cbr192-48-stereo-crc", 48000, 2, "-b 192 -m s -p", "1", false},
        {"vbr-44-crc", 44100, 2, "-V 2 -p", "1", true},
        {"vbr-44-mono", 44100, 1, "-V 4 -m m", "1", true},
        {"abr-22-joint", 22050, 2, "--abr 48 --resample 22.05", "2", true},
        {"cbr32-22-mono", 22050, 1, "-b 32 -m m --resample 22.05", "2", false},
        {"vbr-11-stereo", 11025, 2, "-V 6 -m s --resample 11.025", "2.5", true},
        {"cbr16-11-mono", 11025, 1, "-b 16 -m m --resample 11.025", "2.5", false},
        {"tagged-cbr-44", 44100, 2, "-b 160 --add-id3v2 --pad-id3v2-size 3000 --tt Title --ta Artist", "1", false},
        {"mp2-44-stereo", 44100, 2, "192k", "1", false, 2},
        {"mp2-22-mono", 22050, 1, "64k", "2", false, 2},
    };
    std::vector<std::string> files;
    for (const Encode& e : encodes) {
        const std::string out = dir.path() + e.name + (e.layer == 2 ? ".mp2" : ".mp3"), wav = out + ".wav";
        std::string command = "ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=" + std::to_string(e.rate) +
                              ":duration=3 -ac " + std::to_string(e.channels) + " -c:a mp2 -b:a " + e.args + " " +
                              shellQuote(out);
        if (e.layer == 3) {
            writeWav(wav, e.rate, e.channels, 3.0);
            command = "lame --quiet " + e.args + " " + shellQuote(wav) + " " + shellQuote(out);
        }
        ASSERT_EQ(std::system(command.c_str()), 0) << e.name;
        files.push_back(out);
    }
    const std::vector<peers::AudioPeer> peers = peers::mutagenAudio(files);
    for (size_t k = 0; k < files.size(); ++k) {
        const Encode& e = encodes[k];
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(peers[k].ok);
        Reading r(files[k]);
        ASSERT_TRUE(r.m.isValid());
        EXPECT_EQ(r[AudioKey::Layer], std::to_string(e.layer));
        EXPECT_EQ(r[AudioKey::Version], e.version);
        EXPECT_EQ(r[AudioKey::Vbr], e.vbr ? "-1" : "0");
        peers::expectAudioLikeMutagen(peers[k], r.m);
        auto probe = ffprobe(files[k]);
        EXPECT_EQ(r[AudioKey::SampleRate], probe["sample_rate"]);
        EXPECT_EQ(r.m.channelMode() == "Mono" ? "1" : "2", probe["channels"]);
        if (!e.vbr) {
            EXPECT_EQ(r[AudioKey::BitRate], probe["bit_rate"]);
        }
        EXPECT_NEAR(r.m.duration(), std::atof(probe["duration"].c_str()), 1.0);
    }
}
