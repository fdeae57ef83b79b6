#include "print/printed_texts.h"

#include <QCoreApplication>

namespace {

// The main window's translation context; the sources are marked for
// lupdate under the same context.
QString WindowText(const char* source) {
    return QCoreApplication::translate("TFormMain", source);
}

} // namespace

PrintedTexts PrintedReportTexts() {
    PrintedTexts t;
    t.ReportTexts = {
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Measurement Report | VRX-310")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Car Identification: ")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Operator: ")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Report Date and Time: ")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", " --- not loaded from a file --- ")),
        WindowText(QT_TRANSLATE_NOOP(
            "TFormMain", "Device and Software Information (please quote in communication):")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Device SN:")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Sensor SN:")),
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Software release: ")),
    };
    t.CylinderCaption = WindowText(QT_TRANSLATE_NOOP("TFormMain", "Cyl. no."));
    t.CompressionCaption = WindowText(QT_TRANSLATE_NOOP("TFormMain", "Compression"));
    t.UnitCaption = WindowText(QT_TRANSLATE_NOOP("TFormMain", "Unit:"));
    t.LeakageCaption = WindowText(QT_TRANSLATE_NOOP("TFormMain", "Leakage"));
    t.LeakageUnitCaption =
        WindowText(QT_TRANSLATE_NOOP("TFormMain", "Unit:  %    base reference 4bar"));
    return t;
}
