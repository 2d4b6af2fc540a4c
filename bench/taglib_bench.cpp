// SPDX-License-Identifier: GPL-2.0-or-later

// taglib_bench: the TagLib side of Vorda's speed benchmarks, and the tree generator.
//
//   taglib_bench gen AUDIO.mp3 FOLDER COUNT        a tree of COUNT tagged copies of AUDIO.mp3
//   taglib_bench big AUDIO.mp3 FILE MB             one file of about MB megabytes, tagged
//   taglib_bench scan FOLDER                       FileRef over every .mp3: tags and audio properties
//   taglib_bench save FOLDER TITLE                 MPEG::File: new title, save() in the same version
//   taglib_bench grow FILE PRISTINE ROUNDS         a tag grown beyond its padding (rebuild), per round
//
// The tags of the generated files are written by TagLib, never by Vorda, so the benchmark reads
// what another tool wrote. Timings go to standard error as "key=value" words.
#include "BenchSupport.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace vorda::bench;

namespace {

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeWhole(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A small deterministic generator, so two runs build the same tree.
struct Random {
    uint64_t state;
    uint32_t next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
};

// 30 KB that look like a JPEG to a tag reader (markers at both ends, noise between).
TagLib::ByteVector pictureBytes(Random& rnd) {
    std::string bytes(30 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(rnd.next() & 0xFF);
    const char head[] = {'\xFF', '\xD8', '\xFF', '\xE0', '\x00', '\x10', 'J', 'F', 'I', 'F', '\x00'};
    std::copy(std::begin(head), std::end(head), bytes.begin());
    bytes[bytes.size() - 2] = '\xFF';
    bytes[bytes.size() - 1] = '\xD9';
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
}

const char* const kGenres[] = {"Rock", "Jazz", "Pop", "Classical", "Electronic", "Blues", "Folk", "Hip-Hop"};

// Tags one file: ID3v2.3 or 2.4 in Latin-1, UTF-16 or UTF-8, a picture for one file in ten,
// an ID3v1 tag for four files in five.
bool tagFile(const std::string& path, int index, Random& rnd) {
    const bool v24 = index % 2 == 1;
    const int textKind = (index / 2) % 3;  // 0 Latin-1, 1 UTF-16, 2 UTF-8 (2.4) or UTF-16 (2.3)
    const TagLib::String::Type encoding =
        textKind == 0 ? TagLib::String::Latin1 : (textKind == 1 || !v24 ? TagLib::String::UTF16 : TagLib::String::UTF8);
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(encoding);

    // Non-ASCII text where the encoding can hold it.
    const std::string accent = textKind == 0 ? "Caf\u00e9 " : "\u041c\u0443\u0437\u044b\u043a\u0430 \u00e9 ";
    const int folder = index / 100;
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid()) return false;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle(TagLib::String(accent + "Title " + std::to_string(index), TagLib::String::UTF8));
    tag->setArtist(TagLib::String("Artist " + std::to_string(folder / 10), TagLib::String::UTF8));
    tag->setAlbum(TagLib::String(accent + "Album " + std::to_string(folder), TagLib::String::UTF8));
    tag->setYear(1960 + static_cast<unsigned>(index % 60));
    tag->setTrack(static_cast<unsigned>(index % 100 + 1));
    tag->setComment(TagLib::String("Comment number " + std::to_string(index), TagLib::String::UTF8));
    tag->setGenre(kGenres[index % 8]);

    auto* composer = new TagLib::ID3v2::TextIdentificationFrame("TCOM", encoding);
    composer->setText("Composer " + std::to_string(index % 37));
    tag->addFrame(composer);
    auto* encoder = new TagLib::ID3v2::TextIdentificationFrame("TENC", encoding);
    encoder->setText("LAME");
    tag->addFrame(encoder);
    if (index % 10 == 0) {
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("image/jpeg");
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setDescription("cover");
        picture->setPicture(pictureBytes(rnd));
        tag->addFrame(picture);
    }

    const bool withV1 = index % 5 != 4;
    const int kinds = TagLib::MPEG::File::ID3v2 | (withV1 ? TagLib::MPEG::File::ID3v1 : 0);
    return file.save(kinds, TagLib::File::StripOthers, v24 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3,
                     TagLib::File::Duplicate);
}

int generate(const std::string& audioPath, const std::string& folder, int count) {
    const std::string audio = readWhole(audioPath);
    if (audio.empty()) {
        std::fprintf(stderr, "cannot read %s\n", audioPath.c_str());
        return 1;
    }
    const auto start = Clock::now();
    Random rnd{12345};
    for (int i = 0; i < count; ++i) {
        const int f = i / 100;
        const std::string dir = folder + "/Artist " + std::to_string(f / 10) + "/Album " + std::to_string(f);
        if (i % 100 == 0) fs::create_directories(dir);
        char name[64];
        std::snprintf(name, sizeof name, "/%02d - Track %06d.mp3", i % 100 + 1, i);
        const std::string path = dir + name;
        if (!writeWhole(path, audio) || !tagFile(path, i, rnd)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::fprintf(stderr, "generated=%d seconds=%.3f\n", count, secondsSince(start));
    return 0;
}

// Length in bytes of the MPEG frame whose header starts at p (0 when it is no header this
// generator knows: MPEG-1 layer III is what lame writes at 44.1 kHz).
size_t frameLength(const unsigned char* p) {
    static const int kBitRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates[] = {44100, 48000, 32000, 0};
    if (p[0] != 0xFF || (p[1] & 0xFE) != 0xFA) return 0;
    const int bitRate = kBitRates[p[2] >> 4];
    const int rate = kRates[(p[2] >> 2) & 3];
    if (bitRate == 0 || rate == 0) return 0;
    return static_cast<size_t>(144000 * bitRate / rate + ((p[2] >> 1) & 1));
}

// One large file: the audio frames of AUDIO.mp3 (without its Info frame) repeated, then tagged
// with a small ID3v2.3 tag and an ID3v1 tag.
int big(const std::string& audioPath, const std::string& path, long megabytes) {
    const std::string audio = readWhole(audioPath);
    const size_t first = audio.size() >= 4 ? frameLength(reinterpret_cast<const unsigned char*>(audio.data())) : 0;
    if (first == 0 || first >= audio.size()) {
        std::fprintf(stderr, "%s does not start with an MPEG-1 layer III frame\n", audioPath.c_str());
        return 1;
    }
    const std::string frames = audio.substr(first);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const long long target = megabytes * 1024LL * 1024LL;
        for (long long written = 0; written < target; written += static_cast<long long>(frames.size()))
            out.write(frames.data(), static_cast<std::streamsize>(frames.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(TagLib::String::Latin1);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle("A long recording");
    tag->setArtist("Some Artist");
    tag->setAlbum("Some Album");
    tag->setYear(2001);
    tag->setTrack(1);
    if (!file.save(TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::ID3v1, TagLib::File::StripOthers, TagLib::ID3v2::v3,
                   TagLib::File::Duplicate)) {
        std::fprintf(stderr, "cannot tag %s\n", path.c_str());
        return 1;
    }
    std::fprintf(stderr, "size=%lld\n", static_cast<long long>(fs::file_size(path)));
    return 0;
}

int scan(const std::string& folder) {
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    std::string line;
    long files = 0;
    for (const std::string& path : mp3Files(folder)) {
        TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Average);
        if (ref.isNull()) continue;
        ++files;
        line = path;
        if (const TagLib::Tag* tag = ref.tag()) {
            for (const TagLib::String& s : {tag->title(), tag->artist(), tag->album(), tag->comment(), tag->genre()}) {
                line += '\t';
                line += s.to8Bit(true);
            }
            line += '\t' + std::to_string(tag->year()) + '\t' + std::to_string(tag->track());
        }
        if (const TagLib::AudioProperties* audio = ref.audioProperties()) {
            line += '\t' + std::to_string(audio->bitrate()) + '\t' + std::to_string(audio->sampleRate()) + '\t' +
                    std::to_string(audio->lengthInMilliseconds()) + '\t' + std::to_string(audio->channels());
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
    const double seconds = secondsSince(start);
    const double cpu = cpuSeconds() - cpuStart;
    std::fprintf(stderr, "files=%ld seconds=%.4f files_per_second=%.0f cpu_seconds=%.4f files_per_cpu_second=%.0f\n",
                 files, seconds, files / seconds, cpu, files / cpu);
    return 0;
}

// The title of every file changes; each file is saved with the tag kinds and ID3v2 version it had.
int save(const std::string& folder, const std::string& title) {
    const std::vector<std::string> files = mp3Files(folder);
    const TagLib::String text(title, TagLib::String::UTF8);
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    long saved = 0;
    long failed = 0;
    for (const std::string& path : files) {
        TagLib::MPEG::File file(path.c_str(), false);
        if (!file.isValid() || !file.hasID3v2Tag()) {
            ++failed;
            continue;
        }
        const TagLib::ID3v2::Version version =
            file.ID3v2Tag()->header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
        const int kinds = TagLib::MPEG::File::ID3v2 | (file.hasID3v1Tag() ? TagLib::MPEG::File::ID3v1 : 0);
        file.ID3v2Tag()->setTitle(text);
        if (file.save(kinds, TagLib::File::StripNone, version, TagLib::File::Duplicate))
            ++saved;
        else
            ++failed;
    }
    const double seconds = secondsSince(start);
    const double cpu = cpuSeconds() - cpuStart;
    std::fprintf(stderr,
                 "files=%ld failed=%ld seconds=%.4f files_per_second=%.0f cpu_seconds=%.4f files_per_cpu_second=%.0f\n",
                 saved, failed, seconds, saved / seconds, cpu, saved / cpu);
    return failed == 0 ? 0 : 1;
}

// Restores FILE from PRISTINE (flushed, untimed), then times a save whose tag outgrows its room.
int grow(const std::string& path, const std::string& pristine, int rounds) {
    const std::string comment(8192, 'c');
    double best = 0;
    double size = 0;
    for (int r = 0; r < rounds; ++r) {
        fs::copy_file(pristine, path, fs::copy_options::overwrite_existing);
        if (!flushFile(path)) std::fprintf(stderr, "cannot flush %s\n", path.c_str());
        size = static_cast<double>(fs::file_size(path));
        const auto start = Clock::now();
        TagLib::MPEG::File file(path.c_str(), false);
        file.ID3v2Tag(true)->setComment(TagLib::String(comment + std::to_string(r)));
        const bool ok = file.save(TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::ID3v1, TagLib::File::StripNone,
                                  TagLib::ID3v2::v3, TagLib::File::Duplicate);
        const double seconds = secondsSince(start);
        if (!ok) {
            std::fprintf(stderr, "cannot save %s\n", path.c_str());
            return 1;
        }
        const double rate = size / (1024.0 * 1024.0) / seconds;
        best = std::max(best, rate);
        std::fprintf(stderr, "round=%d seconds=%.4f mb_per_second=%.1f\n", r, seconds, rate);
    }
    std::fprintf(stderr, "best_mb_per_second=%.1f\n", best);
    return 0;
}

int usage() {
    std::fputs("Usage: taglib_bench gen AUDIO.mp3 FOLDER COUNT\n"
               "       taglib_bench big AUDIO.mp3 FILE MB\n"
               "       taglib_bench scan FOLDER\n"
               "       taglib_bench save FOLDER TITLE\n"
               "       taglib_bench grow FILE PRISTINE ROUNDS\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string& command = args[0];
    try {
        if (command == "gen" && args.size() == 4) return generate(args[1], args[2], std::stoi(args[3]));
        if (command == "big" && args.size() == 4) return big(args[1], args[2], std::stol(args[3]));
        if (command == "scan" && args.size() == 2) return scan(args[1]);
        if (command == "save" && args.size() == 3) return save(args[1], args[2]);
        if (command == "grow" && args.size() == 4) return grow(args[1], args[2], std::stoi(args[3]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "taglib_bench: %s\n", e.what());
        return 1;
    }
    return usage();
}
