// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandExport.h"

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "cli/CliCommon.h"
#include "cli/CommandLine.h"
#include "export/ListExport.h"

using namespace vorda::base;
using namespace vorda::app;
using namespace vorda::exports;

namespace vorda::cli {

namespace {

// The type named on the command line.
std::optional<ExportType> exportTypeNamed(const std::string& name) {
    static const char* const kNames[kExportTypeCount] = {"m3u", "pls", "cdcover", "csv", "html", "custom"};
    for (int i = 0; i < kExportTypeCount; ++i) {
        if (asciiLower(name) == kNames[i]) return exportTypeOf(i);
    }
    return std::nullopt;
}

// The folder holding templates/: beside the program when it runs from its build folder, else the
// installed share/vorda/.
std::string dataFolder() {
    const std::string programFolder = executableFolder();
    if (isDirectory(programFolder + "templates")) return programFolder;
    return programFolder + "../share/vorda/";
}

ExitStatus runExport(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    std::optional<std::string> typeName;
    std::optional<std::string> templateFile;
    std::optional<std::string> outFile;
    CommandLine line("export [--settings FILE] (--type TYPE | --template FILE) --out FILE FILE...",
                     "Exports the given files, in the order given, with the built-in template of TYPE (m3u, pls,\n"
                     "cdcover, csv, html or custom) or with the template file given, and writes the result to the\n"
                     "--out file (UTF-8, CR LF line ends) through a temporary file that replaces it in one step.\n"
                     "The files are read with their tags; a file that cannot be read is named and left out.\n"
                     "Values are escaped for the type: HTML for html and cdcover, CSV quoting for csv; a template\n"
                     "file without --type is a custom export (values inserted unchanged).\n",
                     "The exit status is 1 when the template cannot be read, the folder of the --out file does not\n"
                     "exist, the file cannot be written, or a given file could not be read.\n");
    line.addValue("--type", "TYPE", "the kind of export and its built-in template", typeName);
    line.addValue("--template", "FILE", "the template file to use (with --type: values escaped for TYPE)",
                  templateFile);
    line.addValue("--out", "FILE", "the file to write", outFile);
    line.addSettings(settingsFile);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (!typeName && !templateFile) return line.usageError("give --type or --template");
    if (!outFile || outFile->empty()) return line.usageError("no --out file given");
    if (args.operands.empty()) return line.usageError("no file given");
    ExportType type = ExportType::Custom;
    if (typeName) {
        const std::optional<ExportType> named = exportTypeNamed(*typeName);
        if (!named) return line.usageError("unknown export type " + *typeName);
        type = *named;
    }
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    ExportTemplate tpl;
    const std::string templatePath =
        templateFile ? absolutePath(*templateFile) : builtInTemplatePath(dataFolder(), type);
    if (const std::error_code error = loadTemplateFile(templatePath, tpl)) {
        printError("cannot read template " + toDisplayUtf8(templatePath) + ": " + error.message());
        return ExitStatus::Failed;
    }

    const std::string out = absolutePath(*outFile);
    const std::string folder = getFolder(out);
    if (!folder.empty() && !isDirectory(folder)) {
        printError("the target folder does not exist: " + toDisplayUtf8(folder));
        return ExitStatus::Failed;
    }

    // The given files are the selected rows of a list that holds just them.
    ExitStatus status = ExitStatus::Ok;
    const tags::TagOptions options = tagOptions(settings());
    std::vector<ExportRow> rows;
    rows.reserve(args.operands.size());
    for (const std::string& file : args.operands) {
        rows.push_back(rowFromFile(absolutePath(file), options, true));
        if (!rows.back().readable) {
            printError("cannot read " + toDisplayUtf8(file) + "; it is not exported");
            status = ExitStatus::Failed;
        }
    }
    if (const std::error_code error = exportSelectedRows(tpl, type, rows, out, trackDigitsOf(settings()))) {
        printError("cannot write " + toDisplayUtf8(out) + ": " + error.message());
        return ExitStatus::Failed;
    }
    return status;
}

}  // namespace

const Command kExportCommand{"export", "export files to a playlist, table, page or CD cover with a template",
                             runExport};

}  // namespace vorda::cli
