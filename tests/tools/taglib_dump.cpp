// SPDX-License-Identifier: GPL-2.0-or-later

// Prints what TagLib reads from MPEG files, for the interop tests: one "key=value" line
// per field (title, artist, album, comment, genre, year, track) and per ID3v2 text frame.
#include <cstdio>
#include <string>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        TagLib::MPEG::File file(argv[i]);
        if (!file.isValid()) {
            std::printf("error=invalid\n");
            status = 1;
            continue;
        }
        if (TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(false)) {
            std::printf("v2.version=%u\n", v2->header()->majorVersion());
            for (const auto* frame : v2->frameList()) {
                const std::string id(frame->frameID().data(), frame->frameID().size());
                if (id[0] == 'T' && id != "TXXX")
                    std::printf("v2.%s=%s\n", id.c_str(), frame->toString().to8Bit(true).c_str());
            }
        }
        if (TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(false)) {
            std::printf("v1.title=%s\n", v1->title().to8Bit(true).c_str());
            std::printf("v1.artist=%s\n", v1->artist().to8Bit(true).c_str());
            std::printf("v1.track=%u\n", v1->track());
        }
        if (const auto* audio = file.audioProperties())
            std::printf("audio.length=%d\naudio.samplerate=%d\n", audio->lengthInSeconds(), audio->sampleRate());
    }
    return status;
}
