// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/TemplateText.h"

#include <array>

namespace vorda::exports {

namespace {

// In the order of the enumeration.
constexpr std::array<std::string_view, 29> kNames{
    "<artist>",      "<album>",    "<title>",     "<track>",     "<year>",         "<genre>",
    "<comment>",     "<composer>", "<copyright>", "<encoder>",   "<link>",         "<bitrate>",
    "<channelmode>", "<layer>",    "<mpegver>",   "<original>",  "<samplerate>",   "<seconds>",
    "<duration>",    "<filedate>", "<filesize>",  "<filename>",  "<rel_filepath>", "<filepath>",
    "<rownr>",       "<oddeven>",  "<totfiles>",  "<todaydate>", "<todaytime>",
};
static_assert(kNames.size() == static_cast<size_t>(Placeholder::TodayTime) + 1);

constexpr size_t kLongestName = [] {
    size_t longest = 0;
    for (std::string_view name : kNames) longest = name.size() > longest ? name.size() : longest;
    return longest;
}();

}  // namespace

std::optional<Placeholder> placeholderNamed(std::string_view text) {
    for (size_t i = 0; i < kNames.size(); ++i)
        if (kNames[i] == text) return static_cast<Placeholder>(i);
    return std::nullopt;
}

std::string_view placeholderText(Placeholder placeholder) { return kNames[static_cast<size_t>(placeholder)]; }

bool isFilePlaceholder(Placeholder placeholder) {
    return static_cast<int>(placeholder) <= static_cast<int>(Placeholder::FilePath);
}

TemplateText::TemplateText(std::string_view text) {
    std::string literal;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('<', pos);
        if (open == std::string_view::npos) {
            literal.append(text.substr(pos));
            break;
        }
        literal.append(text.substr(pos, open - pos));
        const size_t close = text.substr(open, kLongestName).find('>');
        const std::optional<Placeholder> found =
            close == std::string_view::npos ? std::nullopt : placeholderNamed(text.substr(open, close + 1));
        if (!found) {
            literal += '<';
            pos = open + 1;
            continue;
        }
        if (!literal.empty()) pieces_.push_back({std::move(literal), std::nullopt});
        literal.clear();
        pieces_.push_back({{}, found});
        pos = open + close + 1;
    }
    if (!literal.empty()) pieces_.push_back({std::move(literal), std::nullopt});
}

}  // namespace vorda::exports
