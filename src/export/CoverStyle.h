// SPDX-License-Identifier: GPL-2.0-or-later

// The look of a CD cover export: the titles and style rules that a CD cover template takes from
// the cover settings ("<CoverFrontTitle>", "#CoverFront{}", ...).
#pragma once

#include <string>
#include <string_view>

namespace vorda::exports {

// One face of the cover (front, back or the sides).
struct CoverFace {
    std::string title = "<artist> - <album>";  // may hold file placeholders
    std::string fontName = "Arial";
    double fontSize = 10;     // points
    std::string textColor;    // "#rrggbb" or empty
    std::string backColor;    // "#rrggbb" or empty
    std::string backPicture;  // a picture path or empty (the sides have none)
};

struct CoverStyle {
    CoverFace front;
    CoverFace back;
    CoverFace sides;
};

// "#" and two lower-case hexadecimal digits for each channel (0..255): htmlColor(255, 0, 0) == "#ff0000".
std::string htmlColor(int red, int green, int blue);
// A font size in its shortest decimal form: 10 -> "10", 8.25 -> "8.25".
std::string formatFontSize(double points);

// Fills the cover placeholders of a CD cover section: the titles "<CoverFrontTitle>",
// "<CoverBackTitle>", "<CoverSideTitle>" (their text HTML-escaped; the file placeholders written in
// them stay, to be filled with the first exported file) and the style rules "#CoverFront{}",
// "#CoverBack{}", "#CoverBackTitle{}", "#TrackText{}", "#CoverSide{}".
std::string applyCoverStyle(std::string_view text, const CoverStyle& style);

}  // namespace vorda::exports
