// vrx310-cli print: the page "Print Report" gives, drawn from a report file
// without a window and written as a one-page A4 PDF at 600 dpi.
#include "tools/vrx310-cli/print_command.h"

#include "tools/vrx310-cli/report_output.h"

#ifdef VRX_CLI_PRINT

#include "chart/bar_chart.h"
#include "platform/version_info.h"
#include "platform/window_text.h"
#include "print/chart_fill.h"
#include "print/page_data.h"
#include "print/printed_texts.h"
#include "print/report_page.h"
#include "settings/settings_file.h"

#include <QApplication>

#include <filesystem>
#include <optional>
#include <system_error>

namespace {

struct PrintOptions {
    std::string File;
    std::string Pdf;
    bool Compression = true;
    bool Leakage = true;
    std::optional<int> Unit;
};

// False (after a message) on arguments the command cannot use.
bool ParsePrintArgs(const CommandArgs& args, PrintOptions& o) {
    bool pdfGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--pdf") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                CliError("print: --pdf needs a file name.");
                return false;
            }
            o.Pdf = args[++i];
            pdfGiven = true;
        } else if (a == "--unit") {
            if (i + 1 >= args.size()) {
                CliError("print: --unit needs bar, kPa or psi.");
                return false;
            }
            o.Unit = ParseUnitName(args[++i]);
            if (!o.Unit) {
                CliError("print: unknown unit '" + args[i] + "' (bar, kPa or psi).");
                return false;
            }
        } else if (a == "--no-compression") {
            o.Compression = false;
        } else if (a == "--no-leakage") {
            o.Leakage = false;
        } else if (o.File.empty() && IsFileArgument(a)) {
            o.File = a;
        } else {
            CliError("print: unexpected argument '" + a + "'.");
            return false;
        }
    }
    if (o.File.empty() || !pdfGiven) {
        CliError("print: give a report file and --pdf OUT.pdf.");
        return false;
    }
    return true;
}

// The PDF must never take the place of the report it was made from.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

int PrintReportFile(const PrintOptions& o) {
    MeasurementReport report;
    if (!LoadReportOrSay(o.File, report))
        return exitFailure;
    // An unknown unit would read -1 on every compression bar.
    const int unit = o.Unit ? *o.Unit : ReportUnitOrBar(report, "printed");

    // Only this command needs a window system, and no display. Windows' own
    // needs none either and is where the fonts are.
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    int argc = 1;
    char name[] = "vrx310-cli";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    BarChart komp, leak;
    ConfigureReportCharts(komp, leak, LocaleDecimalPoint(), LocaleGroupSeparator());
    FillChartSeries(report, report.CompressionAssignment, report.LeakageAssignment, unit,
                    komp.Series(), leak.Series());

    ReportPageData d;
    const SettingsFile settings(SettingsFilePath());
    SetCompanyDetails(d, ReadCompanyDetails(settings));
    SetPrintedTexts(d, PrintedReportTexts());
    d.CarID = DiskToQ(report.CarID);
    d.Operator = DiskToQ(report.Operator);
    d.DateandTime = DiskToQ(report.DateandTime);
    d.UnitValueCaption = UnitCaption(unit);
    for (int p = 0; p < 12; ++p) {
        d.CompressionSlots[p] = SlotNumberText(report.CompressionAssignment[p]);
        d.LeakageSlots[p] = SlotNumberText(report.LeakageAssignment[p]);
    }
    d.DeviceSN = DiskToQ(report.Texts.DeviceSN);
    d.SensorSN = DiskToQ(report.Texts.SensorSN);
    d.FileVersion = DiskToQ(GetVersionString(VersionStrings(std::string()), 2));
    d.PrintCompression = o.Compression;
    d.PrintLeakage = o.Leakage;
    SetChartPictures(d, komp, leak);
    d.ScreenDpiX = d.ScreenDpiY = 96;

    if (!PrintReportToPdf(d, QString::fromStdString(o.Pdf))) {
        CliError("cannot write '" + o.Pdf + "'.");
        return exitFailure;
    }
    return exitOk;
}

} // namespace

int RunPrint(const CommandArgs& args) {
    PrintOptions o;
    if (!ParsePrintArgs(args, o)) {
        PrintUsage(false);
        return exitUsage;
    }
    if (SameFile(o.File, o.Pdf)) {
        CliError("print: the PDF would replace the report '" + o.File + "'.");
        return exitUsage;
    }
    return PrintReportFile(o);
}

#else

int RunPrint(const CommandArgs&) {
    // The page is drawn by the window program's printing, which this build
    // (no windows, or Windows) leaves out.
    CliError("print is not available in this build: it needs the window program's printing.");
    return exitFailure;
}

#endif
