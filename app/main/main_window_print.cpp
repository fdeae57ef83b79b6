// The printed report: gathers what the window shows and prints one page.
#include "app/main/main_window.h"

#include "chart/bar_chart.h"
#include "platform/version_info.h"
#include "platform/window_text.h"
#include "print/evaluation_texts.h"
#include "print/page_data.h"
#include "print/report_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

void TFormMain::ActionFilePrintExecute() {
    // Read only: the report stays as it is, no status text.
    ReportPageData d;
    RereadSharedSettings(); // details saved by another window meanwhile
    SetCompanyDetails(d, companyDetails_);

    for (int i = 0; i < static_cast<int>(d.ReportTexts.size()); ++i) {
        d.ReportTexts[i] = PrintText(i);
    }
    d.CylinderCaption = MessageText(msgCylinderCaption);

    d.CarID = LabeledEditCarID->text();
    d.Operator = ComboBoxNames->currentText();
    d.DateandTime = LabelDateTime->text();

    d.CompressionCaption = LabelCompression->text();
    d.UnitCaption = LabelUnit->text();
    d.UnitValueCaption = Label43->text();
    d.LeakageCaption = LabelLeakage->text();
    d.LeakageUnitCaption = LabelLeak->text();
    for (int p = 0; p < 12; ++p) {
        d.CompressionSlots[p] = SlotNumberText(selectors_[p]->currentIndex());
        d.LeakageSlots[p] = SlotNumberText(selectors_[12 + p]->currentIndex());
    }

    d.DeviceSN = DiskToQ(report_.Texts.DeviceSN);
    d.SensorSN = DiskToQ(report_.Texts.SensorSN);
    d.FileVersion = versionStrings_ ? DiskToQ(GetVersionString(*versionStrings_, 2)) : QString();

    d.PrintCompression = CheckBox2->isChecked();
    d.PrintLeakage = CheckBox3->isChecked();
    // The charts on screen keep their size. Their evaluation marks go on
    // the page only with the evaluation block.
    SetPageEvaluation(d);
    if (!d.PrintEvaluation)
        MarkEvaluation(*DiagKomp, *DiagLeak, nullptr);
    SetChartPictures(d, *DiagKomp, *DiagLeak);
    UpdateEvaluation();
    d.ScreenDpiX = logicalDpiX();
    d.ScreenDpiY = logicalDpiY();

    PrintReport(this, d);
}
