#include "chart/bar_chart.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QSize kSize(600, 250); // the printed report's chart pictures

using Pred = std::function<bool(QRgb)>;
const Pred kWhite = [](QRgb c) { return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250; };
const Pred kNotWhite = [](QRgb c) { return !kWhite(c); };
const Pred kReddish = [](QRgb c) { return qRed(c) > qGreen(c) + 40; };
const Pred kText = [](QRgb c) { return qGray(c) < 128 && !kReddish(c); }; // black mark text

int Count(const QImage& img, const QRect& r, const Pred& pred) {
    int n = 0;
    const QRect c = r.intersected(img.rect());
    for (int y = c.top(); y <= c.bottom(); ++y)
        for (int x = c.left(); x <= c.right(); ++x)
            n += pred(img.pixel(x, y)) ? 1 : 0;
    return n;
}

QColor Colour(int p) {
    return QColor(112 + 13 * (p - 1), 37, 29);
}

// The two charts as the main window sets them up.
void Compression(BarChart& c) {
    c.SetVerticalRange(0, 0, true);
    c.Series().ValueFormat = QStringLiteral("#,##0.0");
}
void Leakage(BarChart& c) {
    c.SetVerticalRange(0, 120, false);
    c.SetVerticalInverted(true);
    c.Series().BarOrigin = -10;
    c.Series().ValueFormat = QStringLiteral("##0%");
    c.Series().MarkFrameStyle = Qt::DashDotLine;
}

} // namespace

class TestBarChart : public QObject {
    Q_OBJECT
private slots:
    void formatPattern_data();
    void formatPattern();
    void seriesOrderAndMaximum();
    void renderSizeBarsOffsetAndOrigin();
    void leakageHangsFromTopAndSkipsEmpty();
    void compressionEmptyZeroAndPlaceholder();
    void seriesCopyOutlivesChart();
};

void TestBarChart::formatPattern_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("seps"); // decimal, thousands
    QTest::addColumn<QString>("expected");
    struct Row {
        const char* name;
        double value;
        const char *pattern, *seps, *expected;
    };
    // clang-format off
    const Row rows[] = {
        {"grouped",           1234.56,  "#,##0.0",  ".,", "1,234.6"},
        {"german",            1234.56,  "#,##0.0",  ",.", "1.234,6"},
        {"whole adds .0",     12.0,     "#,##0.0",  ".,", "12.0"},
        {"kPa",               327670.0, "#,##0",    ".,", "327,670"},
        {"percent unscaled",  5.0,      "##0%",     ".,", "5%"},
        {"percent ungrouped", 1234.0,   "##0%",     ".,", "1234%"},
        {"negative",          -1234.56, "#,##0.0",  ".,", "-1,234.6"},
        {"half away",         -0.25,    "#,##0.0",  ".,", "-0.3"},
        {"half integer",      2.5,      "#,##0",    ".,", "3"},
        {"below half",        2.449,    "#,##0.0",  ".,", "2.4"},
        // Stored a hair below 1.005; rounding works on the shortest decimal form.
        {"decimal half",      1.005,    "#,##0.00", ".,", "1.01"},
        {"carry",             999.96,   "#,##0.0",  ".,", "1,000.0"},
        {"no minus zero",     -0.04,    "#,##0.0",  ".,", "0.0"},
    };
    // clang-format on
    for (const Row& r : rows)
        QTest::newRow(r.name) << r.value << QString(r.pattern) << QString(r.seps)
                              << QString::fromUtf8(r.expected);
}

void TestBarChart::formatPattern() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, seps);
    QFETCH(QString, expected);
    QCOMPARE(FormatPattern(value, pattern, seps[0], seps[1]), expected);
}

void TestBarChart::seriesOrderAndMaximum() {
    BarChart c;
    Compression(c);
    BarSeries& s = c.Series();
    QCOMPARE(s.MaxYValue(), 0.0); // empty: the origin alone
    for (int p = 1; p <= 12; ++p)
        s.AddXY(p, -10, QStringLiteral("---"), Colour(p));
    QCOMPARE(s.MaxYValue(), 0.0); // empty positions never take it below the origin
    s.AddXY(0, 1, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    QCOMPARE(s.Point(0).Label, QStringLiteral("DummyBar")); // added last, first in order
    s.AddXY(5, 78.9, QStringLiteral("second"), Colour(5));
    QCOMPARE(s.Point(5).Label, QStringLiteral("---")); // equal x: after the older point
    QCOMPARE(s.Point(6).Label, QStringLiteral("second"));
    for (int i = 1; i < s.Count(); ++i)
        QVERIFY(s.Point(i - 1).X <= s.Point(i).X);
    QCOMPARE(c.VerticalMax(), 78.9); // automatic: follows the largest point
    s.BarOrigin = 100;
    QCOMPARE(s.MaxYValue(), 100.0);

    BarChart l;
    Leakage(l);
    l.Series().AddXY(1, -10, QStringLiteral("---"), Colour(1));
    QCOMPARE(l.Series().MaxYValue(), -10.0);
    l.Series().AddXY(2, 500, QStringLiteral("%"), Colour(2));
    QCOMPARE(l.VerticalMax(), 120.0); // fixed
}

void TestBarChart::renderSizeBarsOffsetAndOrigin() {
    BarChart c;
    c.SetVerticalRange(0, 100, false);
    c.Series().BarOrigin = 20;
    // 6.5 is the middle of the symmetric range 0.45..12.55.
    c.Series().AddXY(6.5, 50, QString(), Colour(6));
    c.Series().AddXY(2, 10, QString(), Colour(2));
    c.resize(738, 163);
    c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c));
    const QImage img = c.RenderToImage(kSize);
    QCOMPARE(img.size(), kSize);
    QCOMPARE(c.size(), QSize(738, 163));
    QVERIFY(c.RenderToImage(QSize(0, 0)).isNull());
    auto y = [&](double v) { return qRound(c.YToPixel(v, kSize)); };

    // The bar stands 5 % of its width left of its position, with a darker outline.
    int l = 300, r = 300;
    while (!kWhite(img.pixel(l - 1, y(35))))
        --l;
    while (!kWhite(img.pixel(r + 1, y(35))))
        ++r;
    const double width = r - l + 1, centre = (l + r + 1) / 2.0;
    QVERIFY2(width > 20 && width < 60, qPrintable(QString::number(width)));
    QVERIFY(qAbs(centre - (300 - 0.05 * width)) < 0.75);
    QVERIFY(qAbs(c.XToPixel(6.5, kSize) - centre) < 0.75);
    QVERIFY(qRed(img.pixel(l, y(35))) < qRed(img.pixel(qRound(centre), y(35))));
    QVERIFY(kReddish(img.pixel(qRound(centre), y(35))));

    // Bars run from the origin 20: up to 50, down to 10. Nothing elsewhere.
    const int x6 = qRound(c.XToPixel(6.5, kSize)), x2 = qRound(c.XToPixel(2, kSize));
    QVERIFY(!kWhite(img.pixel(x6, y(22))));
    QVERIFY(kWhite(img.pixel(x6, y(15))));
    QVERIFY(!kWhite(img.pixel(x2, y(15))));
    QVERIFY(kWhite(img.pixel(x2, y(30))));
    QVERIFY(kWhite(img.pixel(qRound(c.XToPixel(9, kSize)), y(35))));
}

void TestBarChart::leakageHangsFromTopAndSkipsEmpty() {
    BarChart c;
    Leakage(c);
    c.Series().AddXY(1, 50, QStringLiteral("%"), Colour(1));
    c.Series().AddXY(4, -10, QStringLiteral("---"), Colour(4));
    c.Series().AddXY(6, -10, QString(), Colour(6));
    c.Series().AddXY(0, 110, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    const QImage img = c.RenderToImage(kSize);
    auto y = [&](double v) { return qRound(c.YToPixel(v, kSize)); };
    QVERIFY(y(0) < 5 && y(0) < y(120)); // 0 at the top

    const int x1 = qRound(c.XToPixel(1, kSize));
    QVERIFY(kReddish(img.pixel(x1, y(2))));
    QVERIFY(kReddish(img.pixel(x1, y(45))));
    QVERIFY(kWhite(img.pixel(x1, y(90))));
    // Its mark sits right under the bar's end.
    QVERIFY(Count(img, QRect(x1 - 15, y(50) + 2, 31, 20), kText) > 0);
    QCOMPARE(Count(img, QRect(x1 - 15, y(50) + 2, 31, 20), kReddish), 0);

    // -10 at origin -10: no bar and no "-10" mark in the whole value column;
    // only the label "---" in the band below.
    const int x4 = qRound(c.XToPixel(4, kSize)), x6 = qRound(c.XToPixel(6, kSize));
    QCOMPARE(Count(img, QRect(x4 - 20, 3, 41, y(120) - 3), kNotWhite), 0);
    const QRect band(0, y(120) + 1, 0, kSize.height() - 4 - y(120));
    QVERIFY(Count(img, band.adjusted(x4 - 20, 0, x4 + 20, 0), kText) > 0);
    QCOMPARE(Count(img, band.adjusted(x6 - 20, 0, x6 + 20, 0), kNotWhite), 0);
}

void TestBarChart::compressionEmptyZeroAndPlaceholder() {
    BarChart c;
    Compression(c);
    c.Series().AddXY(2, 0, QString(), Colour(2));
    c.Series().AddXY(3, -10, QStringLiteral("---"), Colour(3));
    c.Series().AddXY(0, 81, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    const QImage img = c.RenderToImage(kSize);
    const int base = qRound(c.YToPixel(0, kSize));
    const int x2 = qRound(c.XToPixel(2, kSize)), x3 = qRound(c.XToPixel(3, kSize));
    // 0 is a shown point of height 0: its "0.0" mark, no bar.
    QVERIFY(Count(img, QRect(x2 - 15, base - 20, 31, 19), kText) > 0);
    QCOMPARE(Count(img, QRect(x2 - 30, 3, 61, base - 3), kReddish), 0);
    // -10 lies below the minimum 0: nothing above the base.
    QCOMPARE(Count(img, QRect(x3 - 20, 3, 41, base - 3), kNotWhite), 0);
    // The placeholder at x 0 lies left of 0.45: nothing of it inside the frame.
    const int left = qRound(c.XToPixel(0.5, kSize));
    QCOMPARE(Count(img, QRect(3, 3, left - 3, kSize.height() - 6), kNotWhite), 0);
}

void TestBarChart::seriesCopyOutlivesChart() {
    // A copy belongs to no chart: changing it after the chart is gone is safe.
    auto chart = std::make_unique<BarChart>();
    chart->Series().AddXY(1, 5, QString(), Colour(1));
    BarSeries copy = chart->Series();
    chart.reset();
    copy.AddXY(2, 6, QString(), Colour(2));
    copy.Clear();
    QCOMPARE(copy.Count(), 0);
}

QTEST_MAIN(TestBarChart)
#include "test_bar_chart.moc"
