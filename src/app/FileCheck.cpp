// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/FileCheck.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/FileOps.h"

using namespace vorda::base;

namespace vorda::app {

bool fileExists(const std::string& path, UserInterface& ui) {
    struct stat st {};
    if (!path.empty() && ::stat(path.c_str(), &st) == 0) return true;
    const int error = path.empty() ? ENOENT : errno;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV: return false;
    default:
        ui.ask("Error Number: " + std::to_string(error) + " " + errorText(error), MessageButtons::Ok,
               MessageIcon::Error, "Error");
        return false;
    }
}

}  // namespace vorda::app
