// SPDX-License-Identifier: GPL-2.0-or-later

// file:// URIs for local files, byte for byte: a name in any encoding comes back unchanged when the
// URI is decoded.
#pragma once

#include <string>
#include <string_view>

namespace vorda::player {

// "file://" and the absolute form of path (a relative path is taken from the current folder), every
// byte but the unreserved ASCII ones and "/" percent-encoded. "" for an empty path, or a relative
// one when the current folder cannot be told.
[[nodiscard]] std::string fileUri(std::string_view path);

}  // namespace vorda::player
