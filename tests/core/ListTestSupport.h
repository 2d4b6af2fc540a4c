// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers for the file-list, scan, playlist and command-line tests: temporary folders,
// file writing and a user interface that records what it is told and answers from a script.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "app/UserInterface.h"

namespace listtest {

using TempDir = testsupport::TempFolder;

inline void writeFile(const std::string& path, const std::string& data) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// A file of the given size without writing its bytes (a sparse file).
inline void makeSizedFile(const std::string& path, long long size) {
    writeFile(path, "");
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
}

inline void makeFolder(const std::string& path) { std::filesystem::create_directories(path); }

class RecordingUI : public vorda::app::UserInterface {
public:
    struct Question {
        std::string text;
        vorda::app::MessageButtons buttons;
        vorda::app::MessageIcon icon;
        std::string title;
    };

    vorda::app::MessageAnswer ask(const std::string& text, vorda::app::MessageButtons buttons,
                                  vorda::app::MessageIcon icon, const std::string& title) override {
        questions.push_back({text, buttons, icon, title});
        if (answers.empty())
            return buttons == vorda::app::MessageButtons::Ok ? vorda::app::MessageAnswer::Ok
                                                             : vorda::app::MessageAnswer::Cancel;
        const vorda::app::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void setStatus(int panel, const std::string& text) override { statuses.emplace_back(panel, text); }
    void setProgress(long long, long long) override {}
    void clearPanes() override { ++panesCleared; }
    void setOldName(const std::string& text) override { oldName = text; }
    void setNewName(const std::string& text) override { newName = text; }

    // The texts panel was given, in order.
    std::vector<std::string> panelTexts(int panel) const {
        std::vector<std::string> texts;
        for (const auto& [p, text] : statuses)
            if (p == panel) texts.push_back(text);
        return texts;
    }
    std::string lastOf(int panel) const {
        const auto texts = panelTexts(panel);
        return texts.empty() ? std::string() : texts.back();
    }

    std::deque<vorda::app::MessageAnswer> answers;
    std::vector<Question> questions;
    std::vector<std::pair<int, std::string>> statuses;
    int panesCleared = 0;
    std::string oldName;
    std::string newName;
};

}  // namespace listtest
