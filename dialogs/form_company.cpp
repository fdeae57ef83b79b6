#include "dialogs/form_company.h"

#include "platform/picture_loader.h"
#include "settings/settings_file.h"

TFormCompany* FormCompany = nullptr;

TFormCompany::TFormCompany(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormCompany"));
    setWindowTitle(tr("Company"));
}

bool TFormCompany::EditCompany(CompanyDetails& details) {
    (void)details;
    exec();
    return false;
}

QImage TFormCompany::DefaultPicture() const {
    return DefaultLogoPicture();
}
