// The printed page, checked in the PDF it produces with poppler's tools:
// text positions (pdftotext -bbox), page count and size (pdfinfo) and a
// raster of the page (pdftoppm).
#include "print/report_page.h"
#include "tests/print/dialog_answerer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <optional>

namespace {

struct Word {
    QString Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

struct PdfText {
    double PageWidth = 0, PageHeight = 0;
    QList<Word> Words;
};

constexpr double PxToPt = 72.0 / 600.0;
constexpr double TolPt = 1.5; // 12.5 pixels at 600 dpi

QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

bool Run(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return false;
    }
    if (out != nullptr) {
        *out = p.readAllStandardOutput();
    }
    return true;
}

QString Unescape(QString s) {
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

std::optional<PdfText> ReadText(const QString& pdf) {
    QByteArray html;
    if (!Run(Tool("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, &html)) {
        return std::nullopt;
    }
    const QString s = QString::fromUtf8(html);
    PdfText result;
    static const QRegularExpression pageRe(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    const auto page = pageRe.match(s);
    if (page.hasMatch()) {
        result.PageWidth = page.captured(1).toDouble();
        result.PageHeight = page.captured(2).toDouble();
    }
    static const QRegularExpression wordRe(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = wordRe.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        // Ligatures such as "fi" come back as one character.
        result.Words.append({Unescape(m.captured(5)).normalized(QString::NormalizationForm_KC),
                             m.captured(1).toDouble(), m.captured(2).toDouble(),
                             m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return result;
}

QString Info(const QString& pdf) {
    QByteArray out;
    Run(Tool("pdfinfo"), {pdf}, &out);
    return QString::fromUtf8(out);
}

QImage Raster(const QString& pdf, int dpi = 50) {
    const QString base = pdf + QStringLiteral(".raster");
    if (!Run(Tool("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), pdf, base})) {
        return {};
    }
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Words whose top-left lies within the tolerance of a 600 dpi position.
QList<Word> WordsAt(const PdfText& text, double x600, double y600) {
    QList<Word> found;
    for (const Word& w : text.Words) {
        if (std::abs(w.XMin - x600 * PxToPt) <= TolPt &&
            std::abs(w.YMin - y600 * PxToPt) <= TolPt) {
            found.append(w);
        }
    }
    return found;
}

const Word* FindWord(const PdfText& text, const QString& word) {
    for (const Word& w : text.Words) {
        if (w.Text == word) {
            return &w;
        }
    }
    return nullptr;
}

// A 600 dpi rectangle in a raster of the given dpi, shrunk so anti-aliased
// edges do not count.
QRect RasterRect(const QRect& r600, int dpi, int shrink = 3) {
    const double f = dpi / 600.0;
    return QRect(
        QPoint(int(std::ceil(r600.left() * f)) + shrink, int(std::ceil(r600.top() * f)) + shrink),
        QPoint(int(std::floor(r600.right() * f)) - shrink,
               int(std::floor(r600.bottom() * f)) - shrink));
}

template <typename Pred> double Fraction(const QImage& img, const QRect& r, Pred pred) {
    int hits = 0, total = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            ++total;
            if (pred(QColor(img.pixel(x, y)))) {
                ++hits;
            }
        }
    }
    return total == 0 ? 0.0 : double(hits) / total;
}

bool IsWhite(const QColor& c) {
    return c.red() > 240 && c.green() > 240 && c.blue() > 240;
}
bool IsBlue(const QColor& c) {
    return c.blue() > 150 && c.red() < 90 && c.green() < 110;
}
bool IsGreen(const QColor& c) {
    return c.green() > 120 && c.red() < 90 && c.blue() < 110;
}

// Bounding box of the pixels that satisfy pred.
template <typename Pred> QRect BoundingBox(const QImage& img, Pred pred) {
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (pred(QColor(img.pixel(x, y)))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

const QColor CompressionFill(30, 60, 200);
const QColor LeakageFill(30, 160, 60);

QImage Picture(const QColor& fill) {
    QImage img(600, 250, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

ReportPageData SampleData() {
    ReportPageData d;
    d.CompanyName = QStringLiteral("Müller-Kfz");
    d.CompanyAddress = QStringLiteral("Ringstraße-3");
    d.CompanyCity = QStringLiteral("Ulmhausen-City");
    d.CompanyPhone = QStringLiteral("Phone-0731");
    d.CompanyFax = QStringLiteral("Fax-0732");
    d.CompanyEmail = QStringLiteral("mail@example.org");
    d.CompanyWebsite = QStringLiteral("www.example.org");
    d.ReportTexts = {QStringLiteral("Measurement Report | VRX-310"),
                     QStringLiteral("Car Identification: "),
                     QStringLiteral("Operator: "),
                     QStringLiteral("Report Date and Time: "),
                     QStringLiteral(" --- not loaded from a file --- "),
                     QStringLiteral("Device and Software Information (please quote in "
                                    "communication):"),
                     QStringLiteral("Device SN:"),
                     QStringLiteral("Sensor SN:"),
                     QStringLiteral("Software release: ")};
    d.CylinderCaption = QStringLiteral("Cyl. no.");
    d.CarID = QStringLiteral("S-XY-123");
    d.Operator = QStringLiteral("Hauser");
    d.DateandTime = QStringLiteral("24.03.2026 14:05");
    d.CompressionCaption = QStringLiteral("Compression");
    d.UnitCaption = QStringLiteral("Unit:");
    d.UnitValueCaption = QStringLiteral("kPa");
    d.LeakageCaption = QStringLiteral("Leakage");
    d.LeakageUnitCaption = QStringLiteral("Unit:  %    base reference 4bar");
    for (int p = 1; p <= 12; ++p) {
        d.CompressionSlots[p - 1] = SlotNumberText(p);
        d.LeakageSlots[p - 1] = SlotNumberText(p);
    }
    d.DeviceSN = QStringLiteral("DSN-4711");
    d.SensorSN = QStringLiteral("SSN-0815");
    d.FileVersion = QStringLiteral("1.0.4.0");
    d.CompressionPicture = Picture(CompressionFill);
    d.LeakagePicture = Picture(LeakageFill);
    return d;
}

const QRect CompressionArea(QPoint(800, 2150), QSize(3750, 1562));
const QRect LeakageArea(QPoint(800, 4150), QSize(3750, 1562));

} // namespace

class TestReportPage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    PdfText full600_;

    QString Export(const ReportPageData& d, const QString& name, int dpi = 600) {
        const QString path = dir_.filePath(name);
        if (!PrintReportToPdf(d, path, dpi)) {
            return {};
        }
        return path;
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"pdftotext", "pdfinfo", "pdftoppm"}) {
            if (Tool(tool).isEmpty()) {
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
            }
        }
        QVERIFY(dir_.isValid());
        if (qEnvironmentVariableIsSet("VRX_KEEP_PDF")) {
            dir_.setAutoRemove(false);
            qInfo("PDF files kept in %s", qPrintable(dir_.path()));
        }
        const QString pdf = Export(SampleData(), QStringLiteral("full600.pdf"));
        QVERIFY(!pdf.isEmpty());
        const auto text = ReadText(pdf);
        QVERIFY(text.has_value());
        full600_ = *text;
        QVERIFY(!full600_.Words.isEmpty());
    }

    void pageIsOneA4PortraitWithJobTitle() {
        const QString info = Info(dir_.filePath(QStringLiteral("full600.pdf")));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+VRX310 Report\\n"))),
                 qPrintable(info));
        QVERIFY2(std::abs(full600_.PageWidth - 595.28) < 1.0, qPrintable(info));
        QVERIFY2(std::abs(full600_.PageHeight - 841.89) < 1.0, qPrintable(info));
    }

    void textStandsAtItsPlace_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("company name") << "Müller-Kfz" << 650 << 400;
        QTest::newRow("address") << "Ringstraße-3" << 650 << 510;
        QTest::newRow("city") << "Ulmhausen-City" << 650 << 620;
        QTest::newRow("phone") << "Phone-0731" << 650 << 730;
        QTest::newRow("fax") << "Fax-0732" << 650 << 840;
        QTest::newRow("mail then web") << "mail@example.org" << 650 << 950;
        QTest::newRow("report title") << "Measurement" << 650 << 1300;
        QTest::newRow("vehicle caption") << "Car" << 650 << 1410;
        QTest::newRow("operator caption") << "Operator:" << 650 << 1520;
        QTest::newRow("date caption") << "Report" << 650 << 1630;
        QTest::newRow("compression heading") << "Compression" << 650 << 2000;
        QTest::newRow("compression unit") << "Unit:" << 1800 << 2000;
        QTest::newRow("compression row caption") << "Cyl." << 600 << 3750;
        QTest::newRow("compression slot 1") << "1" << 962 << 3750;
        QTest::newRow("compression slot 12") << "12" << 4339 << 3750;
        QTest::newRow("leakage heading") << "Leakage" << 650 << 4000;
        QTest::newRow("leakage unit") << "Unit:" << 1800 << 4000;
        QTest::newRow("leakage row caption") << "Cyl." << 600 << 5750;
        QTest::newRow("leakage slot 6") << "6" << 2497 << 5750;
        QTest::newRow("device heading") << "Device" << 650 << 6000;
        QTest::newRow("device sn") << "Device" << 650 << 6110;
        QTest::newRow("sensor sn") << "Sensor" << 650 << 6220;
        QTest::newRow("software release") << "Software" << 1800 << 6220;
        // Maker block: columns from character counts of the fixed texts.
        const auto& m = ReportPage::Maker;
        const int col2 = 2300 + 42 * int(QString::fromUtf8(m.Name).size());
        const int col3 = col2 + 31 * int(QString::fromUtf8(m.City).size());
        const int col4 = col3 + 26 * int(QString::fromUtf8(m.Fax).size());
        QTest::newRow("maker name") << "KALDORIAN" << 2300 << 6470;
        QTest::newRow("maker street")
            << QString::fromUtf8(m.Street).section(' ', 0, 0) << col2 << 6470;
        QTest::newRow("maker city") << QString::fromUtf8(m.City).section(' ', 0, 0) << col2 << 6550;
        QTest::newRow("maker phone")
            << QString::fromUtf8(m.Phone).section(' ', 0, 0) << col3 << 6470;
        QTest::newRow("maker fax") << QString::fromUtf8(m.Fax).section(' ', 0, 0) << col3 << 6550;
        QTest::newRow("maker web") << QString::fromUtf8(m.Web) << col4 << 6470;
        QTest::newRow("maker mail") << QString::fromUtf8(m.Mail) << col4 << 6550;
    }

    void textStandsAtItsPlace() {
        QFETCH(QString, word);
        QFETCH(int, x);
        QFETCH(int, y);
        const QList<Word> here = WordsAt(full600_, x, y);
        QStringList texts;
        for (const Word& w : here) {
            texts << w.Text;
        }
        QVERIFY2(texts.contains(word), qPrintable(QStringLiteral("at %1,%2 found [%3]")
                                                      .arg(x)
                                                      .arg(y)
                                                      .arg(texts.join(QStringLiteral("|")))));
    }

    void joinedLinesKeepTheirValuesOnTheirLine_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("value");
        QTest::newRow("vehicle") << "Identification:"
                                 << "S-XY-123";
        QTest::newRow("operator") << "Operator:"
                                  << "Hauser";
        QTest::newRow("date") << "Time:"
                              << "24.03.2026";
        QTest::newRow("unit") << "Unit:"
                              << "kPa";
        QTest::newRow("device sn") << "SN:"
                                   << "DSN-4711";
        QTest::newRow("software") << "release:"
                                  << "1.0.4.0";
        QTest::newRow("web after mail") << "/"
                                        << "www.example.org";
    }

    void joinedLinesKeepTheirValuesOnTheirLine() {
        QFETCH(QString, caption);
        QFETCH(QString, value);
        const Word* v = FindWord(full600_, value);
        QVERIFY2(v != nullptr, qPrintable(value));
        // The value follows a word with the caption text on the same line.
        bool found = false;
        for (const Word& w : full600_.Words) {
            if (w.Text == caption && std::abs(w.YMin - v->YMin) < 0.5 && w.XMax < v->XMin &&
                v->XMin - w.XMax < 12) {
                found = true;
            }
        }
        QVERIFY2(found, qPrintable(caption + QStringLiteral(" before ") + value));
    }

    void unassignedSelectorsPrintDashAndSlotsStayInTheirColumns() {
        ReportPageData d = SampleData();
        // Position 3 shows slot 7; position 4 shows "-", position 5 has no selection.
        d.CompressionSlots[2] = SlotNumberText(7);
        d.CompressionSlots[3] = SlotNumberText(0);
        d.CompressionSlots[4] = SlotNumberText(-1);
        d.LeakageSlots[11] = SlotNumberText(13); // beyond the list: no slot
        const QString pdf = Export(d, QStringLiteral("slots.pdf"));
        QVERIFY(!pdf.isEmpty());
        const auto text = ReadText(pdf);
        QVERIFY(text.has_value());
        auto at = [&](int p, int y) {
            const QList<Word> w = WordsAt(*text, 655 + 307 * p, y);
            return w.size() == 1 ? w.first().Text : QStringLiteral("<%1 words>").arg(w.size());
        };
        QCOMPARE(at(3, 3750), QStringLiteral("7"));
        QCOMPARE(at(4, 3750), QStringLiteral("-"));
        QCOMPARE(at(5, 3750), QStringLiteral("-"));
        QCOMPARE(at(7, 3750), QStringLiteral("7"));
        QCOMPARE(at(12, 5750), QStringLiteral("-"));
        QCOMPARE(at(11, 5750), QStringLiteral("11"));
    }

    void chartOptionsDecideTheSections_data() {
        QTest::addColumn<bool>("compression");
        QTest::addColumn<bool>("leakage");
        QTest::newRow("both") << true << true;
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
            Export(d, QStringLiteral("options-%1%2.pdf").arg(compression).arg(leakage));
        QVERIFY(!pdf.isEmpty());
        const auto text = ReadText(pdf);
        QVERIFY(text.has_value());

        QCOMPARE(!WordsAt(*text, 650, 2000).isEmpty(), compression);
        QCOMPARE(!WordsAt(*text, 1800, 2000).isEmpty(), compression);
        QCOMPARE(!WordsAt(*text, 600, 3750).isEmpty(), compression);
        QCOMPARE(!WordsAt(*text, 655 + 307, 3750).isEmpty(), compression);
        QCOMPARE(!WordsAt(*text, 650, 4000).isEmpty(), leakage);
        QCOMPARE(!WordsAt(*text, 1800, 4000).isEmpty(), leakage);
        QCOMPARE(!WordsAt(*text, 600, 5750).isEmpty(), leakage);
        QCOMPARE(!WordsAt(*text, 655 + 307 * 12, 5750).isEmpty(), leakage);
        // The rest of the page is there either way.
        QVERIFY(!WordsAt(*text, 650, 400).isEmpty());
        QVERIFY(!WordsAt(*text, 650, 1300).isEmpty());
        QVERIFY(!WordsAt(*text, 650, 6000).isEmpty());
        QVERIFY(!WordsAt(*text, 2300, 6470).isEmpty());

        const QImage page = Raster(pdf);
        QVERIFY(!page.isNull());
        const QRect comp = RasterRect(CompressionArea, 50);
        const QRect leak = RasterRect(LeakageArea, 50);
        if (compression) {
            QVERIFY(Fraction(page, comp, IsBlue) > 0.98);
        } else {
            QCOMPARE(Fraction(page, comp, IsWhite), 1.0);
        }
        if (leakage) {
            QVERIFY(Fraction(page, leak, IsGreen) > 0.98);
        } else {
            QCOMPARE(Fraction(page, leak, IsWhite), 1.0);
        }
    }

    void picturesTakeTheirSizeFromTheScreenResolution_data() {
        QTest::addColumn<double>("screenDpi");
        QTest::addColumn<QSize>("size600");
        QTest::newRow("96 dpi") << 96.0 << QSize(3750, 1562);
        QTest::newRow("120 dpi") << 120.0 << QSize(3000, 1250);
        QTest::newRow("broken dpi falls back to 96") << 0.0 << QSize(3750, 1562);
    }

    void picturesTakeTheirSizeFromTheScreenResolution() {
        QFETCH(double, screenDpi);
        QFETCH(QSize, size600);
        ReportPageData d = SampleData();
        d.ScreenDpiX = screenDpi;
        d.ScreenDpiY = screenDpi;
        QCOMPARE(ReportPictureSize(d), size600);

        const QString pdf = Export(d, QStringLiteral("dpi%1.pdf").arg(screenDpi));
        QVERIFY(!pdf.isEmpty());
        const int r = 50;
        const QImage page = Raster(pdf, r);
        QVERIFY(!page.isNull());
        const double f = r / 600.0;
        const QRect blue = BoundingBox(page, IsBlue);
        const QRect green = BoundingBox(page, IsGreen);
        QVERIFY(std::abs(blue.left() - 800 * f) <= 1.5);
        QVERIFY(std::abs(blue.top() - 2150 * f) <= 1.5);
        QVERIFY(std::abs(blue.right() + 1 - (800 + size600.width()) * f) <= 1.5);
        QVERIFY(std::abs(blue.bottom() + 1 - (2150 + size600.height()) * f) <= 1.5);
        QVERIFY(std::abs(green.left() - 800 * f) <= 1.5);
        QVERIFY(std::abs(green.top() - 4150 * f) <= 1.5);
        QVERIFY(std::abs(green.width() - blue.width()) <= 1);
        QVERIFY(std::abs(green.height() - blue.height()) <= 1);
    }

    void bothPicturesUseTheFirstPicturesSize() {
        ReportPageData d = SampleData();
        d.LeakagePicture = QImage(300, 100, QImage::Format_RGB32);
        d.LeakagePicture.fill(LeakageFill);
        const QString pdf = Export(d, QStringLiteral("sizes.pdf"));
        QVERIFY(!pdf.isEmpty());
        const QImage page = Raster(pdf);
        QVERIFY(!page.isNull());
        const QRect green = BoundingBox(page, IsGreen);
        const QRect blue = BoundingBox(page, IsBlue);
        QVERIFY(std::abs(green.width() - blue.width()) <= 1);
        QVERIFY(std::abs(green.height() - blue.height()) <= 1);
    }

    void emptyCompanyDetailsPrintNothingAndMakerLineStays() {
        ReportPageData d = SampleData();
        d.CompanyName.clear();
        d.CompanyAddress.clear();
        const QString pdf = Export(d, QStringLiteral("nocompany.pdf"));
        QVERIFY(!pdf.isEmpty());
        const auto text = ReadText(pdf);
        QVERIFY(text.has_value());
        QVERIFY(WordsAt(*text, 650, 400).isEmpty());
        QVERIFY(WordsAt(*text, 650, 510).isEmpty());
        QCOMPARE(WordsAt(*text, 650, 620).size(), 1);
        // The maker's columns do not depend on the company details.
        for (const char* word : {"KALDORIAN", ReportPage::Maker.Web, ReportPage::Maker.Mail}) {
            const Word* a = FindWord(*text, QString::fromUtf8(word));
            const Word* b = FindWord(full600_, QString::fromUtf8(word));
            QVERIFY(a != nullptr && b != nullptr);
            QCOMPARE(a->XMin, b->XMin);
            QCOMPARE(a->YMin, b->YMin);
        }
    }

    void otherResolutionsGiveTheSamePage_data() {
        QTest::addColumn<int>("dpi");
        QTest::newRow("300 dpi") << 300;
        QTest::newRow("1200 dpi") << 1200;
    }

    void otherResolutionsGiveTheSamePage() {
        QFETCH(int, dpi);
        const QString pdf = Export(SampleData(), QStringLiteral("res%1.pdf").arg(dpi), dpi);
        QVERIFY(!pdf.isEmpty());
        const auto text = ReadText(pdf);
        QVERIFY(text.has_value());
        QVERIFY(std::abs(text->PageWidth - full600_.PageWidth) < 0.1);
        QVERIFY(std::abs(text->PageHeight - full600_.PageHeight) < 0.1);
        QCOMPARE(text->Words.size(), full600_.Words.size());
        for (int i = 0; i < text->Words.size(); ++i) {
            const Word& a = text->Words[i];
            const Word& b = full600_.Words[i];
            QCOMPARE(a.Text, b.Text);
            // Same place and the same point size on paper.
            QVERIFY2(std::abs(a.XMin - b.XMin) < 0.5 && std::abs(a.YMin - b.YMin) < 0.5 &&
                         std::abs((a.YMax - a.YMin) - (b.YMax - b.YMin)) < 0.2,
                     qPrintable(a.Text));
        }
        const QImage page = Raster(pdf);
        QVERIFY(Fraction(page, RasterRect(CompressionArea, 50), IsBlue) > 0.98);
        QVERIFY(Fraction(page, RasterRect(LeakageArea, 50), IsGreen) > 0.98);
    }

    void textKeepsItsPointSize() {
        // 8 points for the page texts, 6 for the maker's line: the line box
        // of a word is about 1.1 to 1.25 times the point size.
        const Word* title = FindWord(full600_, QStringLiteral("Measurement"));
        const Word* maker = FindWord(full600_, QStringLiteral("KALDORIAN"));
        QVERIFY(title != nullptr && maker != nullptr);
        const double h8 = title->YMax - title->YMin;
        const double h6 = maker->YMax - maker->YMin;
        QVERIFY2(h8 > 8 * 1.0 && h8 < 8 * 1.35, qPrintable(QString::number(h8)));
        QVERIFY2(std::abs(h6 / h8 - 0.75) < 0.03, qPrintable(QString::number(h6 / h8)));
    }

    void exportReplacesTargetOnlyWhenWritten() {
        QTemporaryDir out;
        QVERIFY(out.isValid());
        const QString target = out.filePath(QStringLiteral("report.pdf"));
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old contents");
        }
        QVERIFY(!PrintReportToPdf(SampleData(), target, 0));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old contents"));
        f.close();

        QVERIFY(PrintReportToPdf(SampleData(), target));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
        f.close();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("report.pdf")});

        QVERIFY(!PrintReportToPdf(SampleData(), out.filePath(QStringLiteral("missing/dir/r.pdf"))));
    }

    void printDialogCancelPrintsNothingAcceptPrintsOnePage() {
        for (bool accept : {false, true}) {
            const QString target = dir_.filePath(accept ? QStringLiteral("dialog-ok.pdf")
                                                        : QStringLiteral("dialog-no.pdf"));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(target);
            DialogAnswerer user(accept ? DialogAnswerer::Accept : DialogAnswerer::Cancel);
            const bool printed = PrintReport(nullptr, SampleData(), printer);
            QCOMPARE(user.PrintDialogs, 1);
            QVERIFY(user.Messages.isEmpty());
            QCOMPARE(printed, accept);
            QCOMPARE(QFile::exists(target), accept);
            if (accept) {
                QVERIFY(
                    Info(target).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
                QCOMPARE(printer.docName(), QStringLiteral("VRX310 Report"));
                QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
                QCOMPARE(printer.copyCount(), 1);
            }
        }
    }

    void printerThatCannotStartIsReported() {
        // A folder as the output file: nothing can be written there.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir_.path() + QLatin1Char('/'));
        DialogAnswerer user(DialogAnswerer::Accept);
        QVERIFY(!PrintReport(nullptr, SampleData(), printer));
        QCOMPARE(user.PrintDialogs, 1);
        QCOMPARE(user.Messages.size(), 1);
    }
};

QTEST_MAIN(TestReportPage)
#include "test_print_page.moc"
