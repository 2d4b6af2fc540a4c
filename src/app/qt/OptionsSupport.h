// SPDX-License-Identifier: GPL-2.0-or-later

// Small pieces shared by the options dialogs: a validator that applies an input rule to a
// text box, and the program's message box.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QValidator>

#include "app/OptionsRules.h"

namespace vorda::app {

// Refuses every edit (typed or pasted) that would leave the box with a text its rule refuses.
class RuleValidator : public QValidator {
public:
    RuleValidator(InputRule rule, QObject* parent) : QValidator(parent), rule_(rule) {}
    State validate(QString& input, int& pos) const override;
    InputRule rule() const { return rule_; }

private:
    InputRule rule_;
};

// The settings file: settings.ini beside the executable (portable mode), else the
// user's configuration folder. Needs a QCoreApplication.
std::string settingsFilePath();

// A modal message box titled "Vorda" with an OK button.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const std::string& text);

}  // namespace vorda::app
