#include "app/qt/OptionsSupport.h"

namespace vorda {

QValidator::State RuleValidator::validate(QString& input, int& /*pos*/) const
{
    return acceptsText(rule_, input.toStdString()) ? Acceptable : Invalid;
}

void showMessage(QWidget* parent, QMessageBox::Icon icon, const std::string& text)
{
    QMessageBox box(icon, QStringLiteral("Vorda"), QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace vorda
