// SPDX-License-Identifier: GPL-2.0-or-later

// The files the engine searches as real files on disk: a list of paths with their selection,
// read one at a time into a file object with its tag handler. A subclass may give the rows
// from elsewhere (the window's file list): the file of a row is the one rowName names.
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

class TagFileSource : public SearchSource {
public:
    explicit TagFileSource(std::vector<TagFileRow> rows = {});

    int rowCount() const override;
    bool isSelected(int row) const override;
    std::string rowName(int row) const override;

    [[nodiscard]] bool open(int row) override;
    bool hasTag(SearchTag tag) const override;
    std::string value(tags::ValueKey key) const override;
    [[nodiscard]] bool setValue(tags::ValueKey key, const std::string& value) override;
    // The tag handler's own write, without the attribute rules of "Save tags". A read-only file
    // is refused unless the options say to ignore that; it then keeps its attributes.
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

// What save answers for a read-only file it does not write.
std::error_code readOnlyError();

}  // namespace vorda::find
