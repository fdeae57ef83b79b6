// The settings dialogs, the sensor change, the About box and the logo.
#include "app/main/main_window.h"

#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_names.h"
#include "platform/device_watcher.h"
#include "platform/picture_loader.h"
#include "platform/window_text.h"

#include <QComboBox>
#include <QSignalBlocker>

void TFormMain::LoadCompanyLogo(const std::string& path) {
    // Any failure (no name, missing file, unreadable picture): the default.
    QImage picture;
    const QString file = DiskToQ(path);
    if (file.isEmpty() || !LoadPictureFile(file, &picture))
        picture = FormCompany ? FormCompany->DefaultPicture() : DefaultLogoPicture();
    ShowLogo(picture);
}

void TFormMain::ActionSettingsCompanyExecute() {
    if (FormCompany->EditCompany(companyDetails_))
        WriteCompanyDetails(*settings_, companyDetails_);
    LoadCompanyLogo(settings_->ReadString("Company", "VerzFirmenlogo", ""));
}

void TFormMain::ActionSettingsNamesExecute() {
    if (!FormNames->EditNames(operatorNames_))
        return;
    RewriteOperatorNames(*settings_, ComboBoxNames->count(), operatorNames_);
    const int remembered = ComboBoxNames->currentIndex();
    SetOperatorItems();
    QSignalBlocker block(ComboBoxNames);
    ComboBoxNames->setCurrentIndex(
        remembered < ComboBoxNames->count() ? remembered : ComboBoxNames->count() - 1);
}

void TFormMain::ActionChangeSensExecute() {
    FormChangeSens->SetTesterLink(testerLink_.get());
    FormChangeSens->SetConfirmationText(MessageText(msgReallyChangeSensor));
    // While the window is open, a device-change notice makes it look for
    // the tester too (after DetectTester, connected first).
    const QMetaObject::Connection watch = connect(deviceWatcher_, &DeviceWatcher::DeviceChanged,
                                                  FormChangeSens, &TFormChangeSens::CheckTester);
    FormChangeSens->RunSensorChange();
    disconnect(watch);
    ClearSeries();
    RefreshCharts();
}

void TFormMain::ActionHelpAboutExecute() {
    FormAbout->ShowAbout();
}
