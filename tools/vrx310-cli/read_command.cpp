// vrx310-cli read: the program's reading sequence, printed as text or JSON.
#include "device/tester_link.h"
#include "report/report_model.h"
#include "tools/vrx310-cli/commands.h"
#include "tools/vrx310-cli/report_output.h"
#include "tools/vrx310-cli/tester_reading.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace {

struct ReadOptions {
    bool Json = false;
    bool Erase = false;
};

bool ParseOptions(const CommandArgs& args, ReadOptions& options) {
    for (const std::string& a : args) {
        if (a == "--json")
            options.Json = true;
        else if (a == "--erase")
            options.Erase = true;
        else {
            std::fprintf(stderr, "vrx310-cli read: unknown argument '%s'\n", a.c_str());
            return false;
        }
    }
    return true;
}

void PrintText(const MeasurementReport& report) {
    std::printf("Slot  Compression  Leakage\n");
    for (std::size_t i = 0; i < 12; ++i)
        std::printf("%4zu  %11d  %7d\n", i + 1, report.Compression[i], report.Leakage[i]);
    std::printf(
        "(raw values: compression in 0.1 bar, leakage in 0.1 %%; negative = empty slot)\n\n");
    for (const DeviceTextField& f : DeviceTextFields)
        std::printf("%-17s %s\n", f.Key, ShownText(report.Texts.*f.Field).c_str());
}

void PrintJson(const MeasurementReport& report) {
    nlohmann::ordered_json out;
    out["compression"] = report.Compression;
    out["leakage"] = report.Leakage;
    out["device"] = DeviceJson(report);
    std::cout << out.dump(2) << '\n';
}

} // namespace

int RunRead(const CommandArgs& args) {
    ReadOptions options;
    if (!ParseOptions(args, options)) {
        PrintUsage(false);
        return exitUsage;
    }

    TesterLink link("AtUsbHid", [](const std::string& message) { CliError(message); });
    MeasurementBlock block;
    if (!ReadTesterMeasures(link, block))
        return exitFailure;

    MeasurementReport report;
    report.TakeReading(block, std::string());

    // As in the program: the erase comes before the device information.
    bool eraseFailed = false;
    if (options.Erase)
        eraseFailed = !link.EraseMeasurements();

    // A failed request leaves its block as it was (all zero here).
    ReadTesterDetails(link, report);
    report.DeriveTexts('.');
    link.Close();

    if (options.Json)
        PrintJson(report);
    else
        PrintText(report);
    std::fflush(stdout);

    if (eraseFailed) {
        CliError("Erasing measurements failed!");
        return exitFailure;
    }
    return exitOk;
}
