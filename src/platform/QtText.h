// SPDX-License-Identifier: GPL-2.0-or-later

// Conversions between the core's byte strings and Qt strings, in one place for every widget.
#pragma once

#include <string>

#include <QByteArray>
#include <QFile>
#include <QString>

#include "base/Text.h"

namespace vorda::platform {

// Text for a widget: valid UTF-8 stays, every invalid byte shows as U+FFFD.
inline QString displayText(const std::string& text) { return QString::fromStdString(base::toDisplayUtf8(text)); }
// What the user typed, as UTF-8.
inline std::string fromQt(const QString& text) { return text.toStdString(); }
// Paths are byte strings; Qt gets them through the file-name codec, which keeps every byte.
inline QString pathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
inline std::string pathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace vorda::platform
