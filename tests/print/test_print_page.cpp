// The printed page, checked in the PDF it produces.
#include "print/pdf_file.h"
#include "print/report_page.h"
#include "tests/print/dialog_answerer.h"
#include "tests/print/pdf_probe.h"

#include <QDir>
#include <QFontDatabase>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QColor Blue(30, 60, 200), Green(30, 160, 60);
bool IsWhite(QRgb c) {
    return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}
bool IsBlue(QRgb c) {
    return qBlue(c) > 150 && qRed(c) < 90 && qGreen(c) < 110;
}
bool IsGreen(QRgb c) {
    return qGreen(c) > 120 && qRed(c) < 90 && qBlue(c) < 110;
}

// Bounding box, in 600 dpi pixels, of the raster pixels that satisfy pred.
template <typename Pred> QRect Box(const QImage& img, Pred pred) {
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (pred(img.pixel(x, y))) {
                box |= QRect(x * 12, y * 12, 12, 12);
            }
        }
    }
    return box;
}

// Inside a 600 dpi rectangle, away from anti-aliased edges.
template <typename Pred> bool All(const QImage& img, const QRect& r600, Pred pred) {
    for (int y = r600.top() / 12 + 2; y < r600.bottom() / 12 - 1; ++y) {
        for (int x = r600.left() / 12 + 2; x < r600.right() / 12 - 1; ++x) {
            if (!pred(img.pixel(x, y))) {
                return false;
            }
        }
    }
    return true;
}

const QRect CompressionArea(800, 2150, 3750, 1562), LeakageArea(800, 4150, 3750, 1562);

QImage Filled(const QColor& c, QSize size = QSize(600, 250)) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

ReportPageData SampleData() {
    ReportPageData d;
    d.CompanyName = QStringLiteral("Autohaus Müller");
    d.CompanyAddress = QStringLiteral("Ringstraße 3");
    d.CompanyCity = QStringLiteral("89073 Ulm");
    d.CompanyPhone = QStringLiteral("0731 1234");
    d.CompanyFax = QStringLiteral("0731 1235");
    d.CompanyEmail = QStringLiteral("info@example.org");
    d.CompanyWebsite = QStringLiteral("www.example.org");
    d.ReportTexts = {"Measurement Report | VRX-310",
                     "Car Identification: ",
                     "Operator: ",
                     "Report Date and Time: ",
                     " --- not loaded from a file --- ",
                     "Device and Software Information (please quote in communication):",
                     "Device SN:",
                     "Sensor SN:",
                     "Software release: "};
    d.CylinderCaption = QStringLiteral("Cyl. no.");
    d.CarID = QStringLiteral("UL-AB 123");
    d.Operator = QStringLiteral("Hauser");
    d.DateandTime = QStringLiteral("24.03.2026 14:05");
    d.CompressionCaption = QStringLiteral("Compression");
    d.UnitCaption = QStringLiteral("Unit:");
    d.UnitValueCaption = QStringLiteral("kPa");
    d.LeakageCaption = QStringLiteral("Leakage");
    d.LeakageUnitCaption = QStringLiteral("Unit:  %    base reference 4bar");
    for (int p = 1; p <= 12; ++p) {
        d.CompressionSlots[p - 1] = d.LeakageSlots[p - 1] = SlotNumberText(p);
    }
    d.DeviceSN = QStringLiteral("DSN-4711");
    d.SensorSN = QStringLiteral("SSN-0815");
    d.FileVersion = QStringLiteral("1.0.4.0");
    d.CompressionPicture = Filled(Blue);
    d.LeakagePicture = Filled(Green);
    return d;
}

} // namespace

class TestPrintPage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QList<PdfWord> page_; // the sample at 600 dpi

    QString Export(const ReportPageData& d, const QString& name, int dpi = 600) {
        const QString path = dir_.filePath(name);
        return PrintReportToPdf(d, path, dpi) ? path : QString();
    }

private slots:
    void initTestCase() {
        if (!HavePopplerTools()) {
            QSKIP("poppler-utils (pdftotext, pdfinfo, pdftoppm) are not installed");
        }
        QVERIFY(dir_.isValid());
        const QString pdf = Export(SampleData(), QStringLiteral("sample.pdf"));
        QVERIFY(!pdf.isEmpty());
        page_ = PdfWords(pdf);
        const QString info = PdfInfo(pdf);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(info));
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Title:\\s+VRX310 Report\\n"))));
        QVERIFY(info.contains(QStringLiteral("595 x 842 pts (A4)")));
    }

    void textsStandAtTheirPlaces() {
        const auto& m = ReportPage::Maker;
        const struct {
            int x, y, untilX;
            QString text;
        } expected[] = {
            {650, 400, 5000, "Autohaus Müller"},
            {650, 510, 5000, "Ringstraße 3"},
            {650, 620, 5000, "89073 Ulm"},
            {650, 730, 5000, "0731 1234"},
            {650, 840, 5000, "0731 1235"},
            {650, 950, 5000, "info@example.org / www.example.org"},
            {650, 1300, 5000, "Measurement Report | VRX-310"},
            {650, 1410, 5000, "Car Identification: UL-AB 123"},
            {650, 1520, 5000, "Operator: Hauser"},
            {650, 1630, 5000, "Report Date and Time: 24.03.2026 14:05"},
            {650, 2000, 1800, "Compression"},
            {1800, 2000, 5000, "Unit: kPa"},
            {600, 3750, 900, "Cyl. no."},
            {962, 3750, 5000, "1 2 3 4 5 6 7 8 9 10 11 12"},
            {650, 4000, 1800, "Leakage"},
            {1800, 4000, 5000, "Unit: % base reference 4bar"},
            {600, 5750, 900, "Cyl. no."},
            {4339, 5750, 5000, "12"},
            {650, 6000, 5000, "Device and Software Information (please quote in communication):"},
            {650, 6110, 5000, "Device SN: DSN-4711"},
            {650, 6220, 1800, "Sensor SN: SSN-0815"},
            {1800, 6220, 5000, "Software release: 1.0.4.0"},
            // The maker's columns in order; where they stand: below.
            {0, 6470, 5000, QStringList{m.Name, m.Street, m.Phone, m.Web}.join(' ')},
            {0, 6550, 5000, QStringList{m.City, m.Fax, m.Mail}.join(' ')},
        };
        for (const auto& e : expected) {
            QCOMPARE(LineAt(page_, e.x, e.y, e.untilX), e.text);
        }
        // Slot columns at 655 + 307 p.
        for (const PdfWord& w : page_) {
            if (std::abs(w.Y - 3750) < 13 && w.X > 900) {
                QVERIFY2(std::abs(w.X - (655 + 307 * w.Text.toInt())) < 13, qPrintable(w.Text));
            }
        }
    }

    // The maker's four columns, found by their texts: on both lines a column
    // starts at one x, ends a visible gap before the next one starts, and the
    // last ends inside the outer frame (its 12 pixel line stands at 4650), in
    // 6 points. Also run where the condensed face is missing.
    void makerColumnsFitTheFrame() {
        if (qEnvironmentVariableIsSet("VRX_TEST_WITHOUT_CONDENSED_FACE")) {
            QVERIFY(!QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans Condensed")));
        }
        double height6 = 0; // from an 8 point word
        for (const PdfWord& w : page_) {
            if (std::abs(w.Y - 6110) < 13) {
                height6 = w.Height * 6 / 8;
            }
        }
        QVERIFY(height6 > 0);
        // Start and end of each text on the line at y; empty unless the line
        // holds exactly these texts, in this order, in 6 points.
        using Spans = QList<QPair<double, double>>;
        auto columns = [&](double y, const QStringList& texts) {
            QList<PdfWord> line;
            for (const PdfWord& w : page_) {
                if (std::abs(w.Y - y) < 13 && std::abs(w.Height - height6) < 2) {
                    line << w;
                }
            }
            std::sort(line.begin(), line.end(),
                      [](const PdfWord& a, const PdfWord& b) { return a.X < b.X; });
            Spans spans;
            qsizetype next = 0;
            for (const QString& text : texts) {
                const qsizetype n = text.count(' ') + 1;
                if (next + n > line.size()) {
                    return Spans();
                }
                QStringList found;
                for (qsizetype i = next; i < next + n; ++i) {
                    found << line[i].Text;
                }
                if (found.join(' ') != text) {
                    return Spans();
                }
                spans.append({line[next].X, line[next + n - 1].XMax});
                next += n;
            }
            return next == line.size() ? spans : Spans();
        };
        const auto& m = ReportPage::Maker;
        const Spans first = columns(6470, {m.Name, m.Street, m.Phone, m.Web});
        const Spans second = columns(6550, {m.City, m.Fax, m.Mail});
        QCOMPARE(first.size(), 4);
        QCOMPARE(second.size(), 3);
        for (int c = 1; c < 4; ++c) {
            QVERIFY(std::abs(first[c].first - second[c - 1].first) < 2);
        }
        for (const Spans& line : {first, second}) {
            QVERIFY(line.first().first > 650 - 2);
            for (qsizetype c = 0; c + 1 < line.size(); ++c) {
                QVERIFY2(line[c].second + 24 < line[c + 1].first,
                         qPrintable(QStringLiteral("a column ends at %1, the next starts at %2")
                                        .arg(line[c].second)
                                        .arg(line[c + 1].first)));
            }
            QVERIFY2(line.last().second < 4650 - 6 + 1,
                     qPrintable(QStringLiteral("ends at %1").arg(line.last().second)));
        }
        qInfo("maker columns end at %.0f %.0f %.0f %.0f / %.0f %.0f %.0f", first[0].second,
              first[1].second, first[2].second, first[3].second, second[0].second, second[1].second,
              second[2].second);
    }

    void selectorsWithoutSlotPrintDash() {
        QCOMPARE(SlotNumberText(0), QStringLiteral("-"));
        QCOMPARE(SlotNumberText(-1), QStringLiteral("-"));
        QCOMPARE(SlotNumberText(13), QStringLiteral("-"));
        QCOMPARE(SlotNumberText(12), QStringLiteral("12"));
        ReportPageData d = SampleData();
        d.CompressionSlots[2] = SlotNumberText(7); // position 3 shows slot 7
        d.CompressionSlots[3] = SlotNumberText(0);
        d.LeakageSlots[4] = SlotNumberText(-1);
        const QList<PdfWord> words = PdfWords(Export(d, QStringLiteral("slots.pdf")));
        QCOMPARE(LineAt(words, 962, 3750), QStringLiteral("1 2 7 - 5 6 7 8 9 10 11 12"));
        QCOMPARE(LineAt(words, 962, 5750), QStringLiteral("1 2 3 4 - 6 7 8 9 10 11 12"));
        QCOMPARE(LineAt(words, 655 + 307 * 3, 3750, 655 + 307 * 4), QStringLiteral("7"));
    }

    void chartOptionsDecideTheSections_data() {
        QTest::addColumn<bool>("compression");
        QTest::addColumn<bool>("leakage");
        QTest::newRow("none") << false << false;
        QTest::newRow("leakage only") << false << true;
        QTest::newRow("compression only") << true << false;
    }

    void chartOptionsDecideTheSections() {
        QFETCH(bool, compression);
        QFETCH(bool, leakage);
        ReportPageData d = SampleData();
        d.PrintCompression = compression;
        d.PrintLeakage = leakage;
        const QString pdf =
            Export(d, QStringLiteral("options%1%2.pdf").arg(compression).arg(leakage));
        const QList<PdfWord> words = PdfWords(pdf);
        QCOMPARE(LineAt(words, 650, 2000).isEmpty(), !compression);
        QCOMPARE(LineAt(words, 600, 3750).isEmpty(), !compression);
        QCOMPARE(LineAt(words, 650, 4000).isEmpty(), !leakage);
        QCOMPARE(LineAt(words, 600, 5750).isEmpty(), !leakage);
        QCOMPARE(LineAt(words, 650, 6110), QStringLiteral("Device SN: DSN-4711"));
        const QImage raster = PdfRaster(pdf);
        QVERIFY(compression ? All(raster, CompressionArea, IsBlue)
                            : All(raster, CompressionArea, IsWhite));
        QVERIFY(leakage ? All(raster, LeakageArea, IsGreen) : All(raster, LeakageArea, IsWhite));
    }

    void picturesTakeTheFirstPicturesSizeScaledFromTheScreen_data() {
        QTest::addColumn<double>("screenDpi");
        QTest::addColumn<QSize>("size");
        QTest::newRow("96 dpi") << 96.0 << QSize(3750, 1562);
        QTest::newRow("120 dpi") << 120.0 << QSize(3000, 1250);
        QTest::newRow("unknown dpi as 96") << 0.0 << QSize(3750, 1562);
    }

    void picturesTakeTheFirstPicturesSizeScaledFromTheScreen() {
        QFETCH(double, screenDpi);
        QFETCH(QSize, size);
        ReportPageData d = SampleData();
        d.ScreenDpiX = d.ScreenDpiY = screenDpi;
        d.LeakagePicture = Filled(Green, QSize(300, 100)); // printed at the first one's size
        QCOMPARE(ReportPictureSize(d), size);
        const QImage raster = PdfRaster(Export(d, QStringLiteral("dpi%1.pdf").arg(screenDpi)));
        for (const QRect& box : {Box(raster, IsBlue), Box(raster, IsGreen).translated(0, -2000)}) {
            QVERIFY2(std::abs(box.left() - 800) <= 12 && std::abs(box.top() - 2150) <= 12 &&
                         std::abs(box.width() - size.width()) <= 24 &&
                         std::abs(box.height() - size.height()) <= 24,
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(box.left())
                                    .arg(box.top())
                                    .arg(box.width())
                                    .arg(box.height())));
        }
    }

    void emptyCompanyNamePrintsNothingAndMakerLineStays() {
        ReportPageData d = SampleData();
        d.CompanyName.clear();
        const QList<PdfWord> words = PdfWords(Export(d, QStringLiteral("noname.pdf")));
        QVERIFY(LineAt(words, 650, 400).isEmpty());
        QCOMPARE(LineAt(words, 650, 510), QStringLiteral("Ringstraße 3"));
        QCOMPARE(LineAt(words, 0, 6470), LineAt(page_, 0, 6470));
        QCOMPARE(LineAt(words, 0, 6550), LineAt(page_, 0, 6550));
    }

    void otherResolutionsGiveTheSamePage_data() {
        QTest::addColumn<int>("dpi");
        QTest::newRow("300 dpi") << 300;
        QTest::newRow("1200 dpi") << 1200;
    }

    void otherResolutionsGiveTheSamePage() {
        QFETCH(int, dpi);
        const QString pdf = Export(SampleData(), QStringLiteral("res%1.pdf").arg(dpi), dpi);
        QVERIFY(PdfInfo(pdf).contains(QStringLiteral("595 x 842 pts (A4)")));
        const QList<PdfWord> words = PdfWords(pdf);
        QCOMPARE(words.size(), page_.size());
        for (int i = 0; i < words.size(); ++i) {
            // Same place on paper and the same point size.
            QCOMPARE(words[i].Text, page_[i].Text);
            QVERIFY2(std::abs(words[i].X - page_[i].X) < 4 &&
                         std::abs(words[i].Y - page_[i].Y) < 4 &&
                         std::abs(words[i].Height - page_[i].Height) < 2,
                     qPrintable(words[i].Text));
        }
        const QImage raster = PdfRaster(pdf);
        QVERIFY(All(raster, CompressionArea, IsBlue) && All(raster, LeakageArea, IsGreen));
    }

    void exportReplacesTargetOnlyWhenWritten() {
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("report.pdf"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
        f.close();
        QVERIFY(!PrintReportToPdf(SampleData(), target, 0));
        QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll() == "old");
        f.close();
        QVERIFY(PrintReportToPdf(SampleData(), target));
        QVERIFY(f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"report.pdf"});
        QVERIFY(!PrintReportToPdf(SampleData(), out.filePath(QStringLiteral("no/dir/r.pdf"))));
    }

    void onlyACompletePdfIsWritten() {
        const QByteArray pdf = FileBytes(dir_.filePath(QStringLiteral("sample.pdf")));
        QVERIFY(IsCompletePdf(pdf) && IsCompletePdf(pdf + "\r\n"));
        const qsizetype offset = pdf.lastIndexOf("startxref") + 10;
        for (const QByteArray& bad : {pdf.left(pdf.size() / 2), pdf.left(pdf.size() - 3),
                                      pdf.left(offset) + '7' + pdf.mid(offset)})
            QVERIFY(!IsCompletePdf(bad));
    }

    void printerDialog() {
        // Cancelled: nothing printed. Accepted: one page. A printer that
        // cannot start (a folder as the file): the user is told.
        const struct {
            DialogAnswerer::Choice choice;
            QString file;
            bool printed;
            int messages;
        } cases[] = {{DialogAnswerer::Cancel, dir_.filePath("cancel.pdf"), false, 0},
                     {DialogAnswerer::Accept, dir_.filePath("dialog.pdf"), true, 0},
                     {DialogAnswerer::Accept, dir_.path() + '/', false, 1}};
        for (const auto& c : cases) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(c.file);
            DialogAnswerer user(c.choice);
            QCOMPARE(PrintReport(nullptr, SampleData(), printer), c.printed);
            QCOMPARE(user.PrintDialogs, 1);
            QCOMPARE(user.Messages.size(), c.messages);
            QCOMPARE(QFileInfo(c.file).isFile(), c.printed);
            QCOMPARE(printer.docName(), QStringLiteral("VRX310 Report"));
        }
        // Printed to a file, the page equals the exported one.
        QCOMPARE(PdfWords(dir_.filePath("dialog.pdf")).size(), page_.size());
        QCOMPARE(LineAt(PdfWords(dir_.filePath("dialog.pdf")), 650, 400),
                 QStringLiteral("Autohaus Müller"));
    }
};

QTEST_MAIN(TestPrintPage)
#include "test_print_page.moc"
