// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/OptionsSupport.h"

#include "app/Settings.h"
#include "platform/PlatformServices.h"

using namespace vorda::base;

namespace vorda::app {

QValidator::State RuleValidator::validate(QString& input, int& /*pos*/) const {
    return acceptsText(rule_, input.toStdString()) ? Acceptable : Invalid;
}

std::string settingsFilePath() { return defaultSettingsPath(platform::executableFolder()); }

void showMessage(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, QStringLiteral("Vorda"), QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace vorda::app
