// SPDX-License-Identifier: GPL-2.0-or-later

#include "player/FileUri.h"

#include <filesystem>
#include <system_error>

namespace vorda::player {

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::string fileUri(std::string_view path) {
    if (path.empty()) return {};
    std::string absolute;
    if (path.front() == '/') {
        absolute.assign(path);
    } else {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(std::string(path)), error);
        if (error) return {};
        absolute = full.native();
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + absolute.size() * 3);
    for (const char ch : absolute) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '/' || isUnreserved(c)) {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0x0F];
        }
    }
    return uri;
}

}  // namespace vorda::player
