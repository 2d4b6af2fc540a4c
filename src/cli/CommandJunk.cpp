// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandJunk.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "cli/CliCommon.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::cli {

namespace {

ExitStatus runJunk(const std::vector<std::string>& argv) {
    CommandLine line("junk FILE...",
                     "Removes from each FILE whatever lies in front of its ID3v2 tag, or in front of the\n"
                     "first audio frame when it has no ID3v2 tag; junk between a tag at the very start and\n"
                     "the audio is kept, and so is everything from a tag header on (even one of a tag that\n"
                     "cannot be read). The file is rebuilt through a temporary file, so a failure leaves\n"
                     "it as it was.\n",
                     "A file that fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status is\n"
                     "then 1, and the other files are still done.\n");
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (args.operands.empty()) return line.usageError("no file given");

    ExitStatus status = ExitStatus::Ok;
    for (const std::string& given : args.operands) {
        AudioFile file;
        file.setOptions(tagOptions(settings()));
        int error = 0;
        if (!file.readFile(absolutePath(given), true))
            error = ENOENT;
        else
            error = file.tag().removeJunk();
        if (error != 0) {
            printFileError(given, error, errorText(error));
            status = ExitStatus::Failed;
        }
    }
    return status;
}

}  // namespace

const Command kJunkCommand{"junk", "remove junk in front of the tag and the audio of MPEG files", runJunk};

}  // namespace vorda::cli
