// SPDX-License-Identifier: GPL-2.0-or-later

// File operations on the local file system. Results are 0 or an errno value; nothing is shown.
#pragma once

#include "base/Errors.h"

#include <functional>
#include <string>

namespace vorda::base {

namespace file_operation {
enum FileOperation : int { Move = 1, Copy = 2, Delete = 3, Rename = 4 };
}  // namespace file_operation
using file_operation::FileOperation;

// Moves, copies, renames or deletes one path silently. Paths are used exactly as given.
// Move and rename use rename(2) and fall back to copy-then-delete across file systems;
// copies keep permissions and times and go through a temporary file in the target folder,
// so a failed copy leaves no half-written target. An operation whose source and destination
// are the same file does nothing and returns 0; it never truncates or deletes the source.
// Delete with useTrash hands the path to the trash handler (see setTrashHandler);
// without a handler, or when useTrash is false, the path is removed for good
// (a folder with everything in it).
int shellFileOperation(const std::string& source, const std::string& destination, int operation, bool useTrash);

// Renames path to a free temporary name in its own folder (tempPath receives it), so that its
// name can be given to another file before it goes on to its own new name. 0 or an errno value.
int moveAside(const std::string& path, std::string& tempPath);

// The desktop trash, provided by the platform layer. Returns 0 or an errno value.
using TrashHandler = std::function<int(const std::string& path)>;
void setTrashHandler(TrashHandler handler);

// Creates a folder with all missing parents; true when it exists afterwards.
bool createFolderTree(const std::string& folder);

// Attribute bits as the settings name them.
namespace file_attribute {
enum FileAttribute : int { ReadOnly = 1, Hidden = 2, Archive = 32 };
}  // namespace file_attribute
using file_attribute::FileAttribute;
// Read-only when the owner has no write permission; hidden for names beginning with ".".
// 0 when the path cannot be read.
int getFileAttributes(const std::string& path);
// Read-only clears every write bit; clearing it gives the owner write permission back.
// Hidden and archive are never set. Failures are ignored.
void setFileAttributes(const std::string& path, int attributes);

// The system text of an errno value, or the text of a VordaError.
std::string errorText(int error);

// Replaces the file at path in one step by what fill writes (0 or an errno value) into a
// temporary file in the same folder: flushed, then renamed over the original with the
// original's permissions, owner and extended attributes where it may give them. The original
// is never missing or half-written, and a failure leaves it as it was. A symbolic link is
// followed, so the file it names is replaced and the link stays; anything but a regular file
// at the path is left alone (EISDIR, EINVAL). Returns 0 or an errno value.
[[nodiscard]] int replaceFileAtomically(const std::string& path, const std::function<int(int fd)>& fill);
// The same with the given bytes as the new content.
[[nodiscard]] int writeFileAtomically(const std::string& path, const std::string& data);

}  // namespace vorda::base
