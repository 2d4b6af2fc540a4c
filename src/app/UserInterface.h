// SPDX-License-Identifier: GPL-2.0-or-later

// The port through which commands talk to the user: message boxes, status texts, progress.
// The main window implements it with widgets; tests and vorda-cli with scripted answers.
#pragma once

#include <string>

namespace vorda::app {

enum MsgButtons : int { mbOK = 0, mbOKCancel = 1, mbYesNoCancel = 3, mbYesNo = 4 };
enum MsgIcon : int { miNone = 0, miError = 16, miQuestion = 32, miWarning = 48, miInformation = 64 };
enum MsgAnswer : int { anOK = 1, anCancel = 2, anYes = 6, anNo = 7 };

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Shows a message box; returns the answer (anOK for a plain OK box).
    virtual int ask(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title = "Vorda") = 0;
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
    int ask(const std::string&, MsgButtons buttons, MsgIcon, const std::string& = "Vorda") override {
        return buttons == mbOK ? anOK : (buttons == mbOKCancel ? anCancel : anNo);
    }
    void setStatus(int, const std::string&) override {}
    void setProgress(long long, long long) override {}
};

}  // namespace vorda::app
