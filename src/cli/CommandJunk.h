// vorda-cli junk: removes junk in front of the ID3v2 tag and the audio of MPEG files.
#pragma once

#include "cli/CliCommon.h"

namespace vorda::cli {

extern const Command kJunkCommand;

}  // namespace vorda::cli
