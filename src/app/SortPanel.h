// SPDX-License-Identifier: GPL-2.0-or-later

// The state of the main window's sorting panel without widgets: the method, the target-folder
// box with its saved (last accepted) folder, and the captions that follow the method.
// The window mirrors this state into its controls after every change.
#pragma once

#include <string>

namespace vorda::app {

// What the sort commands do with the files, numbered as stored in the settings ("Method") and
// as the file operations they run. A stored number outside these means no method is chosen.
enum class FileMethod : int { Move = 1, Copy = 2, Rename = 4 };

// Captions and states of the controls that change with the method.
struct MethodCaptions {
    std::string sortAll;           // cmdSort
    std::string sortSelected;      // cmdSortSelected
    std::string menuSortAll;       // mnuSortAll
    std::string menuSortSelected;  // mnuSortSelected
    std::string popSort;           // mnuPopSort
    std::string popSortAlbum;      // mnuPopSortAlbum
    bool popSortAlbumEnabled = true;
    std::string targetLabel;    // lblTargetDir
    bool browseEnabled = true;  // cmdTargetDir
};

class SortPanel {
public:
    // The characters that typing into the target box refuses.
    static constexpr const char* kRefusedTargetChars = "?\"<>|*";
    static bool isRefusedTargetChar(char c);

    // The option button index (0 Copy, 1 Move, 2 Rename) of a method, -1 for any other value.
    static int buttonOfMethod(FileMethod method);
    static FileMethod methodOfButton(int button);
    static MethodCaptions captionsFor(FileMethod method);

    // Settings load: the stored method and target folder (box text and saved folder).
    // Any stored number is kept, so that a value the switch never produces is saved back as it was read.
    void load(int storedMethod, const std::string& targetDir);

    // The method switch. Rename keeps the box's text as the saved folder and shows the
    // current file's folder in the locked box; copy and move restore the saved folder.
    void setMethod(FileMethod method, const std::string& currentFileFolder);
    FileMethod method() const { return method_; }
    // The value stored as "Method": 2 for copy, else 1 for move, else 4.
    int storedMethod() const;
    bool locked() const { return method_ == FileMethod::Rename; }

    // The box's text and the last accepted target folder (what targetDir saves).
    const std::string& text() const { return text_; }
    const std::string& savedFolder() const { return saved_; }

    // The user typed (refused characters are dropped, as the box never lets them in).
    void type(const std::string& text);
    // "Browse": a non-empty answer becomes the box's text (and the accepted folder).
    void browsed(const std::string& folder);
    // The box lost the focus: a final "/" is added to a non-empty text, which is then accepted.
    void focusLost();
    // "Set as target folder" of the folder tree.
    void setAsTarget(const std::string& treeFolder);
    // A file was shown: the rename method shows its folder.
    void fileShown(const std::string& fileFolder);

private:
    static std::string filtered(const std::string& text);

    FileMethod method_ = FileMethod::Rename;
    std::string text_;
    std::string saved_;
};

}  // namespace vorda::app
