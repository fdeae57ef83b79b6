// Rendering the printed page into a PDF at 600 dpi. The empty page (frames
// and texts, no charts) is the baseline of the same run; the full page adds
// the two chart pictures. The PDF size is reported as a counter.
#include "app/main/bar_chart.h"
#include "print/report_page.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

QImage ChartPicture(bool leakage) {
    BarChart chart;
    chart.SetHorizontalRange(0.45, 12.55);
    if (leakage) {
        chart.SetVerticalRange(0, 120, false);
        chart.SetVerticalInverted(true);
        chart.Series().BarOrigin = -10;
        chart.Series().ValueFormat = QStringLiteral("##0%");
        chart.Series().AddXY(0, 110, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    }
    for (int p = 1; p <= 12; ++p) {
        const double y = leakage ? (p * 7) % 40 : 8.5 + (p % 5) * 0.9;
        chart.Series().AddXY(p, y, leakage ? QStringLiteral("%") : QString(),
                             QColor(112 + 13 * (p - 1), 37, 29));
    }
    if (!leakage) {
        chart.Series().AddXY(0, int(chart.Series().MaxYValue()) + 1, QStringLiteral("DummyBar"),
                             QColor(12, 38, 29));
    }
    return chart.RenderToImage(QSize(600, 250));
}

ReportPageData PageData(bool charts) {
    ReportPageData d;
    d.CompanyName = QStringLiteral("Autohaus Beispiel GmbH");
    d.CompanyAddress = QStringLiteral("Hauptstraße 1");
    d.CompanyCity = QStringLiteral("12345 Musterstadt");
    d.CompanyPhone = QStringLiteral("0123 456789");
    d.CompanyFax = QStringLiteral("0123 456780");
    d.CompanyEmail = QStringLiteral("werkstatt@example.org");
    d.CompanyWebsite = QStringLiteral("www.example.org");
    d.ReportTexts = {QStringLiteral("Measurement Report | VRX-310"),
                     QStringLiteral("Car Identification: "),
                     QStringLiteral("Operator: "),
                     QStringLiteral("Report Date and Time: "),
                     QString(),
                     QStringLiteral("Device and Software Information (please quote in "
                                    "communication):"),
                     QStringLiteral("Device SN:"),
                     QStringLiteral("Sensor SN:"),
                     QStringLiteral("Software release: ")};
    d.CylinderCaption = QStringLiteral("Cyl. no.");
    d.CarID = QStringLiteral("B-AB 1234");
    d.Operator = QStringLiteral("Meier");
    d.DateandTime = QStringLiteral("24.03.2026 14:05");
    d.CompressionCaption = QStringLiteral("Compression");
    d.UnitCaption = QStringLiteral("Unit:");
    d.UnitValueCaption = QStringLiteral("bar");
    d.LeakageCaption = QStringLiteral("Leakage");
    d.LeakageUnitCaption = QStringLiteral("Unit:  %    base reference 4bar");
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
        d.CompressionPicture = ChartPicture(false);
        d.LeakagePicture = ChartPicture(true);
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
