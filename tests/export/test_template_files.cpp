// SPDX-License-Identifier: GPL-2.0-or-later

// Template files: reading the sections, writing them back, the kinds of export and their files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "ExportTestSupport.h"
#include "export/ExportTemplate.h"

using namespace vorda::exports;
using listtest::TempDir;
using listtest::writeFile;
using testsupport::readBytes;

TEST(TemplateFiles, SectionsAreTheLinesBetweenTheirMarkers) {
    const ExportTemplate tpl = parseTemplateText("A description line\r\n"
                                                 "*** STARTDATA ***\r\n"
                                                 "head 1\r\n"
                                                 "head 2\r\n"
                                                 "*** END OF STARTDATA ***\r\n"
                                                 "ignored between sections\r\n"
                                                 "*** ROWDATA ***\r\n"
                                                 "  <artist>  \r\n"
                                                 "\r\n"
                                                 "*** END OF ROWDATA ***\r\n"
                                                 "*** ENDDATA ***\r\n"
                                                 "*** END OF ENDDATA ***\r\n"
                                                 "trailing words\r\n");
    EXPECT_EQ(tpl.startData, "head 1\r\nhead 2");
    // Blanks are kept; of the line breaks only the one after the last line is dropped.
    EXPECT_EQ(tpl.rowData, "  <artist>  \r\n");
    EXPECT_EQ(tpl.endData, "");

    // LF line ends and a byte-order mark read the same; a marker with a trailing blank or in
    // another case is ordinary text.
    const ExportTemplate lf = parseTemplateText("\xEF\xBB\xBF*** STARTDATA ***\nx\n*** END OF STARTDATA *** \n"
                                                "*** end of startdata ***\ny\n*** END OF STARTDATA ***\n");
    EXPECT_EQ(lf.startData, "x\r\n*** END OF STARTDATA *** \r\n*** end of startdata ***\r\ny");
}

TEST(TemplateFiles, MissingAndUnclosedSections) {
    EXPECT_EQ(parseTemplateText("no markers at all\r\n<artist>\r\n"), ExportTemplate{});
    EXPECT_EQ(parseTemplateText(""), ExportTemplate{});

    // A file that ends right after a begin marker: that section and the ones after it are empty.
    const ExportTemplate cut = parseTemplateText("*** STARTDATA ***\r\ns\r\n*** END OF STARTDATA ***\r\n"
                                                 "*** ROWDATA ***\r\n");
    EXPECT_EQ(cut, (ExportTemplate{"s", "", ""}));

    // A section without its end marker runs to the end of the file, its last line included.
    const ExportTemplate open = parseTemplateText("*** ROWDATA ***\r\nline 1\r\nline 2");
    EXPECT_EQ(open, (ExportTemplate{"", "line 1\r\nline 2", ""}));

    // A missing start section does not hide the sections after it.
    const ExportTemplate noStart = parseTemplateText("*** ROWDATA ***\r\nr\r\n*** END OF ROWDATA ***\r\n"
                                                     "*** ENDDATA ***\r\ne\r\n*** END OF ENDDATA ***\r\n");
    EXPECT_EQ(noStart, (ExportTemplate{"", "r", "e"}));

    // Sections are searched in order: an end section written before the row section is not found.
    const ExportTemplate order = parseTemplateText("*** ENDDATA ***\r\ne\r\n*** END OF ENDDATA ***\r\n"
                                                   "*** ROWDATA ***\r\nr\r\n*** END OF ROWDATA ***\r\n");
    EXPECT_EQ(order, (ExportTemplate{"", "r", ""}));
}

TEST(TemplateFiles, SaveAndLoadRoundTrip) {
    TempDir dir;
    const std::string path = dir / "mine.txt";
    const ExportTemplate samples[] = {
        {"", "", ""},
        {"FileName;Artist", "<filename>;<artist>", ""},
        {"first\r\n\r\nthird", "  ", "end\r\n"},
    };
    for (const ExportTemplate& tpl : samples) {
        ASSERT_FALSE(saveTemplateFile(path, tpl));
        ExportTemplate back{"stale", "stale", "stale"};
        ASSERT_FALSE(loadTemplateFile(path, back));
        EXPECT_EQ(back, tpl);
    }

    // The exact layout: markers and sections on their own lines, CR LF everywhere, nothing before.
    // Text typed with LF line breaks is written with CR LF.
    ASSERT_FALSE(saveTemplateFile(path, {"a\nb", "", "e"}));
    EXPECT_EQ(readBytes(path), "*** STARTDATA ***\r\na\r\nb\r\n*** END OF STARTDATA ***\r\n"
                               "*** ROWDATA ***\r\n\r\n*** END OF ROWDATA ***\r\n"
                               "*** ENDDATA ***\r\ne\r\n*** END OF ENDDATA ***\r\n");
}

TEST(TemplateFiles, LoadFailuresLeaveEmptySections) {
    TempDir dir;
    ExportTemplate tpl{"old", "old", "old"};
    EXPECT_EQ(loadTemplateFile("", tpl), std::errc::no_such_file_or_directory);
    EXPECT_EQ(tpl, ExportTemplate{});
    tpl = {"old", "old", "old"};
    EXPECT_EQ(loadTemplateFile("   ", tpl), std::errc::no_such_file_or_directory);
    EXPECT_EQ(loadTemplateFile(dir / "missing.txt", tpl), std::errc::no_such_file_or_directory);
    tpl = {"old", "old", "old"};
    EXPECT_EQ(loadTemplateFile(dir.path(), tpl), std::errc::is_a_directory);
    EXPECT_EQ(tpl, ExportTemplate{});
    // A pipe is refused instead of waiting for a writer.
    ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
    EXPECT_EQ(loadTemplateFile(dir / "pipe.txt", tpl), std::errc::invalid_argument);
    listtest::makeSizedFile(dir / "huge.txt", 64LL * 1024 * 1024);
    EXPECT_EQ(loadTemplateFile(dir / "huge.txt", tpl), std::errc::file_too_large);

    // The built-in file of a type, below the data folder.
    writeFile(dir / "templates/pls_template.txt", "*** ROWDATA ***\r\nFile<rownr>\r\n*** END OF ROWDATA ***\r\n");
    ASSERT_FALSE(loadBuiltInTemplate(dir.path(), ExportType::Pls, tpl));
    EXPECT_EQ(tpl.rowData, "File<rownr>");
    EXPECT_TRUE(loadBuiltInTemplate(dir.path(), ExportType::Csv, tpl));
    EXPECT_EQ(tpl, ExportTemplate{});
}

TEST(TemplateFiles, SavingNeverLeavesAHalfWrittenTemplate) {
    TempDir dir;
    const std::string path = dir / "locked/mine.txt";
    writeFile(path, "old template");
    std::error_code full;
    exporttest::withFileSizeLimit(100000, [&] { full = saveTemplateFile(path, {"s", std::string(200000, 'r'), "e"}); });
    EXPECT_EQ(full, std::errc::file_too_large);
    EXPECT_EQ(readBytes(path), "old template");

    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0555), 0);
    EXPECT_EQ(saveTemplateFile(path, {"s", "r", "e"}), std::errc::permission_denied);
    EXPECT_EQ(readBytes(path), "old template");
}
