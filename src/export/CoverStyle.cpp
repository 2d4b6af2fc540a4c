// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/CoverStyle.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "export/ExportGenerator.h"
#include "export/TemplateText.h"

namespace vorda::exports {

namespace {

void replaceAll(std::string& text, std::string_view what, std::string_view with) {
    size_t pos = 0;
    while ((pos = text.find(what, pos)) != std::string::npos) {
        text.replace(pos, what.size(), with);
        pos += with.size();
    }
}

// The title as HTML text: its literal text escaped, its placeholders kept for the file values.
std::string titleText(const std::string& title) {
    const TemplateText parsed(title);
    std::string out;
    for (const TemplateText::Piece& piece : parsed.pieces()) {
        if (piece.placeholder)
            out += placeholderText(*piece.placeholder);
        else
            out += escapeValue(ExportType::Html, piece.literal);
    }
    return out;
}

// A picture path as a quoted CSS string, so blanks and parentheses in it keep the rule whole.
std::string cssUrl(std::string_view path) {
    std::string out = "URL(\"";
    for (const char c : path) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n' || c == '\r') {
            out += c == '\n' ? "\\a " : "\\d ";
        } else if (c == '<') {
            out += "\\3c ";  // keeps "</style>" out of the page's style block
        } else {
            out += c;
        }
    }
    return out + "\")";
}

void declare(std::string& rule, std::string_view property, const std::string& value) {
    if (value.empty()) return;
    rule.append(property).append(":").append(value).append("; ");
}

void declareFont(std::string& rule, const CoverFace& face, bool withSize) {
    rule.append("font-family:").append(face.fontName).append("; ");
    if (withSize) rule.append("font-size:").append(formatFontSize(face.fontSize)).append("pt; ");
}

std::string faceRule(std::string_view selector, const CoverFace& face, bool withPicture) {
    std::string rule = std::string(selector) + " { ";
    declare(rule, "background-color", face.backColor);
    if (withPicture && !face.backPicture.empty())
        rule.append("background:").append(cssUrl(face.backPicture)).append("; ");
    declare(rule, "color", face.textColor);
    declareFont(rule, face, true);
    return rule + " }";
}

}  // namespace

std::string htmlColor(int red, int green, int blue) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "#";
    for (int channel : {red, green, blue}) {
        channel = std::clamp(channel, 0, 255);
        out += kDigits[channel / 16];
        out += kDigits[channel % 16];
    }
    return out;
}

std::string formatFontSize(double points) {
    if (!std::isfinite(points) || points <= 0) points = 10;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, points);
    return std::string(buffer, result.ptr);
}

std::string applyCoverStyle(std::string_view text, const CoverStyle& style) {
    std::string out(text);
    replaceAll(out, "<CoverFrontTitle>", titleText(style.front.title));
    replaceAll(out, "<CoverSideTitle>", titleText(style.sides.title));
    replaceAll(out, "<CoverBackTitle>", titleText(style.back.title));

    std::string backTitle = "#CoverBackTitle { ";
    declare(backTitle, "color", style.back.textColor);
    declareFont(backTitle, style.back, true);
    backTitle += " }";
    std::string trackText = "#TrackText { ";
    declare(trackText, "color", style.back.textColor);
    declareFont(trackText, style.back, false);
    trackText += " }";

    replaceAll(out, "#CoverFront{}", faceRule("#CoverFront", style.front, true));
    replaceAll(out, "#CoverBack{}", faceRule("#CoverBack", style.back, true));
    replaceAll(out, "#CoverBackTitle{}", backTitle);
    replaceAll(out, "#TrackText{}", trackText);
    replaceAll(out, "#CoverSide{}", faceRule("#CoverSide", style.sides, false));
    return out;
}

}  // namespace vorda::exports
