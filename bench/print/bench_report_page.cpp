// Rendering the printed page into a PDF at 600 dpi. The empty page (frames
// and texts, no charts) is the baseline of the same run; the full page adds
// the two chart pictures. The PDF size is reported as a counter.
#include "chart/bar_chart.h"
#include "print/chart_fill.h"
#include "print/page_data.h"
#include "print/printed_texts.h"
#include "print/report_page.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// A report with ten of twelve slots measured, charted as the window charts it.
ReportPageData PageData(bool charts) {
    ReportPageData d;
    d.CompanyName = QStringLiteral("Autohaus Beispiel GmbH");
    d.CompanyAddress = QStringLiteral("Hauptstraße 1");
    d.CompanyCity = QStringLiteral("12345 Musterstadt");
    d.CompanyPhone = QStringLiteral("0123 456789");
    d.CompanyFax = QStringLiteral("0123 456780");
    d.CompanyEmail = QStringLiteral("werkstatt@example.org");
    d.CompanyWebsite = QStringLiteral("www.example.org");
    SetPrintedTexts(d, PrintedReportTexts());
    d.CarID = QStringLiteral("B-AB 1234");
    d.Operator = QStringLiteral("Meier");
    d.DateandTime = QStringLiteral("24.03.2026 14:05");
    d.UnitValueCaption = UnitCaption(unitBar);
    for (int p = 1; p <= 12; ++p) {
        d.CompressionSlots[p - 1] = SlotNumberText(p);
        d.LeakageSlots[p - 1] = SlotNumberText(p);
    }
    d.DeviceSN = QStringLiteral("310-000815");
    d.SensorSN = QStringLiteral("S-4711");
    d.FileVersion = QStringLiteral("1.0.0.0");
    d.PrintCompression = charts;
    d.PrintLeakage = charts;
    if (charts) {
        MeasurementReport report;
        for (int slot = 0; slot < 10; ++slot) {
            report.Compression[slot] = static_cast<std::int16_t>(85 + (slot % 5) * 9);
            report.Leakage[slot] = static_cast<std::int16_t>((slot * 70) % 400);
        }
        BarChart komp;
        BarChart leak;
        ConfigureReportCharts(komp, leak, QLatin1Char('.'), QLatin1Char(','));
        FillChartSeries(report, report.CompressionAssignment, report.LeakageAssignment, unitBar,
                        komp.Series(), leak.Series());
        SetChartPictures(d, komp, leak);
    }
    return d;
}

void RenderPdf(benchmark::State& state, bool charts) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    const ReportPageData data = PageData(charts);
    for (auto _ : state) {
        if (!PrintReportToPdf(data, path, 600)) {
            state.SkipWithError("PDF export failed");
            return;
        }
    }
    state.counters["pdf_bytes"] = double(QFileInfo(path).size());
}

void BM_PdfPageWithoutCharts600(benchmark::State& state) {
    RenderPdf(state, false);
}
void BM_PdfPageBothCharts600(benchmark::State& state) {
    RenderPdf(state, true);
}

BENCHMARK(BM_PdfPageWithoutCharts600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfPageBothCharts600)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Headless: fonts and printing need a GUI application, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
