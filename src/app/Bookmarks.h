// SPDX-License-Identifier: GPL-2.0-or-later

// The five folder bookmarks of the main window's bookmark buttons.
#pragma once

#include <array>
#include <string>

namespace vorda::app {

class Bookmarks {
public:
    static constexpr int kCount = 5;
    static constexpr const char* kEmptyToolTip = "Click the right mousebutton to bookmark current folder!";

    // From and to the settings (FavouriteDir0 ... 4).
    void load(const std::array<std::string, kCount>& folders) { folders_ = folders; }
    const std::array<std::string, kCount>& folders() const { return folders_; }

    // The folder of bookmark i ("" when empty or out of range).
    std::string folder(int i) const;
    // The tool tip of button i: its folder, or the hint for an empty bookmark.
    std::string toolTip(int i) const;
    // Right button: bookmark i becomes folder. An empty folder (no tree folder) changes nothing.
    [[nodiscard]] bool store(int i, const std::string& folder);
    // The folder a left click scans ("/"-terminated), "" when the bookmark is empty.
    std::string scanFolder(int i) const;

private:
    std::array<std::string, kCount> folders_{};
};

}  // namespace vorda::app
