// SPDX-License-Identifier: GPL-2.0-or-later

// The window's file list as the find engine's rows: row r of the engine is list row r + 1, its
// file the row's full path, its selection the row's. Each file is read and written under the
// tag options the settings give at that moment.
#pragma once

#include <string>

#include "app/FileList.h"
#include "app/Settings.h"
#include "find/TagFileSource.h"

namespace vorda::find {

class FileListSource final : public TagFileSource {
public:
    FileListSource(const app::FileList& list, const app::Settings& settings) : list_(list), settings_(settings) {}

    int rowCount() const override { return list_.count(); }
    bool isSelected(int row) const override { return list_.selected(row + 1); }
    std::string rowName(int row) const override { return list_.getFullPath(row + 1); }
    [[nodiscard]] bool open(int row) override {
        setOptions(app::tagOptions(settings_));
        return TagFileSource::open(row);
    }

private:
    const app::FileList& list_;
    const app::Settings& settings_;
};

}  // namespace vorda::find
