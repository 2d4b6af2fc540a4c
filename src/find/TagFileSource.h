// SPDX-License-Identifier: GPL-2.0-or-later

// The files the engine searches as real files on disk: a list of paths with their selection,
// read one at a time into a file object with its tag handler.
#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "find/SearchSource.h"
#include "tags/AudioFile.h"

namespace vorda::find {

struct TagFileRow {
    std::string path;
    bool selected = false;
};

class TagFileSource final : public SearchSource {
public:
    explicit TagFileSource(std::vector<TagFileRow> rows);

    int rowCount() const override;
    bool isSelected(int row) const override;
    std::string rowName(int row) const override;

    [[nodiscard]] bool open(int row) override;
    bool hasTag(SearchTag tag) const override;
    std::string value(tags::ValueKey key) const override;
    [[nodiscard]] bool setValue(tags::ValueKey key, const std::string& value) override;
    // The tag handler's own write, without the read-only and attribute rules of "Save tags".
    [[nodiscard]] std::error_code save() override;

    std::vector<TagFileRow>& rows() { return rows_; }
    // The options the tag writes follow (which tags a file keeps, padding, track digits ...).
    void setOptions(const tags::TagOptions& options) { file_.setOptions(options); }

private:
    std::vector<TagFileRow> rows_;
    // Reading fills the file object, so the const getters reach it through this.
    mutable tags::AudioFile file_;
    bool open_ = false;
};

// The error category of the tag handler's write results: errno values and Vorda's own numbers.
const std::error_category& tagWriteCategory();

}  // namespace vorda::find
