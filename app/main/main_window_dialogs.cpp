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

void TFormMain::RereadSharedSettings() {
    // A second window of the program may have changed them since; without a
    // settings file the window's own copies are all there is.
    if (settings_->Path().empty())
        return;
    settings_->Inspect([&](const ProfileText& text) {
        companyDetails_ = ReadCompanyDetails(text);
        operatorNames_ = ReadOperatorNames(text);
    });
}

void TFormMain::ActionSettingsCompanyExecute() {
    RereadSharedSettings();
    const CompanyDetails shown = companyDetails_;
    // Only what was changed here is written: an OK without changes keeps
    // what another window stored meanwhile.
    if (FormCompany->EditCompany(companyDetails_))
        WriteCompanyChanges(*settings_, shown, companyDetails_);
    RereadSharedSettings();
    LoadCompanyLogo(settings_->ReadString("Company", "VerzFirmenlogo", ""));
}

void TFormMain::ActionSettingsNamesExecute() {
    RereadSharedSettings();
    const OperatorNames shown = operatorNames_;
    if (!FormNames->EditNames(operatorNames_))
        return;
    operatorNames_ = MergeOperatorNames(*settings_, shown, operatorNames_);
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
