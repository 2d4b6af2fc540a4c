// SPDX-License-Identifier: GPL-2.0-or-later

// Building the export text: row choice and numbering, every value's form, the start and end
// sections, escaping per kind, the cover style, and writing the result.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "ExportTestSupport.h"
#include "export/CoverStyle.h"
#include "export/ExportGenerator.h"

using namespace vorda::exports;
using listtest::TempDir;
using listtest::writeFile;
using testsupport::readBytes;

namespace {

// Dates in these tests are read in UTC.
const bool kUtc = [] {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    return true;
}();

constexpr std::time_t kNow = 1775039405;       // 2026-04-01 10:30:05 UTC
constexpr std::time_t kModified = 1700000000;  // 2023-11-14 22:13:20 UTC

ExportRow makeRow(const std::string& artist, const std::string& title, bool selected = false) {
    ExportRow row;
    row.selected = selected;
    row.artist = artist;
    row.title = title;
    row.fileName = title + ".mp3";
    row.folder = "/music/" + artist + "/";
    row.modified = kModified;
    return row;
}

ExportOptions optionsFor(ExportType type = ExportType::Custom, bool allFiles = true) {
    ExportOptions options;
    options.type = type;
    options.allFiles = allFiles;
    options.now = kNow;
    return options;
}

}  // namespace

TEST(ExportGenerator, RowChoiceNumberingAndOddEven) {
    std::vector<ExportRow> rows;
    for (int i = 1; i <= 6; ++i) rows.push_back(makeRow("A", "t" + std::to_string(i)));
    rows[1].selected = rows[2].selected = rows[4].selected = true;  // list positions 2, 3, 5
    const ExportTemplate tpl{"<totfiles> <rownr>", "<rownr>:<oddeven>:<title>", "<totfiles> <oddeven>"};

    EXPECT_EQ(generateExportCode(tpl, rows, optionsFor(ExportType::Custom, false)),
              "3 <rownr>\r\n1:EvenRow:t2\r\n2:OddRow:t3\r\n3:OddRow:t5\r\n3 <oddeven>");

    // A row that cannot be read is neither exported nor numbered, but still counts for the total
    // and for the positions of the rows after it.
    rows[0].readable = false;
    EXPECT_EQ(generateExportCode(tpl, rows, optionsFor()),
              "6 <rownr>\r\n1:EvenRow:t2\r\n2:OddRow:t3\r\n3:EvenRow:t4\r\n4:OddRow:t5\r\n5:EvenRow:t6\r\n6 "
              "<oddeven>");

    // A row whose text is only blanks writes no line, yet takes its number.
    rows[0].readable = true;
    rows[2].comment = "noted";
    EXPECT_EQ(generateExportCode({"", "  <comment>  ", ""}, rows, optionsFor()), "\r\n  noted  \r\n");
    EXPECT_EQ(generateExportCode({"", "<rownr><comment>", ""}, rows, optionsFor()),
              "\r\n1\r\n2\r\n3noted\r\n4\r\n5\r\n6\r\n");
    EXPECT_EQ(generateExportCode({"", " <comment>", ""}, rows, optionsFor()), "\r\n noted\r\n");
}

TEST(ExportGenerator, EveryPlaceholderHasItsForm) {
    ExportRow row = makeRow("Artist", "Title");
    row.album = "Album";
    row.track = "7/12";
    row.year = "1999";
    row.genre = "Rock";
    row.comment = "Comment";
    row.composer = "Composer";
    row.copyright = "(c) Someone";
    row.encoder = "lame";
    row.link = "http://example.org/";
    row.bitRate = "128000";
    row.channelMode = "Joint Stereo";
    row.layer = "3";
    row.mpegVersion = "1";
    row.original = "-1";
    row.sampleRate = "44100";
    row.durationSeconds = 185;
    row.fileSize = 1536;
    row.fileName = "07 Title.mp3";
    row.folder = "/music/rock/";

    const std::string all = "<artist>|<album>|<title>|<track>|<year>|<genre>|<comment>|<composer>|<copyright>|"
                            "<encoder>|<link>|<bitrate>|<channelmode>|<layer>|<mpegver>|<original>|<samplerate>|"
                            "<seconds>|<duration>|<filedate>|<filesize>|<filename>|<rel_filepath>|<filepath>";
    const std::string expected = "Artist|Album|Title|7/12|1999|Rock|Comment|Composer|(c) Someone|lame|"
                                 "http://example.org/|128000|Joint Stereo|Layer 3|MPEG 1|-1|44100|185|03:05|"
                                 "2023-11-14 22:13:20|2 kB|07 Title.mp3|music/rock|/music/rock";
    EXPECT_EQ(generateExportCode({"", all, ""}, {row}, optionsFor()), "\r\n" + expected + "\r\n");
    // The start and end sections take the same values from the first exported file.
    EXPECT_EQ(generateExportCode({all, "", all}, {row}, optionsFor()), expected + "\r\n" + expected);

    // The pattern-only placeholders and unknown names stay text; names are case-sensitive.
    EXPECT_EQ(generateExportCode({"", "<uletter><dummy><Artist><artist <artist><<artist>>", ""}, {row}, optionsFor()),
              "\r\n<uletter><dummy><Artist><artist Artist<Artist>\r\n");

    // Track padding; sizes; durations; folders at the root.
    ExportOptions padded = optionsFor();
    padded.trackDigits = 3;
    EXPECT_EQ(generateExportCode({"", "<track>", ""}, {row}, padded), "\r\n007/12\r\n");
    row.track = "";
    EXPECT_EQ(generateExportCode({"", "[<track>]", ""}, {row}, padded), "\r\n[]\r\n");
    const std::pair<std::uint64_t, const char*> sizes[] = {{0, "0 kB"},
                                                           {511, "0 kB"},
                                                           {512, "1 kB"},
                                                           {1536, "2 kB"},
                                                           {1234 * 1024, "1 234 kB"},
                                                           {1234567ULL * 1024, "1 234 567 kB"},
                                                           {999999ULL * 1024 + 600, "1 000 000 kB"}};
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(formatFileSize(bytes), text) << bytes;
    row.durationSeconds = 6000;
    row.folder = "/";
    EXPECT_EQ(generateExportCode({"", "<duration>|<rel_filepath>|<filepath>", ""}, {row}, optionsFor()),
              "\r\n100:00||/\r\n");
    row.durationSeconds = -1;
    EXPECT_EQ(generateExportCode({"", "[<seconds>][<duration>]", ""}, {row}, optionsFor()), "\r\n[][]\r\n");
}

TEST(ExportGenerator, StartAndEndSections) {
    std::vector<ExportRow> rows{makeRow("First", "a"), makeRow("Second", "b", true), makeRow("Third", "c", true)};
    const ExportTemplate tpl{"<artist> <totfiles> <todaydate> <todaytime>", "<artist><totfiles><todaydate>", "<title>"};
    EXPECT_EQ(generateExportCode(tpl, rows, optionsFor()),
              "First 3 2026-04-01 10:30:05\r\nFirst<totfiles><todaydate>\r\nSecond<totfiles><todaydate>\r\n"
              "Third<totfiles><todaydate>\r\na");
    EXPECT_EQ(generateExportCode(tpl, rows, optionsFor(ExportType::Custom, false)),
              "Second 2 2026-04-01 10:30:05\r\nSecond<totfiles><todaydate>\r\nThird<totfiles><todaydate>\r\nb");

    // Nothing exported: the file values of the start and end sections are empty, the export completes.
    for (ExportRow& row : rows) row.selected = false;
    EXPECT_EQ(generateExportCode({"[<artist>|<filedate>|<filesize>|<totfiles>]", "<artist>", "[<layer>]"}, rows,
                                 optionsFor(ExportType::Csv, false)),
              "[|||0]\r\n[]");
    EXPECT_EQ(generateExportCode({"s", "r", "e"}, {}, optionsFor()), "s\r\ne");

    // Without a fixed moment the clock is read.
    ExportOptions clock = optionsFor();
    clock.now.reset();
    const std::time_t before = std::time(nullptr);
    const std::string today = generateExportCode({"<todaydate>", "", ""}, {}, clock);
    EXPECT_TRUE(today == formatDate(before) + "\r\n" || today == formatDate(std::time(nullptr)) + "\r\n") << today;
}

TEST(ExportGenerator, ValuesAreInsertedOnceAndEscapedForTheirKind) {
    ExportRow row = makeRow("Tom <album> Jones", "<script>alert('x')</script>");
    row.album = "Real & \"Album\"";
    row.comment = "a;b \"quoted\"\r\nsecond line";
    row.genre = "Pop, Rock";
    const ExportTemplate tpl{"<artist>", "<artist>|<album>|<title>", ""};

    // Custom: unchanged, but a placeholder inside a value is never filled.
    EXPECT_EQ(generateExportCode(tpl, {row}, optionsFor(ExportType::Custom)),
              "Tom <album> Jones\r\nTom <album> Jones|Real & \"Album\"|<script>alert('x')</script>\r\n");
    // HTML and the CD cover escape markup.
    const std::string html = "Tom &lt;album&gt; Jones|Real &amp; &quot;Album&quot;|"
                             "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;";
    EXPECT_EQ(generateExportCode(tpl, {row}, optionsFor(ExportType::Html)),
              "Tom &lt;album&gt; Jones\r\n" + html + "\r\n");
    EXPECT_EQ(generateExportCode(tpl, {row}, optionsFor(ExportType::CdCover)),
              "Tom &lt;album&gt; Jones\r\n" + html + "\r\n");
    // CSV quotes a value that holds a separator, a quote or a line break.
    EXPECT_EQ(generateExportCode({"", "<artist>;<comment>;<genre>", ""}, {row}, optionsFor(ExportType::Csv)),
              "\r\nTom <album> Jones;\"a;b \"\"quoted\"\"\r\nsecond line\";\"Pop, Rock\"\r\n");
    // A line-based playlist keeps each value on its line, so a tag cannot add entries.
    EXPECT_EQ(generateExportCode({"", "#EXTINF:0,<comment>", ""}, {row}, optionsFor(ExportType::M3u)),
              "\r\n#EXTINF:0,a;b \"quoted\"  second line\r\n");
    EXPECT_EQ(escapeValue(ExportType::Pls, "x\ny"), "x y");
    EXPECT_EQ(escapeValue(ExportType::Csv, "plain text"), "plain text");
}

TEST(ExportGenerator, CoverStyle) {
    EXPECT_EQ(htmlColor(255, 0, 0), "#ff0000");
    EXPECT_EQ(htmlColor(128, 128, 128), "#808080");
    EXPECT_EQ(htmlColor(10, 171, 16), "#0aab10");
    EXPECT_EQ(formatFontSize(10), "10");
    EXPECT_EQ(formatFontSize(8.25), "8.25");

    ExportOptions options = optionsFor(ExportType::CdCover);
    options.cover.front.backColor = "#ff0000";
    options.cover.back.fontName = "DejaVu Serif";
    options.cover.back.fontSize = 8.25;
    options.cover.back.textColor = "#808080";
    options.cover.back.backPicture = "/home/me/My Pictures/back (1).jpg";
    options.cover.sides.title = "<album> & more";
    const ExportTemplate tpl{"#CoverFront{}\r\n#CoverBack{}\r\n#CoverBackTitle{}\r\n#TrackText{}\r\n#CoverSide{}",
                             "<CoverFrontTitle>", "<CoverFrontTitle>/<CoverSideTitle>/<CoverBackTitle>"};
    ExportRow row = makeRow("AC/DC", "x");
    row.album = "High <Voltage>";
    EXPECT_EQ(generateExportCode(tpl, {row}, options),
              "#CoverFront { background-color:#ff0000; font-family:Arial; font-size:10pt;  }\r\n"
              "#CoverBack { background:URL(\"/home/me/My Pictures/back (1).jpg\"); color:#808080; "
              "font-family:DejaVu Serif; font-size:8.25pt;  }\r\n"
              "#CoverBackTitle { color:#808080; font-family:DejaVu Serif; font-size:8.25pt;  }\r\n"
              "#TrackText { color:#808080; font-family:DejaVu Serif;  }\r\n"
              "#CoverSide { font-family:Arial; font-size:10pt;  }\r\n"
              // The cover placeholders belong to the start and end sections only.
              "<CoverFrontTitle>\r\n"
              "AC/DC - High &lt;Voltage&gt;/High &lt;Voltage&gt; &amp; more/AC/DC - High &lt;Voltage&gt;");

    // Other kinds leave the cover placeholders alone.
    EXPECT_EQ(generateExportCode({"#CoverFront{}<CoverFrontTitle>", "", ""}, {row}, optionsFor(ExportType::Html)),
              "#CoverFront{}<CoverFrontTitle>\r\n");
}

TEST(ExportGenerator, WritingTheResult) {
    TempDir dir;
    const std::string path = dir / "out/list.m3u";
    writeFile(path, "an older, longer export that is replaced completely");
    ASSERT_FALSE(writeExport(path, "#EXTM3U\r\n/a.mp3\r\n"));
    EXPECT_EQ(readBytes(path), "#EXTM3U\r\n/a.mp3\r\n\r\n");

    // Line breaks typed into the sections are written as CR LF.
    const std::string text = generateExportCode({"a\nb", "<title>\n", "c\rd"}, {makeRow("x", "t")}, optionsFor());
    EXPECT_EQ(text, "a\r\nb\r\nt\r\n\r\nc\r\nd");

    EXPECT_TRUE(writeExport(dir / "no/such/folder/list.csv", "x"));

    // An export that runs out of room (here: the file-size limit) keeps the old file whole and
    // leaves no temporary file behind.
    std::error_code full;
    exporttest::withFileSizeLimit(100000, [&] { full = writeExport(path, std::string(200000, 'x')); });
    EXPECT_EQ(full, std::errc::file_too_large);
    EXPECT_EQ(readBytes(path), "#EXTM3U\r\n/a.mp3\r\n\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), std::filesystem::directory_iterator()),
              1);

    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_EQ(::chmod((dir / "out").c_str(), 0555), 0);
    EXPECT_EQ(writeExport(path, "new"), std::errc::permission_denied);
    EXPECT_EQ(readBytes(path), "#EXTM3U\r\n/a.mp3\r\n\r\n");
}
