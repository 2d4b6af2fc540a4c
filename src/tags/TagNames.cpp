// SPDX-License-Identifier: GPL-2.0-or-later

// The names of the value keys and the audio-information indexes.
#include "tags/AudioInfo.h"
#include "tags/TagHandler.h"

namespace vorda::tags {

const char* const kValueKeyNames[kValueKeyCount] = {
    "tvTitle",     "tvArtist",    "tvAlbum",     "tvYear",      "tvTrack",   "tvComment",  "tvComposer",
    "tvOrgArtist", "tvCopyright", "tvURL",       "tvEncodedBy", "tvV1Title", "tvV1Artist", "tvV1Album",
    "tvV1Year",    "tvV1Track",   "tvV1Comment", "tvV1Genre",   "tvGenre",   "tvV2Title",  "tvV2Artist",
    "tvV2Album",   "tvV2Track",   "tvV2Year",    "tvV2Comment", "tvV2Genre", "tvV2Frame",  "tvMood",
    "tvSituation", "tvLyrics",    "tvQuality",   "tvAuthor",    "tvImages",  "tvOtherInfo"};

const char* const kAudioInfoNames[kAudioInfoCount] = {"aiVersion", "aiBitRate",  "aiChannelMode", "aiCopyright",
                                                      "aiCRC",     "aiDuration", "aiEmphasis",    "aiVBR",
                                                      "aiLayer",   "aiOriginal", "aiPrivate",     "aiSampleRate"};

}  // namespace vorda::tags
