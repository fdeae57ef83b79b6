// The one-page printed report: company block, report header, the two chart
// sections with their slot-number rows, the device block and the maker's
// contact line. The page is laid out in the pixels of a 600 dpi printer and
// scaled to the real device, so it looks the same at any resolution.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

class QByteArray;
class QPainter;
class QPrinter;
class QWidget;

// Everything the page shows, already converted to UTF-8.
struct ReportPageData {
    // Company details of the workshop.
    QString CompanyName;
    QString CompanyAddress;
    QString CompanyCity;
    QString CompanyPhone;
    QString CompanyFax;
    QString CompanyEmail;
    QString CompanyWebsite;

    // The printed-report message table, entries 0..8 (entry 4 is not printed).
    std::array<QString, 9> ReportTexts;
    QString CylinderCaption; // "Cyl. no."

    QString CarID;
    QString Operator;
    QString DateandTime;

    QString CompressionCaption; // "Compression"
    QString UnitCaption;        // "Unit:"
    QString UnitValueCaption;   // the unit shown on screen ("bar", "kPa", "psi")
    QString LeakageCaption;     // "Leakage"
    QString LeakageUnitCaption; // "Unit:  %    base reference 4bar"

    // Slot number shown at positions 1..12 ("1".."12" or "-").
    std::array<QString, 12> CompressionSlots;
    std::array<QString, 12> LeakageSlots;

    QString DeviceSN;
    QString SensorSN;
    QString FileVersion;

    bool PrintCompression = true;
    bool PrintLeakage = true;

    // The evaluation block right of the report header, only when asked for:
    // without it the page is as it always was. The first line is bold.
    bool PrintEvaluation = false;
    QStringList EvaluationLines;

    // Chart pictures as rendered on screen (600 x 250) and the screen's
    // resolution they were made for; they fix the pictures' size on paper.
    QImage CompressionPicture;
    QImage LeakagePicture;
    double ScreenDpiX = 96;
    double ScreenDpiY = 96;
};

// Page geometry in 600 dpi pixels.
namespace ReportPage {
inline constexpr int LayoutDpi = 600;
inline constexpr int FramePen = 12;
inline constexpr int SlotColumnX0 = 655;
inline constexpr int SlotColumnStep = 307;
inline constexpr int CompressionPictureX = 800;
inline constexpr int CompressionPictureY = 2150;
inline constexpr int LeakagePictureX = 800;
inline constexpr int LeakagePictureY = 4150;
inline constexpr int CompressionRowY = 3750;
inline constexpr int LeakageRowY = 5750;

// The maker's contact block, four columns on two lines.
struct MakerContact {
    const char* Name;
    const char* Street;
    const char* City; // postcode and city
    const char* Phone;
    const char* Fax;
    const char* Web;
    const char* Mail;
};
extern const MakerContact Maker;
} // namespace ReportPage

// Slot-number text of a selector's item index: 1..12 give "1".."12",
// anything else (the "-" item, no selection) gives "-".
QString SlotNumberText(int itemIndex);

// Size of each chart picture on the page, in 600 dpi pixels: the first
// picture's size scaled from screen to 600 dpi, truncated.
QSize ReportPictureSize(const ReportPageData& data);

// Draws the page. deviceDpiX/Y is the resolution of the painter's device;
// the painter's origin must be the top-left of the printable area.
void PaintReportPage(QPainter& painter, const ReportPageData& data, int deviceDpiX, int deviceDpiY);

// The page as the bytes of a one-page PDF with the printer's page layout,
// resolution, document name, creator, PDF version and colour mode; empty
// when it could not be drawn. The printer's output file is not touched.
QByteArray RenderReportPdf(const ReportPageData& data, const QPrinter& printer);

// A one-page A4 portrait PDF at the given resolution, without margins.
// Drawn in memory and put in place of the target only when it is complete
// and wholly written; the target keeps its mode, a link is followed, a
// read-only file is refused. False (the target as it was) on any failure.
bool PrintReportToPdf(const ReportPageData& data, const QString& pdfPath, int dpi = 600);

// Shows the printer selection dialog and prints the page; false when the
// user cancelled or the page could not be printed (the user is told). Print
// to file goes the way of PrintReportToPdf: a failure leaves the old file.
bool PrintReport(QWidget* parent, const ReportPageData& data);
// The same on a printer set up by the caller (title, orientation and paper
// size are set here).
bool PrintReport(QWidget* parent, const ReportPageData& data, QPrinter& printer);
