// SPDX-License-Identifier: GPL-2.0-or-later

#include "find/TagFileSource.h"

#include <cerrno>
#include <utility>

#include "base/FileOps.h"
#include "tags/TagFileWriter.h"

using namespace vorda::base;
using namespace vorda::tags;

namespace vorda::find {

namespace {

class TagWriteCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "tag write"; }
    std::string message(int error) const override { return errorText(error); }
};

class ReadOnlyCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "read-only file"; }
    std::string message(int) const override {
        return "The file is read-only; saving to it is not allowed according to the current settings.";
    }
};

}  // namespace

const std::error_category& tagWriteCategory() {
    static const TagWriteCategory category;
    return category;
}

std::error_code readOnlyError() {
    static const ReadOnlyCategory category;
    return {EACCES, category};
}

TagFileSource::TagFileSource(std::vector<TagFileRow> rows) : rows_(std::move(rows)) {}

int TagFileSource::rowCount() const { return static_cast<int>(rows_.size()); }

bool TagFileSource::isSelected(int row) const {
    return row >= 0 && row < rowCount() && rows_[static_cast<size_t>(row)].selected;
}

std::string TagFileSource::rowName(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)].path : std::string();
}

bool TagFileSource::open(int row) {
    open_ = row >= 0 && row < rowCount() && file_.readFile(rowName(row), true);
    return open_;
}

bool TagFileSource::hasTag(SearchTag tag) const { return open_ && file_.tag().hasTag(tagKind(tag)); }

std::string TagFileSource::value(ValueKey key) const { return open_ ? file_.tag().getValue(key) : std::string(); }

bool TagFileSource::setValue(ValueKey key, const std::string& value) {
    return open_ && file_.tag().setValue(key, value);
}

std::error_code TagFileSource::save() {
    if (!open_) return std::make_error_code(std::errc::bad_file_descriptor);
    // The write may go through a new file renamed over the old one, which a read-only file
    // would not stop: its attribute is looked at first.
    const int attributes = file_.getAttributes();
    const bool readOnly = (attributes & FileAttribute::ReadOnly) != 0;
    if (readOnly && !file_.options().ignoreReadOnly) return readOnlyError();
    if (readOnly) file_.setAttributes(attributes & ~FileAttribute::ReadOnly);
    const int result = file_.tag().tagWrite();
    file_.sizeChanged();
    if (readOnly) {
        // The attribute goes to the file as it stays, not to one a pending rebuild replaces.
        commitIfPending(file_.fullPath());
        file_.setAttributes(attributes);
    }
    return result == 0 ? std::error_code() : std::error_code(result, tagWriteCategory());
}

}  // namespace vorda::find
