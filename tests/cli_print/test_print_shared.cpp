// What the main window and vrx310-cli print share: the filling of both
// chart series and the page's texts in the window's translation context.
#include "chart/bar_chart.h"
#include "print/chart_fill.h"
#include "print/printed_texts.h"

#include <QTest>
#include <QTranslator>

class TestPrintShared : public QObject {
    Q_OBJECT

private slots:
    void assignmentsOutsideTheSlotsDrawEmptyPositions() {
        // A damaged report file can hold any assignment; only 1..12 name a slot.
        MeasurementReport r;
        for (int k = 0; k < 12; ++k) {
            r.Compression[k] = static_cast<std::int16_t>(100 + 10 * k);
            r.Leakage[k] = static_cast<std::int16_t>(5 + 10 * k);
        }
        const std::array<int, 12> komp = {13, 99, -1, 0, 12, -32768, 1, 2, 3, 4, 5, 6};
        const std::array<int, 12> leak = {12, 13, 1000, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        BarChart kompChart, leakChart;
        ConfigureReportCharts(kompChart, leakChart, QLatin1Char('.'), QLatin1Char(','));
        FillChartSeries(r, komp, leak, unitBar, kompChart.Series(), leakChart.Series());

        const BarSeries& ks = kompChart.Series();
        const BarSeries& ls = leakChart.Series();
        QCOMPARE(ks.Count(), 13);
        QCOMPARE(ls.Count(), 13);
        // Point 0 is the placeholder; point p is position p.
        for (int p : {1, 2, 3, 4, 6}) {
            QCOMPARE(ks.Point(p).Y, -10.0);
            QCOMPARE(ks.Point(p).Label, QStringLiteral("---"));
        }
        QCOMPARE(ks.Point(5).Y, 21.0); // slot 12: raw 210
        QCOMPARE(ks.Point(7).Y, 10.0); // slot 1
        QCOMPARE(ks.Point(0).Y, 22.0); // above the tallest bar, 21.0
        QCOMPARE(ls.Point(1).Y, 11.0); // slot 12: raw 115, whole percent
        for (int p : {2, 3, 4}) {
            QCOMPARE(ls.Point(p).Y, -10.0);
            QCOMPARE(ls.Point(p).Label, QStringLiteral("---"));
        }
        QCOMPARE(ls.Point(0).Y, 110.0);
    }

    void germanModuleTranslatesThePrintedTexts() {
        const PrintedTexts english = PrintedReportTexts();
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(VRX_TEST_GERMAN_QM)));
        QCoreApplication::installTranslator(&german);
        const PrintedTexts translated = PrintedReportTexts();
        QCoreApplication::removeTranslator(&german);

        QCOMPARE(translated.ReportTexts[8], QStringLiteral("Softwarestand: "));
        const auto pairs = [](const PrintedTexts& t) {
            QStringList all(t.ReportTexts.begin(), t.ReportTexts.end());
            all << t.CylinderCaption << t.CompressionCaption << t.UnitCaption << t.LeakageCaption
                << t.LeakageUnitCaption;
            return all;
        };
        const QStringList en = pairs(english), de = pairs(translated);
        QCOMPARE(en.size(), 14);
        for (int i = 0; i < en.size(); ++i)
            QVERIFY2(!de[i].isEmpty() && de[i] != en[i], qPrintable(en[i]));
        QCOMPARE(PrintedReportTexts().ReportTexts[8], QStringLiteral("Software release: "));
    }
};

QTEST_MAIN(TestPrintShared)
#include "test_print_shared.moc"
