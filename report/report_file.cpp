#include "report/report_file.h"
#include "fileio/safe_file.h"

#include <cerrno>
#include <cstdint>

namespace {

const char* const KeyCarID = "CarID";
const char* const KeyOperator = "Operator";
const char* const KeyDateandTime = "DateandTime";
const char* const KeyUnit = "Unit";

std::string MeasurePath(const char* node, int n, const char* leaf) {
    return std::string(node) + "\\" + std::to_string(n) + "\\" + leaf;
}

std::string DevicePath(const char* key) {
    return std::string("Device\\") + key;
}

// The file keeps 32 bits; the tester's values are 16 bits, so only the low
// half counts (70000 reads as 4464).
std::int16_t LowWord(std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr)
        *error = text;
}

} // namespace

std::string CompressionCylinderPath(int n) {
    return MeasurePath("MeasuresComp", n, "Cylinder");
}
std::string CompressionValuePath(int n) {
    return MeasurePath("MeasuresComp", n, "Value");
}
std::string LeakageCylinderPath(int n) {
    return MeasurePath("MeasuresLeak", n, "Cylinder");
}
std::string LeakageValuePath(int n) {
    return MeasurePath("MeasuresLeak", n, "Value");
}

bool WriteReport(TFreeBase& db, const MeasurementReport& report, bool saveWhatYouSee,
                 const std::string& dateAndTime) {
    if (!db.Active())
        return false;
    db.SetDataBaseInfo(ReportDatabaseInfo);
    bool ok = db.WriteString(KeyCarID, report.CarID);
    ok = db.WriteString(KeyOperator, report.Operator) && ok;
    ok = db.WriteString(KeyDateandTime, dateAndTime) && ok;
    ok = db.WriteInteger(KeyUnit, report.Unit) && ok;
    // Without "Save what you see" a reopened report shows the default
    // assignment, whatever the selectors showed.
    for (int n = 0; n < 12; ++n) {
        const int cylinder = saveWhatYouSee ? report.CompressionAssignment[n] : n + 1;
        ok = db.WriteInteger(CompressionCylinderPath(n), cylinder) && ok;
        ok = db.WriteInteger(CompressionValuePath(n), report.Compression[n]) && ok;
    }
    for (int n = 0; n < 12; ++n) {
        const int cylinder = saveWhatYouSee ? report.LeakageAssignment[n] : n + 1;
        ok = db.WriteInteger(LeakageCylinderPath(n), cylinder) && ok;
        ok = db.WriteInteger(LeakageValuePath(n), report.Leakage[n]) && ok;
    }
    for (const DeviceTextField& f : DeviceTextFields)
        ok = db.WriteString(DevicePath(f.Key), report.Texts.*f.Field) && ok;
    return ok;
}

namespace {

// A text of a report file, cut to what a report can sensibly hold: the
// window, the operator list and the settings never see more.
std::string ReadText(TFreeBase& db, std::string_view path, const std::string& def) {
    std::string text = db.ReadString(path, def);
    if (text.size() > MaxReportTextBytes)
        text.resize(MaxReportTextBytes);
    return text;
}

} // namespace

ReportFileLabels ReadReport(TFreeBase& db, MeasurementReport& report,
                            const std::string& notAvailableText) {
    report.CarID = ReadText(db, KeyCarID, std::string());
    report.Operator = ReadText(db, KeyOperator, std::string());
    report.DateandTime = ReadText(db, KeyDateandTime, notAvailableText);
    report.Unit = db.ReadInteger(KeyUnit, unitBar);
    for (int n = 0; n < 12; ++n) {
        report.CompressionAssignment[n] = db.ReadInteger(CompressionCylinderPath(n), 0);
        report.Compression[n] = LowWord(db.ReadInteger(CompressionValuePath(n), -1));
        report.LeakageAssignment[n] = db.ReadInteger(LeakageCylinderPath(n), 0);
        report.Leakage[n] = LowWord(db.ReadInteger(LeakageValuePath(n), -1));
    }
    for (const DeviceTextField& f : DeviceTextFields)
        report.Texts.*f.Field = ReadText(db, DevicePath(f.Key), std::string());
    ReportFileLabels labels;
    labels.DeviceSN = ReadText(db, DevicePath("Device SN"), notAvailableText);
    labels.SensorSN = ReadText(db, DevicePath("Sensor SN"), notAvailableText);
    return labels;
}

std::string ReportOpenErrorText(int lastError, int fileError) {
    // Only Windows refuses a file another program holds open.
    if (fileError == EBUSY && (lastError == fbeWriteFailed || lastError == fbeLoadFailed))
        return "the file is in use by another program";
    switch (lastError) {
    case fbeNone:
        return "no error";
    case fbeNoFileName:
        return "no file name given";
    case fbeFileMissing:
        return "the file does not exist or cannot be created";
    case fbeWriteFailed:
        return "writing the file failed";
    case fbeHeaderCrc:
        return "the file is damaged (its header does not match its checksum)";
    case fbeDataCrc:
        return "the file is damaged (its data do not match their checksum)";
    default:
        return "the file is not a report file, or it is damaged or unreadable";
    }
}

bool SaveReportFile(const std::string& path, const MeasurementReport& report, bool saveWhatYouSee,
                    const std::string& dateAndTime, std::string* error) {
    const bool existed = safefile::PathExists(path);
    TFreeBase db;
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    db.SetSaveAsVersion(TSaveAsVersion::Version2);
    db.SetFileName(path);
    if (!db.Open()) {
        SetError(error, ReportOpenErrorText(db.LastError(), db.FileError()));
        return false;
    }
    if (!WriteReport(db, report, saveWhatYouSee, dateAndTime)) {
        db.Abort(); // an existing file stays as it was
        if (!existed)
            safefile::RemoveFile(path);
        SetError(error, "the report entries could not be written");
        return false;
    }
    db.Close();
    if (db.LastError() != fbeNone) {
        // The save left the old file in place; a file this save created is
        // still empty and would only fail to open later.
        if (!existed && safefile::FileSize(path) == 0)
            safefile::RemoveFile(path);
        SetError(error, ReportOpenErrorText(db.LastError(), db.FileError()));
        return false;
    }
    return true;
}

bool LoadReportImage(const std::vector<std::uint8_t>& image, MeasurementReport* out,
                     std::string* error) {
    TFreeBase db;
    if (!db.OpenImage(image)) {
        SetError(error, ReportOpenErrorText(db.LastError()));
        return false;
    }
    MeasurementReport loaded = *out;
    ReadReport(db, loaded, NotAvailableText);
    db.Abort();
    loaded.FileName.clear();
    *out = loaded;
    return true;
}

bool LoadReportFile(const std::string& path, MeasurementReport* out, std::string* error) {
    TFreeBase db;
    // Read-only: a missing file is refused instead of created, and nothing
    // is ever written back.
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    db.SetFileName(path);
    if (!db.Open()) {
        SetError(error, ReportOpenErrorText(db.LastError(), db.FileError()));
        return false;
    }
    MeasurementReport loaded = *out;
    ReadReport(db, loaded, NotAvailableText);
    db.Abort();
    loaded.FileName = path;
    *out = loaded;
    return true;
}
