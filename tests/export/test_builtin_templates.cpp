// SPDX-License-Identifier: GPL-2.0-or-later

// The built-in templates on real tagged MP3 files: each export is read back by a real reader of
// its kind (the list's own playlist import, Python's csv module and HTML parser).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExportTestSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "base/Text.h"
#include "export/ExportGenerator.h"
#include "export/ListExport.h"

using namespace vorda::exports;
using exporttest::runCheck;
using listtest::TempDir;
using testsupport::readBytes;

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t end = text.find('\n', pos);
        lines.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return lines;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

struct BuiltInTemplates : ::testing::Test {
    static void SetUpTestSuite() {
        files_ = new TempDir;
        const TempDir& dir = *files_;
        exporttest::makeTaggedMp3(dir / "music/Band/01 Intro.mp3", {{"TPE1", "Band"},
                                                                    {"TALB", "First & Best"},
                                                                    {"TIT2", "Intro"},
                                                                    {"TRCK", "1"},
                                                                    {"TDRC", "2001"},
                                                                    {"TCON", "Rock"},
                                                                    {"COMM", "plain"}});
        exporttest::makeTaggedMp3(dir / "music/Band/02 Semi;colon.mp3",
                                  {{"TPE1", "Tom <album> Jones"},
                                   {"TALB", "First & Best"},
                                   {"TIT2", "Say \"Hi\"; <b>now</b>"},
                                   {"COMM", "line one\nline two"}},
                                  800);
        exporttest::makeTaggedMp3(dir / "music/Caf\xC3\xA9/03 S\xC3\xB3l.mp3",
                                  {{"TPE1", "Sigur R\xC3\xB3s"}, {"TIT2", "Hopp\xC3\xADpolla"}, {"TRCK", "3/10"}});
        exporttest::makeTaggedMp3(dir / "music/sub dir/04 <script>.mp3",
                                  {{"TPE1", "<script>alert(1)</script>"}, {"TIT2", "It's"}});
    }
    static void TearDownTestSuite() {
        delete files_;
        files_ = nullptr;
    }

    std::vector<std::string> filePaths() const {
        return {*files_ / "music/Band/01 Intro.mp3", *files_ / "music/Band/02 Semi;colon.mp3",
                *files_ / "music/Caf\xC3\xA9/03 S\xC3\xB3l.mp3", *files_ / "music/sub dir/04 <script>.mp3"};
    }
    std::vector<ExportRow> fileRows() const {
        std::vector<ExportRow> rows;
        for (const std::string& path : filePaths()) rows.push_back(rowFromFile(path, vorda::tags::TagOptions{}, true));
        return rows;
    }

    // Exports every row with the built-in template of the type into out/<name>; returns the path.
    std::string exportWith(ExportType type, const std::string& name) {
        ExportTemplate tpl;
        EXPECT_FALSE(loadTemplateFile(VORDA_TEMPLATES_DIR + builtInTemplateName(type), tpl));
        ExportOptions options;
        options.type = type;
        const std::string text = generateExportCode(tpl, fileRows(), options);
        for (const char* left :
             {"<rownr>", "<oddeven>", "<totfiles>", "<todaydate>", "<todaytime>", "<filename>", "<filepath>",
              "<seconds>", "<duration>", "<title>", "#CoverFront{}", "#TrackText{}", "<CoverSideTitle>"})
            EXPECT_EQ(text.find(left), std::string::npos) << left << " left in " << name;
        const std::string path = out_ / name;
        EXPECT_FALSE(writeExport(path, text));
        return path;
    }

    // The files a playlist names, read back by the list's playlist import.
    std::vector<std::string> importPlaylist(const std::string& path) {
        vorda::app::FileList list;
        listtest::RecordingUI ui;
        vorda::app::Settings settings;
        settings.autoReadTags = false;
        vorda::app::ListCommands commands(list, ui, settings);
        commands.importPlaylist(path);
        std::vector<std::string> paths;
        for (int row = 1; row <= list.count(); ++row) paths.push_back(list.getFullPath(row));
        return paths;
    }

    static TempDir* files_;
    TempDir out_;
};

TempDir* BuiltInTemplates::files_ = nullptr;

}  // namespace

TEST_F(BuiltInTemplates, PlaylistsReadBackAsTheExportedFiles) {
    const std::string m3u = exportWith(ExportType::M3u, "list.m3u");
    EXPECT_EQ(importPlaylist(m3u), filePaths());
    const std::vector<std::string> m3uLines = splitLines(readBytes(m3u));
    EXPECT_EQ(m3uLines.front(), "#EXTM3U\r");
    EXPECT_EQ(m3uLines[1], "#EXTINF:10,Band - Intro\r");
    EXPECT_EQ(m3uLines[3], "#EXTINF:20,Tom <album> Jones - Say \"Hi\"; <b>now</b>\r");

    const std::string pls = exportWith(ExportType::Pls, "list.pls");
    EXPECT_EQ(importPlaylist(pls), filePaths());
    const std::string text = readBytes(pls);
    EXPECT_TRUE(
        text.starts_with("[playlist]\r\nFile1=" + filePaths()[0] + "\r\nTitle1=Band - Intro\r\nLength1=10\r\n"));
    EXPECT_NE(text.find("\r\nFile4=" + filePaths()[3] + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nNumberOfEntries=4\r\nVersion=2\r\n"), std::string::npos);
    EXPECT_EQ(text.find("File5"), std::string::npos);
}

TEST_F(BuiltInTemplates, CsvTableHoldsEveryValueInItsField) {
    const std::string csv = exportWith(ExportType::Csv, "list.csv");
    const std::vector<std::string> records = splitLines(runCheck("check_csv.py", {csv}));
    const std::vector<ExportRow> rows = fileRows();
    ASSERT_EQ(rows[1].artist, "Tom <album> Jones");  // the files carry their tags
    // Header, one record per file, the empty line after the end section, the checker's last newline.
    ASSERT_EQ(records.size(), 7u) << readBytes(csv);
    EXPECT_EQ(records[0], "[\"FileName\", \"Artist\", \"Album\", \"Title\", \"Track\", \"Year\", \"Genre\", "
                          "\"Comment\", \"Version\", \"Layer\", \"ChannelMode\", \"Composer\", \"Copyright\", "
                          "\"Encoder\", \"Duration\", \"BitRate\", \"SampleRate\", \"FileSize\", \"FileDate\", "
                          "\"Path\"]");
    for (size_t i = 0; i < rows.size(); ++i) {
        const ExportRow& r = rows[i];
        const std::string expected =
            "[" + jsonString(r.fileName) + ", " + jsonString(r.artist) + ", " + jsonString(r.album) + ", " +
            jsonString(r.title) + ", " + jsonString(r.track) + ", " + jsonString(r.year) + ", " + jsonString(r.genre) +
            ", " + jsonString(r.comment) + ", \"MPEG 1\", \"Layer 3\", " + jsonString(r.channelMode) +
            ", \"\", \"\", \"\", " + jsonString(i == 1 ? "00:20" : "00:10") + ", \"128000\", \"44100\", " +
            jsonString(formatFileSize(r.fileSize)) + ", " + jsonString(formatDateTime(r.modified)) + ", " +
            jsonString(r.folder.substr(0, r.folder.size() - 1)) + "]";
        EXPECT_EQ(records[i + 1], expected);
    }
    EXPECT_EQ(records[5], "[]");
}

TEST_F(BuiltInTemplates, HtmlPageIsWellFormedAndCarriesNoMarkupFromTags) {
    const std::string html = exportWith(ExportType::Html, "list.html");
    const std::vector<std::string> out = splitLines(runCheck("check_html.py", {html, "OddRow", "EvenRow", "info"}));
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[0], "balanced");
    // Header row, four files, the totals; no element came from a tag.
    EXPECT_NE(out[1].find("\"tr\": 6"), std::string::npos) << out[1];
    EXPECT_EQ(out[1].find("\"script\""), std::string::npos) << out[1];
    EXPECT_EQ(out[1].find("\"b\""), std::string::npos) << out[1];
    EXPECT_NE(out[2].find("\"OddRow\": [\"1Band"), std::string::npos) << out[2];
    EXPECT_NE(out[2].find("\"EvenRow\": [\"2Tom <album> JonesSay \\\"Hi\\\"; <b>now</b>"), std::string::npos) << out[2];
    EXPECT_NE(out[2].find("\"4<script>alert(1)</script>It's"), std::string::npos) << out[2];
    EXPECT_NE(readBytes(html).find("Total: 4 files"), std::string::npos);
}

TEST_F(BuiltInTemplates, CdCoverIsAPrintablePageWithEveryCoverPart) {
    const std::string cover = exportWith(ExportType::CdCover, "cover.html");
    const std::vector<std::string> out =
        splitLines(runCheck("check_html.py", {cover, "CoverFront", "CoverBackTitle", "TrackText", "side"}));
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[0], "balanced");
    EXPECT_NE(out[1].find("\"li\": 4"), std::string::npos) << out[1];
    EXPECT_EQ(out[1].find("\"script\""), std::string::npos) << out[1];
    // The titles are the first file's "<artist> - <album>".
    EXPECT_NE(out[2].find("\"CoverFront\": [\"\\r\\nBand - First & Best\\r\\n\"]"), std::string::npos) << out[2];
    EXPECT_NE(out[2].find("\"CoverBackTitle\": [\"Band - First & Best\"]"), std::string::npos) << out[2];
    EXPECT_NE(out[2].find("\"side\": [\"Band - First & Best\", \"Band - First & Best\"]"), std::string::npos) << out[2];
    EXPECT_NE(out[2].find("00:20Say \\\"Hi\\\"; <b>now</b>"), std::string::npos) << out[2];

    const std::string text = readBytes(cover);
    for (const char* size :
         {"width: 120mm; height: 120mm", "width: 151mm; height: 118mm", "flex: 0 0 6.5mm", "flex: 0 0 138mm",
          "#CoverFront { font-family:Arial; font-size:10pt;  }", "#CoverSide { font-family:Arial; font-size:10pt;  }"})
        EXPECT_NE(text.find(size), std::string::npos) << size;
}

TEST_F(BuiltInTemplates, CustomExampleListsTheFiles) {
    const std::string custom = exportWith(ExportType::Custom, "list.txt");
    const std::vector<std::string> lines = splitLines(readBytes(custom));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Track list: Band - First & Best\r");
    EXPECT_TRUE(lines[1].ends_with(", 4 files\r")) << lines[1];
    EXPECT_EQ(lines[3], "1. Band - Intro [00:10] 01 Intro.mp3\r");
    EXPECT_EQ(lines[4], "2. Tom <album> Jones - Say \"Hi\"; <b>now</b> [00:20] 02 Semi;colon.mp3\r");
    EXPECT_EQ(lines[8], "");
}

TEST_F(BuiltInTemplates, CommandLineExportWritesWhatTheDialogWrites) {
    const std::vector<std::string> files = filePaths();
    const std::string settings = out_ / "vorda.ini";
    testsupport::writeBytes(settings, "[General]\n");
    for (const auto& [type, name] : {std::pair{ExportType::Csv, "csv"}, std::pair{ExportType::Pls, "pls"}}) {
        const std::string target = out_ / (std::string("cli.") + name);
        std::vector<std::string> args{"export", "--settings", settings, "--type", name, "--out", target};
        args.insert(args.end(), files.begin(), files.end());
        const testsupport::CliRun run = testsupport::runCli(args, out_.path());
        EXPECT_EQ(run.status, 0) << run.err;
        // The settings' defaults pad track numbers to two digits.
        ExportTemplate tpl;
        ASSERT_FALSE(loadTemplateFile(VORDA_TEMPLATES_DIR + builtInTemplateName(type), tpl));
        ExportOptions options;
        options.type = type;
        options.trackDigits = 2;
        EXPECT_EQ(readBytes(target), generateExportCode(tpl, fileRows(), options) + "\r\n") << name;
    }
    const std::string m3u = out_ / "cli.m3u";
    EXPECT_EQ(testsupport::runCli({"export", "--type", "M3U", "--out", m3u, files[2], files[0]}, out_.path()).status,
              0);
    EXPECT_EQ(importPlaylist(m3u), (std::vector<std::string>{files[2], files[0]}));

    // A template file of the user's: a custom export, values as they are.
    const std::string tpl = out_ / "mine.txt";
    testsupport::writeBytes(tpl, "*** ROWDATA ***\n<rownr>|<artist>|<title>\n*** END OF ROWDATA ***\n");
    const std::string custom = out_ / "custom.txt";
    EXPECT_EQ(testsupport::runCli({"export", "--template", tpl, "--out", custom, files[1]}, out_.path()).status, 0);
    EXPECT_EQ(readBytes(custom), "\r\n1|Tom <album> Jones|Say \"Hi\"; <b>now</b>\r\n\r\n");
    // The same template with a type: values escaped for that type.
    EXPECT_EQ(
        testsupport::runCli({"export", "--type", "html", "--template", tpl, "--out", custom, files[1]}, out_.path())
            .status,
        0);
    EXPECT_EQ(readBytes(custom), "\r\n1|Tom &lt;album&gt; Jones|Say &quot;Hi&quot;; &lt;b&gt;now&lt;/b&gt;\r\n\r\n");
}

TEST_F(BuiltInTemplates, CommandLineExportFailsLoudly) {
    const std::string file = filePaths()[0];
    const std::string target = out_ / "x.csv";
    // A template that cannot be read writes nothing.
    testsupport::CliRun run =
        testsupport::runCli({"export", "--template", out_ / "none.txt", "--out", target, file}, out_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot read template"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(target));
    // A missing target folder is not created.
    run = testsupport::runCli({"export", "--type", "csv", "--out", out_ / "no/x.csv", file}, out_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out_ / "no"));
    // A file that cannot be read is left out, and said so.
    const std::string m3u = out_ / "x.m3u";
    run = testsupport::runCli({"export", "--type", "m3u", "--out", m3u, out_ / "missing.mp3", file}, out_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.mp3"), std::string::npos) << run.err;
    EXPECT_EQ(importPlaylist(m3u), std::vector<std::string>{file});
    // Wrong use.
    EXPECT_EQ(testsupport::runCli({"export", "--type", "wav", "--out", target, file}, out_.path()).status, 2);
    EXPECT_EQ(testsupport::runCli({"export", "--out", target, file}, out_.path()).status, 2);
    EXPECT_EQ(testsupport::runCli({"export", "--type", "csv", file}, out_.path()).status, 2);
    EXPECT_EQ(testsupport::runCli({"export", "--type", "csv", "--out", target}, out_.path()).status, 2);
}

TEST(ListRows, RowsOfTheListCarryItsSelectionAndReadOnlyWhatIsAsked) {
    TempDir dir;
    const std::string good = dir / "good.mp3";
    exporttest::makeTaggedMp3(good, {{"TPE1", "Band"}});
    vorda::app::FileList list;
    for (const std::string& path : {good, dir / "gone.mp3", good}) {
        const int row = list.addRow(vorda::base::getFileName(path));
        list.setCellContent(row, vorda::app::ListColumn::Path, vorda::base::getFolder(path));
    }
    list.setSelected(3, true);
    std::vector<ExportRow> rows = rowsOfList(list, {});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].readable);
    EXPECT_FALSE(rows[0].selected);
    EXPECT_EQ(rows[0].artist, "Band");
    EXPECT_EQ(rows[0].fileName, "good.mp3");
    EXPECT_EQ(rows[0].folder, dir.path());
    EXPECT_GT(rows[0].durationSeconds, 0);
    EXPECT_FALSE(rows[1].readable);
    EXPECT_TRUE(rows[2].selected);

    rows = rowsOfList(list, {}, 0, true);
    EXPECT_FALSE(rows[0].readable);
    EXPECT_TRUE(rows[2].readable);
    EXPECT_EQ(rowsOfList(list, {}, 2).size(), 2u);
    // An export of the selected rows numbers the third row as odd, by its place in the list.
    ExportTemplate tpl{"", "<rownr> <oddeven> <artist>", ""};
    const std::string target = dir / "rows.txt";
    EXPECT_FALSE(exportSelectedRows(tpl, ExportType::Custom, rows, target, 0));
    EXPECT_EQ(readBytes(target), "\r\n1 OddRow Band\r\n\r\n");
}
