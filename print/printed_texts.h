// The texts of the printed page that belong to the main window: its printed
// report table, the "Cyl. no." message and the chart captions. They are
// translated in the main window's context, so the German module covers the
// window and a page printed without it alike.
#pragma once

#include <QString>

#include <array>

struct PrintedTexts {
    // The printed report table, entries 0..8 (entry 4 is not printed).
    std::array<QString, 9> ReportTexts;
    QString CylinderCaption;    // "Cyl. no."
    QString CompressionCaption; // "Compression"
    QString UnitCaption;        // "Unit:"
    QString LeakageCaption;     // "Leakage"
    QString LeakageUnitCaption; // "Unit:  %    base reference 4bar"
};

// In the language of the translators installed at the time of the call.
PrintedTexts PrintedReportTexts();
