// Report files (*.vrx): the entries a measurement report keeps in a TFreeBase
// database, and whole-file save and load for the tools.
//
// Texts are byte strings as on disk (single-byte Windows-1252).
#pragma once

#include "freebase/freebase.h"
#include "report/report_model.h"

#include <cstddef>
#include <string>
#include <vector>

// The database information text of every report file.
inline constexpr const char* ReportDatabaseInfo = "VRX-310";

// Path of an entry below "MeasuresComp\" or "MeasuresLeak\": n is 0..11.
std::string CompressionCylinderPath(int n);
std::string CompressionValuePath(int n);
std::string LeakageCylinderPath(int n);
std::string LeakageValuePath(int n);

// Writes the report into the active database db: the information text, then
// "CarID", "Operator", "DateandTime" (= dateAndTime), "Unit", the 24 cylinder
// and value pairs and the ten device texts. Entries that exist keep their
// place; new ones are appended. With saveWhatYouSee off the "Cylinder"
// entries hold the one-to-one assignment (position k shows slot k), with it
// on the report's assignments. False when db is inactive or an entry could
// not be written.
bool WriteReport(TFreeBase& db, const MeasurementReport& report, bool saveWhatYouSee,
                 const std::string& dateAndTime);

// What the two serial labels of the window show after opening: the entry,
// or the "not available" text when the file lacks it.
// Texts read from a report are cut to this many bytes: what the tester and
// the window produce is far shorter, and a hostile file must not carry
// megabytes into the window, the operator list and the settings.
inline constexpr std::size_t MaxReportTextBytes = 255;

struct ReportFileLabels {
    std::string DeviceSN;
    std::string SensorSN;
};

// Reads a report from the active database db into report: CarID, Operator,
// DateandTime (notAvailableText when missing), Unit, both assignments (as
// stored, also outside 0..12), the 24 values (low 16 bits of "Value") and
// the ten device texts. Every missing entry, or one of another type, gives
// the default of the schema. Texts are cut to MaxReportTextBytes. The raw
// device blocks, ValuesRead, Unsaved and FileName are left alone.
ReportFileLabels ReadReport(TFreeBase& db, MeasurementReport& report,
                            const std::string& notAvailableText);

// The text shown for a missing "DateandTime" and missing serial numbers.
inline constexpr const char* NotAvailableText = "(not available)";

// Saves the report into path as a version 2 database: a missing file is
// created, an existing report database is written into (keeping its created
// date and every entry the report does not name). A file that is not a
// sound database is left as it was. On failure *error (if given) says why.
bool SaveReportFile(const std::string& path, const MeasurementReport& report, bool saveWhatYouSee,
                    const std::string& dateAndTime, std::string* error);

// Loads the report file at path into *out (as ReadReport, with
// NotAvailableText) and sets out->FileName. Never creates or changes the
// file. On failure *out is unchanged and *error (if given) says why.
bool LoadReportFile(const std::string& path, MeasurementReport* out, std::string* error);
// The same from a file's bytes already read (standard input, a folder
// listing), with every check a file gets; out->FileName is left empty.
bool LoadReportImage(const std::vector<std::uint8_t>& image, MeasurementReport* out,
                     std::string* error);

// A short explanation of a failed activation (TFreeBase::LastError, with
// TFreeBase::FileError where known) of path.
std::string ReportOpenErrorText(int lastError, int fileError = 0);
