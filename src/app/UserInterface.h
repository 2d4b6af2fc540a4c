// SPDX-License-Identifier: GPL-2.0-or-later

// The port through which commands talk to the user: message boxes, status texts, progress.
// The main window implements it with widgets; tests and vorda-cli with scripted answers.
#pragma once

#include <string>

namespace vorda::app {

// The buttons of a message box (the numbers are the classic message-box style codes).
enum class MessageButtons : int { Ok = 0, OkCancel = 1, YesNoCancel = 3, YesNo = 4 };
enum class MessageIcon : int { None = 0, Error = 16, Question = 32, Warning = 48, Information = 64 };
// The button the user chose.
enum class MessageAnswer : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Shows a message box; returns the answer (Ok for a plain OK box).
    virtual MessageAnswer ask(const std::string& text, MessageButtons buttons, MessageIcon icon,
                              const std::string& title = "Vorda") = 0;
    // Status-bar panels 1 (totals), 2 (file size), 3 (messages).
    virtual void setStatus(int panel, const std::string& text) = 0;
    // Progress bar: value of max (max 0 hides/resets).
    virtual void setProgress(long long value, long long max) = 0;
    // Clears the tag editor panes.
    virtual void clearPanes() {}
    // Old-name and new-name boxes of the naming panel.
    virtual void setOldName(const std::string&) {}
    virtual void setNewName(const std::string&) {}
    // Lets a long loop repaint (the window throttles this itself).
    virtual void repaint() {}
};

// A user interface that answers nothing and shows nothing (for vorda-cli and batch use).
class SilentUserInterface : public UserInterface {
public:
    MessageAnswer ask(const std::string&, MessageButtons buttons, MessageIcon, const std::string& = "Vorda") override {
        return buttons == MessageButtons::Ok
                   ? MessageAnswer::Ok
                   : (buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::No);
    }
    void setStatus(int, const std::string&) override {}
    void setProgress(long long, long long) override {}
};

}  // namespace vorda::app
