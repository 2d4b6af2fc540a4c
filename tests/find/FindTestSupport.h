// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers of the find tests: the dialog settings of a search, and a list of files held in memory
// for the find engine (values by key, which tags each file has, whether it can be read, and what
// its writes answer).
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "find/FindReplace.h"
#include "find/SearchSource.h"

namespace findtest {

using vorda::find::SearchField;
using vorda::find::SearchTag;
using vorda::tags::ValueKey;

// Settings that search the text in the fields and tags given.
inline vorda::find::SearchOptions searchOptions(const std::string& text, std::initializer_list<SearchField> fields,
                                                std::initializer_list<SearchTag> tags = {
                                                    SearchTag::Id3v1, SearchTag::Id3v2, SearchTag::Lyrics3}) {
    vorda::find::SearchOptions options;
    options.findText = text;
    for (SearchTag t : tags) options.setTag(t, true);
    for (SearchField f : fields) options.setField(f, true);
    return options;
}

struct ScriptedFile {
    ScriptedFile(std::string n, std::map<ValueKey, std::string> v) : name(std::move(n)), values(std::move(v)) {}

    std::string name;
    std::map<ValueKey, std::string> values;
    std::set<SearchTag> tags{SearchTag::Id3v1, SearchTag::Id3v2, SearchTag::Lyrics3};
    bool selected = false;
    bool readable = true;
    std::error_code saveError;
    int saves = 0;
};

class ScriptedSource final : public vorda::find::SearchSource {
public:
    std::vector<ScriptedFile> files;

    int rowCount() const override { return static_cast<int>(files.size()); }
    bool isSelected(int row) const override { return files.at(static_cast<size_t>(row)).selected; }
    std::string rowName(int row) const override { return files.at(static_cast<size_t>(row)).name; }
    bool open(int row) override {
        open_ = &files.at(static_cast<size_t>(row));
        // The file as it is stored: edits not saved are gone when it is read again.
        pending_ = open_->values;
        return open_->readable;
    }
    bool hasTag(SearchTag tag) const override { return open_->readable && open_->tags.count(tag) > 0; }
    std::string value(ValueKey key) const override {
        ++reads;
        const auto it = pending_.find(key);
        return open_->readable && it != pending_.end() ? it->second : std::string();
    }
    bool setValue(ValueKey key, const std::string& value) override {
        pending_[key] = value;
        return true;
    }
    std::error_code save() override {
        ++open_->saves;
        if (!open_->saveError) open_->values = pending_;
        return open_->saveError;
    }

    mutable int reads = 0;

private:
    ScriptedFile* open_ = nullptr;
    std::map<ValueKey, std::string> pending_;
};

}  // namespace findtest
