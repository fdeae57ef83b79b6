#include "dialogs/form_change_sens.h"

TFormChangeSens* FormChangeSens = nullptr;

TFormChangeSens::TFormChangeSens(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormChangeSens"));
    setWindowTitle(tr("Change Sensor"));
}

bool TFormChangeSens::RunSensorChange() {
    exec();
    return false;
}
