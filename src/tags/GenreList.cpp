// SPDX-License-Identifier: GPL-2.0-or-later

#include "tags/GenreList.h"

#include <array>

#include "base/Text.h"

namespace vorda::tags {

using base::equalsNoCase;

namespace {

// The numbers are the ID3v1 genre byte values: 0..79 the original list, 80..147 the
// common extension. The spellings are kept as generations of files carry them.
constexpr std::array<std::string_view, GenreTable::kCount> kGenreNames = {"Blues",
                                                                          "Classic Rock",
                                                                          "Country",
                                                                          "Dance",
                                                                          "Disco",
                                                                          "Funk",
                                                                          "Grunge",
                                                                          "Hip-Hop",
                                                                          "Jazz",
                                                                          "Metal",
                                                                          "New Age",
                                                                          "Oldies",
                                                                          "Other",
                                                                          "Pop",
                                                                          "R&B",
                                                                          "Rap",
                                                                          "Reggae",
                                                                          "Rock",
                                                                          "Techno",
                                                                          "Industrial",
                                                                          "Alternative",
                                                                          "Ska",
                                                                          "Death Metal",
                                                                          "Pranks",
                                                                          "Soundtrack",
                                                                          "Euro-Techno",
                                                                          "Ambient",
                                                                          "Trip-Hop",
                                                                          "Vocal",
                                                                          "Jazz+Funk",
                                                                          "Fusion",
                                                                          "Trance",
                                                                          "Classical",
                                                                          "Instrumental",
                                                                          "Acid",
                                                                          "House",
                                                                          "Game",
                                                                          "Sound Clip",
                                                                          "Gospel",
                                                                          "Noise",
                                                                          "Alt. Rock",
                                                                          "Bass",
                                                                          "Soul",
                                                                          "Punk",
                                                                          "Space",
                                                                          "Meditative",
                                                                          "Instrumental Pop",
                                                                          "Instrumental Rock",
                                                                          "Ethnic",
                                                                          "Gothic",
                                                                          "Darkwave",
                                                                          "Techno-Industrial",
                                                                          "Electronic",
                                                                          "Pop-Folk",
                                                                          "Eurodance",
                                                                          "Dream",
                                                                          "Southern Rock",
                                                                          "Comedy",
                                                                          "Cult",
                                                                          "Gangsta Rap",
                                                                          "Top 40",
                                                                          "Christian Rap",
                                                                          "Pop/Funk",
                                                                          "Jungle",
                                                                          "Native American",
                                                                          "Cabaret",
                                                                          "New Wave",
                                                                          "Psychadelic",
                                                                          "Rave",
                                                                          "Showtunes",
                                                                          "Trailer",
                                                                          "Lo-Fi",
                                                                          "Tribal",
                                                                          "Acid Punk",
                                                                          "Acid Jazz",
                                                                          "Polka",
                                                                          "Retro",
                                                                          "Musical",
                                                                          "Rock & Roll",
                                                                          "Hard Rock",
                                                                          "Folk",
                                                                          "Folk-Rock",
                                                                          "National Folk",
                                                                          "Swing",
                                                                          "Fast Fusion",
                                                                          "Bebob",
                                                                          "Latin",
                                                                          "Revival",
                                                                          "Celtic",
                                                                          "Bluegrass",
                                                                          "Avantgarde",
                                                                          "Gothic Rock",
                                                                          "Progressive Rock",
                                                                          "Psychedelic Rock",
                                                                          "Symphonic Rock",
                                                                          "Slow Rock",
                                                                          "Big Band",
                                                                          "Chorus",
                                                                          "Easy Listening",
                                                                          "Acoustic",
                                                                          "Humour",
                                                                          "Speech",
                                                                          "Chanson",
                                                                          "Opera",
                                                                          "Chamber Music",
                                                                          "Sonata",
                                                                          "Symphony",
                                                                          "Booty Bass",
                                                                          "Primus",
                                                                          "Porn Groove",
                                                                          "Satire",
                                                                          "Slow Jam",
                                                                          "Club",
                                                                          "Tango",
                                                                          "Samba",
                                                                          "Folklore",
                                                                          "Ballad",
                                                                          "Power Ballad",
                                                                          "Rhytmic Soul",
                                                                          "Freestyle",
                                                                          "Duet",
                                                                          "Punk Rock",
                                                                          "Drum Solo",
                                                                          "A Capella",
                                                                          "Euro-House",
                                                                          "Dance Hall",
                                                                          "Goa",
                                                                          "Drum & Bass",
                                                                          "Club-House",
                                                                          "Hardcore",
                                                                          "Terror",
                                                                          "Indie",
                                                                          "BritPop",
                                                                          "Negerpunk",
                                                                          "Polsk Punk",
                                                                          "Beat",
                                                                          "Christian Gangsta Rap",
                                                                          "Heavy Metal",
                                                                          "Black Metal",
                                                                          "Crossover",
                                                                          "Contemporary Christian",
                                                                          "Christian Rock",
                                                                          "Merengue",
                                                                          "Salsa",
                                                                          "Thrash Metal",
                                                                          "Anime",
                                                                          "JPop",
                                                                          "Synthpop"};

}  // namespace

std::string GenreTable::genre(int number) const {
    if (number < 0 || number >= kCount) return {};
    return std::string(kGenreNames[static_cast<size_t>(number)]);
}

int GenreTable::genreId(std::string_view name) const {
    if (name.empty() || name.size() > kEntryWidth) return kNoGenre;
    // The name followed by spaces up to the entry width must equal a padded entry: the name
    // without its trailing spaces equals an entry's name. A text of spaces only is no name.
    const size_t end = name.find_last_not_of(' ');
    if (end == std::string_view::npos) return kNoGenre;
    const std::string_view bare = name.substr(0, end + 1);
    for (int i = 0; i < kCount; ++i)
        if (equalsNoCase(bare, kGenreNames[static_cast<size_t>(i)])) return i;
    return kNoGenre;
}

bool GenreTable::hasGenre(std::string_view name) const { return genreId(name) != kNoGenre; }

}  // namespace vorda::tags
