// SPDX-License-Identifier: GPL-2.0-or-later

// Shared pieces of vorda-cli's commands: tag kinds, settings loading, paths and output helpers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tags/TagHandler.h"

namespace vorda::cli {

// A tag kind by name (TagKind::All, TagKind::Id3v1, TagKind::Id3v2, TagKind::Lyrics3) or number; nullopt when unknown.
[[nodiscard]] std::optional<tags::TagKind> tagKindOf(const std::string& name);

// The mistake for a value of --add or --remove that is no tag kind ("" for a tag kind, which is
// appended to kinds).
[[nodiscard]] std::string takeTagKind(const std::string& value, std::vector<tags::TagKind>& kinds);

// The stderr line for a file whose values found no tag to hold them (keys: the value keys).
void printNoTagFor(const std::string& file, const std::string& keys, bool unchanged);

// Loads the program-wide settings: the file given with --settings, else the user's settings file.
// Never writes a settings file. False (with a message on stderr) when a file given with
// --settings cannot be read.
[[nodiscard]] bool loadSettings(const std::optional<std::string>& settingsFile);

// The folder that holds the running executable, ending with "/" ("" when unknown).
std::string executableFolder();

// An absolute form of a path given on the command line (relative to the working folder).
std::string absolutePath(const std::string& path);

// Writes "vorda-cli: <message>" to stderr, on one line (control characters written out).
void printError(const std::string& message);
// Writes "vorda-cli: FILE: error N: TEXT" to stderr, on one line.
void printFileError(const std::string& file, int error, const std::string& text);
// A name or value for line-wise output: control characters written out ("\n", "\t", "\x1b").
std::string lineText(const std::string& text);

}  // namespace vorda::cli
