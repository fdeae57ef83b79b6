#include "dialogs/form_names.h"

TFormNames* FormNames = nullptr;

TFormNames::TFormNames(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormNames"));
    setWindowTitle(tr("Names of Operators"));
}

bool TFormNames::EditNames(std::vector<std::string>& names) {
    (void)names;
    exec();
    return false;
}
