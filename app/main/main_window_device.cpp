// Reading and clearing the tester.
#include "app/main/main_window.h"

#include "device/tester_link.h"
#include "dialogs/form_msg.h"
#include "platform/wait_cursor.h"
#include "platform/window_text.h"
#include "text/date_format.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

namespace {

char LocaleDecimalChar() {
    const char c = LocaleDecimalPoint().toLatin1();
    return c != '\0' ? c : '.';
}

} // namespace

void TFormMain::ActionDeviceReadExecute() {
    // A read that stops here leaves the report, the flags and the charts alone.
    if (!testerLink_->IsOpen()) {
        FormMsg->ShowMsg(MessageText(msgNoDeviceConnected), mkError, btnCancel, true);
        return;
    }
    // The wait cursor only while the tester is asked: every message and
    // question comes with the normal cursor.
    MeasurementBlock block;
    bool read = false;
    {
        WaitCursor wait;
        emit TesterAsked();
        read = testerLink_->ReadMeasurements(block);
    }
    if (!read) {
        FormMsg->ShowMsg(MessageText(msgErrorReadingDevice), mkError, btnCancel, true);
        return;
    }
    if (block.AllNegative()) {
        FormMsg->ShowMsg(MessageText(msgNoMeasuresAvailable), mkInformation, btnOk, true);
        return;
    }

    // Values, default assignments, flags; the time is stamped at the end.
    report_.TakeReading(block, report_.DateandTime);
    SetAssignmentSelectors(report_.CompressionAssignment, report_.LeakageAssignment);
    SetStatusText(MessageText(msgMeasuresRead));
    report_.ValuesRead = true;
    report_.Unsaved = true;

    // The erase comes before the device information requests.
    if (ActionAutoClear->isChecked() &&
        FormMsg->ShowMsg(MessageText(msgSureToErase), mkWarning, btnOkCancel, true) == mrOk)
        ActionDeviceClearExecute();

    {
        WaitCursor wait;
        emit TesterAsked();
        if (testerLink_->ReadDeviceInfo(report_.DeviceInfo))
            LabelDeviceSN->setText(DiskToQ(report_.DeviceInfo.SerialText()));
        else
            LabelDeviceSN->setText(MessageText(msgError));
        if (testerLink_->ReadSensorData(report_.Sensor))
            LabelSensorSN->setText(DiskToQ(report_.Sensor.SerialText()));
        else
            LabelSensorSN->setText(MessageText(msgError));
        testerLink_->ReadDeviceStatus(report_.DeviceStatus);
    }
    // From whatever the blocks hold now, failed requests included.
    report_.DeriveTexts(LocaleDecimalChar());

    ActionFileSave->setEnabled(true);
    ActionFilePrint->setEnabled(true);
    CheckBox2->setChecked(true);
    CheckBox3->setChecked(true);
    CheckBox4->setChecked(true);

    setWindowTitle(MessageText(msgWindowTitle));
    report_.FileName.clear();
    report_.DateandTime = FormatReportDateTime(LocalNow(), CurrentDateFormats());
    LabelDateTime->setText(DiskToQ(report_.DateandTime));

    ClearSeries();
    RefreshCharts();
}

void TFormMain::ActionDeviceClearExecute() {
    // No has the focus: Enter must not erase values nobody has read.
    if (!report_.ValuesRead && FormMsg->ShowMsg(MessageText(msgEraseUnreadMeasures), mkConfirmation,
                                                btnYesNo, true, mrNo) != mrYes)
        return;
    if (!testerLink_->IsOpen())
        return;
    bool erased = false;
    {
        WaitCursor wait;
        emit TesterAsked();
        erased = testerLink_->EraseMeasurements();
    }
    if (erased)
        SetStatusText(MessageText(msgMeasuresErased));
    else
        FormMsg->ShowMsg(MessageText(msgErasingFailed), mkError, btnOk, true);
}

void TFormMain::ActionAutoClearExecute() {
    ActionAutoClear->toggle();
}
