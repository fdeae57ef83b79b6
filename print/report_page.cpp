#include "print/report_page.h"

#include "platform/window_style.h"
#include "print/pdf_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>

namespace ReportPage {
// The same phone, fax, web and mail as the About box. The columns are
// placed from the widths these texts take in the page's font.
const MakerContact Maker = {
    "KALDORIAN GmbH",
    "Kolbenweg 14",
    "70565 Stuttgart",
    "tel: +49 711 555 310-0",
    "fax: +49 711 555 310-99",
    "www.kaldorian-diagnostics.example",
    "sales@kaldorian-diagnostics.example",
};
} // namespace ReportPage

namespace {

using namespace ReportPage;

const QString JobTitle = QStringLiteral("VRX310 Report");

// The maker's block below the frame. MakerRight is the inner edge of the
// frame's line at x 4650.
constexpr double MakerPoints = 6;
constexpr int MakerLine1 = 6470;
constexpr int MakerLine2 = 6550;
constexpr double MakerLeft = 2300;
constexpr double MakerLeftmost = 650;
constexpr double MakerRight = 4650 - FramePen / 2;
constexpr double MakerColumnGap = 72; // 3 mm

// Draws texts with the top-left of the first character cell at the given
// point, in a font whose point size holds on paper after the page scaling.
class PageWriter {
public:
    PageWriter(QPainter& painter, int deviceDpiY) : painter_(painter) {
        const QPaintDevice* device = painter.device();
        deviceDpiY_ =
            device != nullptr && device->logicalDpiY() > 0 ? device->logicalDpiY() : deviceDpiY;
    }

    void SetFont(double points, bool bold) {
        QFont font = WindowStyle::PageFont(bold);
        // The font is resolved for the device but drawn through the page
        // scaling (device dpi / 600); this size gives the right points.
        font.setPointSizeF(points * LayoutDpi / deviceDpiY_);
        painter_.setFont(font);
        ascent_ = QFontMetricsF(painter_.font(), painter_.device()).ascent();
    }

    // Width of the text in the current font, in page pixels.
    double Width(const QString& text) const {
        return QFontMetricsF(painter_.font(), painter_.device()).horizontalAdvance(text);
    }

    QString Elided(const QString& text, double width) const {
        return QFontMetricsF(painter_.font(), painter_.device())
            .elidedText(text, Qt::ElideRight, width);
    }

    void Text(double x, double y, const QString& text) {
        if (text.isEmpty()) {
            return;
        }
        painter_.drawText(QPointF(x, y + ascent_), text);
    }

private:
    QPainter& painter_;
    int deviceDpiY_ = LayoutDpi;
    double ascent_ = 0;
};

QImage OpaquePicture(const QImage& picture) {
    // Plain copy onto the paper: nothing of the page shows through.
    if (picture.hasAlphaChannel()) {
        return picture.convertToFormat(QImage::Format_RGB32);
    }
    return picture;
}

// The grey a printer in grayscale mode puts in a PDF for each pixel.
QImage GrayPicture(const QImage& picture) {
    if (picture.isNull()) {
        return picture;
    }
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage gray(rgb.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = gray.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[x] = static_cast<uchar>(qGray(in[x]));
        }
    }
    return gray;
}

void PaintCompressionSection(PageWriter& w, const ReportPageData& d) {
    w.SetFont(8, true);
    w.Text(650, 2000, d.CompressionCaption);
    w.SetFont(8, false);
    w.Text(1800, 2000, d.UnitCaption + QStringLiteral("  ") + d.UnitValueCaption);
    w.Text(600, CompressionRowY, d.CylinderCaption);
    for (int p = 1; p <= 12; ++p) {
        w.Text(SlotColumnX0 + SlotColumnStep * p, CompressionRowY, d.CompressionSlots[p - 1]);
    }
}

void PaintLeakageSection(PageWriter& w, const ReportPageData& d) {
    w.SetFont(8, true);
    w.Text(650, 4000, d.LeakageCaption);
    w.SetFont(8, false);
    w.Text(1800, 4000, d.LeakageUnitCaption);
    w.Text(600, LeakageRowY, d.CylinderCaption);
    for (int p = 1; p <= 12; ++p) {
        w.Text(SlotColumnX0 + SlotColumnStep * p, LeakageRowY, d.LeakageSlots[p - 1]);
    }
}

// The maker's block: four columns on two lines below the frame, column 1
// the name in bold. Each column is as wide as its longer text measures in
// the font the page really gets (Tahoma or what stands in for it), so no
// column runs into the next. The block starts at MakerLeft when it fits
// there, else it moves left (not beyond MakerLeftmost) so that its last
// column ends at MakerRight; only a block wider than that takes a smaller
// size.
void PaintMakerBlock(PageWriter& w) {
    struct Column {
        QString First, Second;
        bool Bold;
    };
    const std::array<Column, 4> columns = {{
        {QString::fromUtf8(Maker.Name), QString(), true},
        {QString::fromUtf8(Maker.Street), QString::fromUtf8(Maker.City), false},
        {QString::fromUtf8(Maker.Phone), QString::fromUtf8(Maker.Fax), false},
        {QString::fromUtf8(Maker.Web), QString::fromUtf8(Maker.Mail), false},
    }};

    double points = MakerPoints;
    std::array<double, 4> widths{};
    double total = 0;
    for (;;) {
        total = MakerColumnGap * static_cast<double>(columns.size() - 1);
        for (size_t i = 0; i < columns.size(); ++i) {
            w.SetFont(points, columns[i].Bold);
            widths[i] = std::max(w.Width(columns[i].First), w.Width(columns[i].Second));
            total += widths[i];
        }
        if (total <= MakerRight - MakerLeftmost || points <= 1) {
            break;
        }
        points *= 0.95;
    }

    double x = std::max(MakerLeftmost, std::min(MakerLeft, MakerRight - total));
    for (size_t i = 0; i < columns.size(); ++i) {
        w.SetFont(points, columns[i].Bold);
        w.Text(x, MakerLine1, columns[i].First);
        w.Text(x, MakerLine2, columns[i].Second);
        x += widths[i] + MakerColumnGap;
    }
}

// The evaluation block beside the report header's texts, inside its box:
// each line wrapped at word boundaries, in the largest size from 7 points
// down to 5 that lets every row fit; below that the last row is elided. So
// no face takes it over the frame or into the header's texts.
QStringList WrappedRows(PageWriter& w, const QStringList& lines, double width) {
    QStringList rows;
    for (const QString& line : lines) {
        QString row;
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = row.isEmpty() ? word : row + QLatin1Char(' ') + word;
            if (!row.isEmpty() && w.Width(longer) > width) {
                rows << row;
                row = word;
            } else {
                row = longer;
            }
        }
        rows << row;
    }
    return rows;
}

void PaintEvaluationBlock(PageWriter& w, const ReportPageData& d) {
    constexpr double Top = 1240, Bottom = 1880, Gap = 150;
    constexpr double Right = 4650 - FramePen / 2 - 50;
    w.SetFont(8, true);
    double left = 650 + w.Width(d.ReportTexts[0]);
    w.SetFont(8, false);
    for (const QString& t : {d.ReportTexts[1] + QLatin1Char(' ') + d.CarID,
                             d.ReportTexts[2] + QLatin1Char(' ') + d.Operator,
                             d.ReportTexts[3] + QLatin1Char(' ') + d.DateandTime})
        left = std::max(left, 650 + w.Width(t));
    left = std::max(2600.0, left + Gap);
    const double width = Right - left;
    if (width < 400)
        return; // the header's own texts take the box
    // The title in bold on a row of its own, the rest wrapped.
    double points = 7;
    QStringList rows;
    int maxRows = 0;
    for (;;) {
        const double step = points * LayoutDpi / 72 * 1.3;
        maxRows = static_cast<int>((Bottom - Top - points * LayoutDpi / 72) / step) + 1;
        w.SetFont(points, false);
        rows = WrappedRows(w, d.EvaluationLines.mid(1), width);
        if (rows.size() + 1 <= maxRows || points <= 5)
            break;
        points -= 0.5;
    }
    const double step = points * LayoutDpi / 72 * 1.3;
    w.SetFont(points, true);
    w.Text(left, Top, w.Elided(d.EvaluationLines.value(0), width));
    w.SetFont(points, false);
    const int shown = std::min<int>(rows.size(), maxRows - 1);
    for (int i = 0; i < shown; ++i) {
        QString row = rows[i];
        if (i == shown - 1 && shown < rows.size())
            row += QStringLiteral(" \u2026");
        w.Text(left, Top + step * (i + 1), w.Elided(row, width));
    }
}

bool PaintOnPrinter(QPrinter& printer, const ReportPageData& data) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    PaintReportPage(painter, data, printer.logicalDpiX(), printer.logicalDpiY());
    return painter.end();
}

void SetUpPrinter(QPrinter& printer) {
    printer.setDocName(JobTitle);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// A PDF has no unprintable edge: the page origin is the sheet's top-left.
void UseWholeSheet(QPrinter& printer) {
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

QString SlotNumberText(int itemIndex) {
    if (itemIndex >= 1 && itemIndex <= 12) {
        return QString::number(itemIndex);
    }
    return QStringLiteral("-");
}

QSize ReportPictureSize(const ReportPageData& data) {
    const QImage& first =
        data.CompressionPicture.isNull() ? data.LeakagePicture : data.CompressionPicture;
    if (first.isNull()) {
        return {};
    }
    // A broken screen resolution must not blow the pictures up or away.
    const double dpiX = data.ScreenDpiX > 0 ? data.ScreenDpiX : 96.0;
    const double dpiY = data.ScreenDpiY > 0 ? data.ScreenDpiY : 96.0;
    return QSize(static_cast<int>(std::trunc(first.width() * LayoutDpi / dpiX)),
                 static_cast<int>(std::trunc(first.height() * LayoutDpi / dpiY)));
}

void PaintReportPage(QPainter& painter, const ReportPageData& d, int deviceDpiX, int deviceDpiY) {
    if (deviceDpiX <= 0 || deviceDpiY <= 0) {
        return;
    }
    painter.save();
    painter.scale(static_cast<double>(deviceDpiX) / LayoutDpi,
                  static_cast<double>(deviceDpiY) / LayoutDpi);

    // Frames: outer, header, leakage.
    QPen framePen(Qt::black);
    framePen.setWidth(FramePen);
    painter.setPen(framePen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(500, 300), QPointF(4650, 6420)));
    painter.drawRect(QRectF(QPointF(500, 1200), QPointF(4650, 1900)));
    painter.drawRect(QRectF(QPointF(500, 3900), QPointF(4650, 5900)));

    // Both pictures take the first one's size.
    const QSize pictureSize = ReportPictureSize(d);
    if (d.PrintCompression && !d.CompressionPicture.isNull() && !pictureSize.isEmpty()) {
        painter.drawImage(QRect(QPoint(CompressionPictureX, CompressionPictureY), pictureSize),
                          OpaquePicture(d.CompressionPicture));
    }
    if (d.PrintLeakage && !d.LeakagePicture.isNull() && !pictureSize.isEmpty()) {
        painter.drawImage(QRect(QPoint(LeakagePictureX, LeakagePictureY), pictureSize),
                          OpaquePicture(d.LeakagePicture));
    }

    painter.setPen(Qt::black);
    PageWriter w(painter, deviceDpiY);

    // Company block.
    w.SetFont(8, true);
    w.Text(650, 400, d.CompanyName);
    w.SetFont(8, false);
    w.Text(650, 510, d.CompanyAddress);
    w.Text(650, 620, d.CompanyCity);
    w.Text(650, 730, d.CompanyPhone);
    w.Text(650, 840, d.CompanyFax);
    w.Text(650, 950, d.CompanyEmail + QStringLiteral(" / ") + d.CompanyWebsite);

    // Report header.
    w.SetFont(8, true);
    w.Text(650, 1300, d.ReportTexts[0]);
    w.SetFont(8, false);
    w.Text(650, 1410, d.ReportTexts[1] + QLatin1Char(' ') + d.CarID);
    w.Text(650, 1520, d.ReportTexts[2] + QLatin1Char(' ') + d.Operator);
    w.Text(650, 1630, d.ReportTexts[3] + QLatin1Char(' ') + d.DateandTime);
    if (d.PrintEvaluation && !d.EvaluationLines.isEmpty()) {
        PaintEvaluationBlock(w, d);
    }

    if (d.PrintCompression) {
        PaintCompressionSection(w, d);
    }
    if (d.PrintLeakage) {
        PaintLeakageSection(w, d);
    }

    // Device block.
    w.SetFont(8, true);
    w.Text(650, 6000, d.ReportTexts[5]);
    w.SetFont(8, false);
    w.Text(650, 6110, d.ReportTexts[6] + QStringLiteral("  ") + d.DeviceSN);
    w.Text(650, 6220, d.ReportTexts[7] + QStringLiteral("  ") + d.SensorSN);
    w.Text(1800, 6220, d.ReportTexts[8] + QStringLiteral("  ") + d.FileVersion);

    PaintMakerBlock(w);
    painter.restore();
}

QByteArray RenderReportPdf(const ReportPageData& data, const QPrinter& printer) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    if (!buffer.open(QIODevice::WriteOnly)) {
        return {};
    }
    QPdfWriter writer(&buffer);
    writer.setResolution(printer.resolution());
    writer.setPdfVersion(printer.pdfVersion());
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    if (!writer.setPageLayout(printer.pageLayout())) {
        return {};
    }
    // The PDF writer has no grayscale mode; the page's only colours are in
    // the pictures, its texts and frames are black.
    ReportPageData page = data;
    if (printer.colorMode() == QPrinter::GrayScale) {
        page.CompressionPicture = GrayPicture(data.CompressionPicture);
        page.LeakagePicture = GrayPicture(data.LeakagePicture);
    }
    QPainter painter;
    if (!painter.begin(&writer)) {
        return {};
    }
    PaintReportPage(painter, page, writer.logicalDpiX(), writer.logicalDpiY());
    if (!painter.end()) {
        return {};
    }
    return pdf;
}

bool PrintReportToPdf(const ReportPageData& data, const QString& pdfPath, int dpi) {
    if (pdfPath.isEmpty() || dpi <= 0) {
        return false;
    }
    // The printer only carries the settings; the page is drawn in memory.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(dpi);
    SetUpPrinter(printer);
    UseWholeSheet(printer);
    printer.setCreator(JobTitle);
    return ReplacePdfFile(pdfPath, RenderReportPdf(data, printer));
}

bool PrintReport(QWidget* parent, const ReportPageData& data) {
    QPrinter printer(QPrinter::HighResolution);
    return PrintReport(parent, data, printer);
}

bool PrintReport(QWidget* parent, const ReportPageData& data, QPrinter& printer) {
    SetUpPrinter(printer);
    printer.setCopyCount(1);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    bool printed = false;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        // Printed to a file: the same page as the PDF export, drawn in
        // memory and put in place of the file only when it is whole. A
        // printer keeps its printable area as the page origin.
        UseWholeSheet(printer);
        printed = ReplacePdfFile(printer.outputFileName(), RenderReportPdf(data, printer));
    } else {
        printed = PaintOnPrinter(printer, data);
    }
    if (!printed) {
        // For instance a file name that is a folder: say so rather than
        // leave the user waiting for a page that never comes.
        QMessageBox::warning(
            parent, JobTitle,
            QCoreApplication::translate("PrintReport", "The report could not be printed."));
        return false;
    }
    return true;
}
