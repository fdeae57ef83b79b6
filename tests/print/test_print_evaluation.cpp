// The printed page's evaluation block: absent unless asked for, and then
// inside the header's box for every page face (also without the condensed
// one, see CMakeLists.txt).
#include "print/report_page.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

constexpr int Dpi = 200; // a third of the layout's pixels

QImage Page(const ReportPageData& d) {
    QImage image(1654, 2339, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintReportPage(p, d, Dpi, Dpi);
    return image;
}

ReportPageData Header(const QString& carId) {
    ReportPageData d;
    d.ReportTexts = {QStringLiteral("Compression and leakage report"),
                     QStringLiteral("Vehicle / Test piece:"), QStringLiteral("Operator:"),
                     QStringLiteral("Date and Time:")};
    d.CarID = carId;
    d.Operator = QStringLiteral("Meier");
    d.DateandTime = QStringLiteral("09.12.2026 -- 10:14:57");
    d.EvaluationLines = {
        QStringLiteral("Evaluation (indications) - rule set: Ottomotor Werkstattregel lang"),
        QStringLiteral("Compression (bar): min 85.2, max 132.2, mean 122.3, spread 47.0 (35.6 %) "
                       "| cyl. 3: Indication: fault; cyl. 7: Indication: warning"),
        QStringLiteral("Leakage (%): min 5.5, max 34.8, mean 12.3, spread 29.3 | cyl. 3: "
                       "Indication: bad; cyl. 5: Indication: acceptable"),
        QStringLiteral("Only cylinder 3 low: often a valve."),
        QStringLiteral("Only cylinder 3 leaks: often a valve."),
        QStringLiteral("a sixth line never fits the box")};
    return d;
}

// Dark pixels in a rectangle given in layout pixels (600 dpi).
int Ink(const QImage& page, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0 * Dpi / 600; y < y1 * Dpi / 600; ++y)
        for (int x = x0 * Dpi / 600; x < x1 * Dpi / 600; ++x)
            n += qGray(page.pixel(x, y)) < 160;
    return n;
}

} // namespace

class TestPrintEvaluation : public QObject {
    Q_OBJECT
private slots:
    void withoutTheChoiceThePageIsAsItWas() {
        ReportPageData plain = Header(QStringLiteral("B-VR 310"));
        plain.EvaluationLines.clear();
        ReportPageData withLines = Header(QStringLiteral("B-VR 310"));
        QCOMPARE(withLines.PrintEvaluation, false); // off unless asked for
        QCOMPARE(Page(withLines), Page(plain));
    }

    void blockStaysInTheHeaderBox() {
        if (qEnvironmentVariableIsSet("VRX_TEST_WITHOUT_CONDENSED_FACE"))
            QVERIFY(!QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans Condensed")));
        for (const QString& car : {QStringLiteral("B-VR 310"),
                                   QStringLiteral("WVWZZZ1JZXW000001 Golf IV 1.6 16V blue")}) {
            ReportPageData d = Header(car);
            const QImage without = Page(d);
            d.PrintEvaluation = true;
            const QImage page = Page(d);
            QVERIFY2(page != without, qPrintable(car));
            // Printed right of the header's texts, within the box 1200..1900
            // and left of the frame at 4650; nothing else on the page moved.
            QVERIFY(Ink(page, 2600, 1240, 4630, 1880) > 200);
            QCOMPARE(Ink(page, 4660, 300, 4960, 6420), 0);
            QCOMPARE(Ink(page, 520, 1905, 4630, 6400), Ink(without, 520, 1905, 4630, 6400));
            QCOMPARE(Ink(page, 520, 320, 4630, 1190), Ink(without, 520, 320, 4630, 1190));
            // The header's own texts keep their room: nothing new left of them.
            QCOMPARE(Ink(page, 520, 1240, 2590, 1880), Ink(without, 520, 1240, 2590, 1880));
        }
    }
};

QTEST_MAIN(TestPrintEvaluation)
#include "test_print_evaluation.moc"
