// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandJunk.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "base/FileOps.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;

namespace vorda::cli {

namespace {

int runJunk(const std::vector<std::string>& argv) {
    const ParsedArgs args = parseArgs(argv, {}, {});
    if (!args.error.empty()) return usageError(kJunkCommand, args.error);
    if (args.help) return printUsage(kJunkCommand);
    if (args.operands.empty()) return usageError(kJunkCommand, "no file given");

    int status = exitOk;
    for (const std::string& given : args.operands) {
        AudioFile file;
        int error = 0;
        if (!file.readFile(absolutePath(given), true))
            error = ENOENT;
        else
            error = file.tag().removeJunk();
        if (error != 0) {
            printFileError(given, error, errorText(error));
            status = exitFailed;
        }
    }
    return status;
}

}  // namespace

const Command kJunkCommand{"junk", "remove junk in front of the tag and the audio of MPEG files",
                           "Usage: vorda-cli junk FILE...\n"
                           "\n"
                           "Removes from each FILE whatever lies in front of its ID3v2 tag, or in front of the\n"
                           "first audio frame when it has no ID3v2 tag; junk between a tag at the very start and\n"
                           "the audio is kept, and so is everything from a tag header on (even one of a tag that\n"
                           "cannot be read). The file is rebuilt through a temporary file, so a failure leaves\n"
                           "it as it was. A file that fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr;\n"
                           "the exit status is then 1.\n"
                           "\n"
                           "Options:\n"
                           "  -h, --help  show this help\n",
                           runJunk};

}  // namespace vorda::cli
