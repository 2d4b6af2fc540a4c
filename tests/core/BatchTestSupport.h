// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers of the batch tag and frame command tests: a scripted user interface, a file list
// over a scratch folder, and what mutagen reads from a file.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "ID3TestSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/UserInterface.h"

namespace batchtest {

// Answers the questions from a script (Ok when it runs out) and records everything shown.
class ScriptUI : public vorda::app::UserInterface {
public:
    vorda::app::MessageAnswer ask(const std::string& text, vorda::app::MessageButtons, vorda::app::MessageIcon icon,
                                  const std::string&) override {
        asked.push_back(text);
        icons.push_back(icon);
        if (answers.empty()) return vorda::app::MessageAnswer::Ok;
        const vorda::app::MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void setStatus(int panel, const std::string& text) override {
        if (panel == 3) status.push_back(text);
    }
    void setProgress(long long value, long long max) override {
        if (max > maxProgress) maxProgress = max;
        if (max > 0 && value > max) overrun = true;
        lastProgress = value;
    }
    std::deque<vorda::app::MessageAnswer> answers;
    std::vector<std::string> asked;
    std::vector<vorda::app::MessageIcon> icons;
    std::vector<std::string> status;
    long long maxProgress = 0;
    long long lastProgress = -1;
    bool overrun = false;
};

using testsupport::haveMutagen;

// "ID=text" lines of every ID3v2 frame mutagen reads (APIC as "APIC=mime|type|hexdata"),
// "" when the file has no ID3v2 tag.
inline std::string mutagenFrames(const std::string& path) {
    return testsupport::runPython(
        "import sys\nfrom mutagen.id3 import ID3, ID3NoHeaderError\ntry:\n t=ID3(sys.argv[1], load_v1=False)\n"
        "except ID3NoHeaderError:\n sys.exit(0)\nfor f in t.values():\n if f.FrameID==\"APIC\":\n"
        "  print(\"APIC=%s|%d|%s\" % (f.mime, f.type, f.data.hex()))\n elif hasattr(f, \"text\"):\n"
        "  print(\"%s=%s\" % (f.FrameID, \"/\".join(str(x) for x in f.text)))\n else:\n  print(f.FrameID)",
        {path});
}

using testsupport::contains;

inline std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// True when the file ends with a 128-byte ID3v1 tag.
inline bool hasV1(const std::string& bytes) {
    return bytes.size() >= 128 && bytes.compare(bytes.size() - 128, 3, "TAG") == 0;
}

// A scratch folder with a file list and the commands over it.
struct ListBench {
    ListBench() : cmds(list, ui, vorda::app::settings()) {}
    std::string add(const std::string& name, const std::string& bytes) {
        const std::string path = dir.file(name);
        id3test::writeBytes(path, bytes);
        cmds.addToFileList(name, dir.dir() + "/");
        return path;
    }
    void selectAll() {
        list.selectAll();
        cmds.bMultiChange = list.count() > 1;
    }
    id3test::SettingsGuard guard;
    id3test::Scratch dir;
    vorda::app::FileList list;
    ScriptUI ui;
    vorda::app::ListCommands cmds;
};

}  // namespace batchtest
