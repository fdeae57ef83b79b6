#include "app/main/bar_chart.h"

#include <QtTest>

#include <memory>

namespace {

const QSize kPrintSize(600, 250);

bool IsWhite(QRgb c) {
    return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250;
}
bool IsDark(QRgb c) {
    return qGray(c) < 128;
}
bool IsReddish(QRgb c) {
    return qRed(c) > qGreen(c) + 40;
}
// Mark text: dark and without the bars' red cast.
bool IsText(QRgb c) {
    return IsDark(c) && !IsReddish(c);
}

// Counts pixels in a rectangle of the image that satisfy pred.
template <class Pred> int CountPixels(const QImage& img, const QRect& r, Pred pred) {
    int n = 0;
    const QRect clipped = r.intersected(img.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (pred(img.pixel(x, y)))
                ++n;
    return n;
}

QColor PositionColour(int p) {
    return QColor(112 + 13 * (p - 1), 37, 29);
}

// The compression chart as the main window sets it up.
void SetUpCompression(BarChart& c) {
    c.SetHorizontalRange(0.45, 12.55);
    c.SetVerticalRange(0, 0, true);
    c.SetVerticalInverted(false);
    c.Series().BarOrigin = 0;
    c.Series().ValueFormat = QStringLiteral("#,##0.0");
    c.Series().MarkFrameStyle = Qt::DotLine;
}

// The leakage chart: fixed 0..120, inverted, origin -10.
void SetUpLeakage(BarChart& c) {
    c.SetHorizontalRange(0.45, 12.55);
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
    void seriesKeepsAscendingX();
    void maxYValueCountsOrigin();
    void automaticAndFixedMaximum();
    void renderHasRequestedSizeAndKeepsWidget();
    void renderDrawsBarsOnlyWhereValuesAre();
    void invertedAxisHangsBarsFromTop();
    void emptyPositionsDrawNothing();
    void zeroValueShowsMarkWithoutBar();
    void labelsAndPlaceholderOutsideRange();
    void seriesCopyOutlivesChart();
};

void TestBarChart::formatPattern_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("separators"); // decimal, thousands
    QTest::addColumn<QString>("expected");

    QTest::newRow("bar grouped") << 1234.56 << "#,##0.0"
                                 << ".,"
                                 << "1,234.6";
    QTest::newRow("bar german") << 1234.56 << "#,##0.0"
                                << ",."
                                << "1.234,6";
    QTest::newRow("bar small") << 78.9 << "#,##0.0"
                               << ".,"
                               << "78.9";
    QTest::newRow("bar whole adds .0") << 12.0 << "#,##0.0"
                                       << ".,"
                                       << "12.0";
    QTest::newRow("bar zero") << 0.0 << "#,##0.0"
                              << ".,"
                              << "0.0";
    QTest::newRow("kPa") << 327670.0 << "#,##0"
                         << ".,"
                         << "327,670";
    QTest::newRow("kPa millions") << 1234567.0 << "#,##0"
                                  << ".,"
                                  << "1,234,567";
    QTest::newRow("kPa no group below 1000") << 999.0 << "#,##0"
                                             << ".,"
                                             << "999";
    QTest::newRow("kPa german") << 7890.0 << "#,##0"
                                << ",."
                                << "7.890";
    QTest::newRow("percent not scaled") << 5.0 << "##0%"
                                        << ".,"
                                        << "5%";
    QTest::newRow("percent never grouped") << 1234.0 << "##0%"
                                           << ".,"
                                           << "1234%";
    QTest::newRow("percent zero") << 0.0 << "##0%"
                                  << ".,"
                                  << "0%";
    QTest::newRow("negative") << -1234.56 << "#,##0.0"
                              << ".,"
                              << "-1,234.6";
    QTest::newRow("negative percent") << -10.0 << "##0%"
                                      << ".,"
                                      << "-10%";
    QTest::newRow("half up") << 0.25 << "#,##0.0"
                             << ".,"
                             << "0.3";
    QTest::newRow("half away from zero") << -0.25 << "#,##0.0"
                                         << ".,"
                                         << "-0.3";
    QTest::newRow("half integer") << 2.5 << "#,##0"
                                  << ".,"
                                  << "3";
    QTest::newRow("half integer negative") << -2.5 << "#,##0"
                                           << ".,"
                                           << "-3";
    QTest::newRow("below half") << 2.449 << "#,##0.0"
                                << ".,"
                                << "2.4";
    // 1.005 is stored a hair below 1.005; the shortest decimal form rounds up.
    QTest::newRow("decimal half") << 1.005 << "#,##0.00"
                                  << ".,"
                                  << "1.01";
    QTest::newRow("carry into thousands") << 999.96 << "#,##0.0"
                                          << ".,"
                                          << "1,000.0";
    QTest::newRow("carry new digit") << 9.5 << "#,##0"
                                     << ".,"
                                     << "10";
    QTest::newRow("negative rounds to zero") << -0.04 << "#,##0.0"
                                             << ".,"
                                             << "0.0";
    QTest::newRow("psi") << 36.259 << "#,##0.0"
                         << ".,"
                         << "36.3";
}

void TestBarChart::formatPattern() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, separators);
    QFETCH(QString, expected);
    QCOMPARE(FormatPattern(value, pattern, separators[0], separators[1]), expected);
}

void TestBarChart::seriesKeepsAscendingX() {
    BarSeries s;
    for (int p = 1; p <= 12; ++p)
        s.AddXY(p, p * 1.5, QString(), PositionColour(p));
    s.AddXY(0, 79, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    QCOMPARE(s.Count(), 13);
    QCOMPARE(s.Point(0).X, 0.0);
    QCOMPARE(s.Point(0).Label, QStringLiteral("DummyBar"));
    QCOMPARE(s.Point(0).Color, QColor(12, 38, 29));
    for (int i = 1; i < 13; ++i) {
        QCOMPARE(s.Point(i).X, double(i));
        QCOMPARE(s.Point(i).Y, i * 1.5);
    }
    // Equal x: the newer point goes after the older ones.
    s.AddXY(5, -10, QStringLiteral("second"), Qt::blue);
    QCOMPARE(s.Point(5).Label, QString());
    QCOMPARE(s.Point(6).Label, QStringLiteral("second"));
    QCOMPARE(s.Point(7).X, 6.0);
    // Out of order in the middle.
    s.AddXY(2.5, 1, QStringLiteral("mid"), Qt::blue);
    QCOMPARE(s.Point(3).Label, QStringLiteral("mid"));
    s.Clear();
    QCOMPARE(s.Count(), 0);
}

void TestBarChart::maxYValueCountsOrigin() {
    BarSeries s;
    QCOMPARE(s.MaxYValue(), 0.0); // empty: the origin alone
    for (int p = 1; p <= 12; ++p)
        s.AddXY(p, -10, QStringLiteral("---"), PositionColour(p));
    QCOMPARE(s.MaxYValue(), 0.0); // all empty positions: never below the origin 0
    s.BarOrigin = -10;
    QCOMPARE(s.MaxYValue(), -10.0);
    s.AddXY(3, 78.9, QString(), PositionColour(3));
    s.AddXY(1, 12.3, QString(), PositionColour(1));
    QCOMPARE(s.MaxYValue(), 78.9);
    s.BarOrigin = 100;
    QCOMPARE(s.MaxYValue(), 100.0);
}

void TestBarChart::automaticAndFixedMaximum() {
    BarChart c;
    SetUpCompression(c);
    QVERIFY(c.VerticalAutomaticMax());
    c.Series().AddXY(1, 12.3, QString(), PositionColour(1));
    c.Series().AddXY(2, 78.9, QString(), PositionColour(2));
    QCOMPARE(c.VerticalMax(), 78.9);
    c.Series().AddXY(0, 79, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    QCOMPARE(c.VerticalMax(), 79.0); // the placeholder lifts the top
    c.Series().Clear();
    QCOMPARE(c.VerticalMax(), 0.0);

    // The top follows the largest value: a bar of the largest value
    // reaches the top of the value span, half of it half way.
    c.Series().AddXY(1, 40, QString(), PositionColour(1));
    QCOMPARE(c.YToPixel(40, kPrintSize), c.YToPixel(1000, kPrintSize));
    const double bottom = c.YToPixel(0, kPrintSize), top = c.YToPixel(40, kPrintSize);
    QVERIFY(top < bottom);
    QCOMPARE(c.YToPixel(20, kPrintSize), (bottom + top) / 2);

    BarChart l;
    SetUpLeakage(l);
    l.Series().AddXY(0, 110, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    l.Series().AddXY(1, 500, QStringLiteral("%"), PositionColour(1));
    QCOMPARE(l.VerticalMax(), 120.0); // fixed, whatever the points
}

void TestBarChart::renderHasRequestedSizeAndKeepsWidget() {
    BarChart c;
    SetUpCompression(c);
    c.resize(738, 163);
    c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c));
    c.Series().AddXY(1, 50, QString(), PositionColour(1));

    const QImage img = c.RenderToImage(kPrintSize);
    QCOMPARE(img.size(), kPrintSize);
    QCOMPARE(c.size(), QSize(738, 163));
    // Geometry follows the requested size, not the widget.
    QVERIFY(qAbs(c.XToPixel(6.5) - c.XToPixel(6.5, QSize(738, 163))) < 1e-9);
    QVERIFY(c.XToPixel(6.5, kPrintSize) < c.XToPixel(6.5));

    const QImage small = c.RenderToImage(QSize(100, 40));
    QCOMPARE(small.size(), QSize(100, 40));
    QVERIFY(c.RenderToImage(QSize(0, 0)).isNull()); // nothing to draw, no crash
}

void TestBarChart::renderDrawsBarsOnlyWhereValuesAre() {
    BarChart c;
    SetUpCompression(c);
    c.Series().AddXY(1, 80, QString(), PositionColour(1));
    c.Series().AddXY(2, 40, QString(), PositionColour(2));
    c.Series().AddXY(3, -10, QStringLiteral("---"), PositionColour(3));
    c.Series().AddXY(0, 81, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    const QImage img = c.RenderToImage(kPrintSize);

    const int x1 = qRound(c.XToPixel(1, kPrintSize));
    const int x2 = qRound(c.XToPixel(2, kPrintSize));
    const int x3 = qRound(c.XToPixel(3, kPrintSize));
    const int x7 = qRound(c.XToPixel(7, kPrintSize));
    const int yBase = qRound(c.YToPixel(0, kPrintSize));
    const int y20 = qRound(c.YToPixel(20, kPrintSize));
    const int y60 = qRound(c.YToPixel(60, kPrintSize));

    // Inside a bar: the bar's red, not white.
    const QRgb in1 = img.pixel(x1, y20);
    QVERIFY(!IsWhite(in1));
    QVERIFY(qRed(in1) > qGreen(in1) + 40);
    QVERIFY(!IsWhite(img.pixel(x1, y60)));
    QVERIFY(!IsWhite(img.pixel(x2, y20)));
    // Above the shorter bar (clear of its mark) and where no point is: white.
    QVERIFY(IsWhite(img.pixel(x2, qRound(c.YToPixel(75, kPrintSize)))));
    QVERIFY(IsWhite(img.pixel(x7, y20)));
    QVERIFY(IsWhite(img.pixel(x3, y20)));
    // Between two bars at the base: white.
    QVERIFY(IsWhite(img.pixel((x1 + x2) / 2, yBase - 3)));

    // The 2-pixel outline is darker than the gradient's middle.
    const int halfBar = qRound((c.XToPixel(2, kPrintSize) - c.XToPixel(1, kPrintSize)) * 0.35);
    const QRgb edge = img.pixel(x1 - halfBar + 1, y20);
    QVERIFY(qRed(edge) < qRed(in1));

    // The bar is 5 % of its width left of its x position.
    const double axis1 = (c.XToPixel(1, kPrintSize) + c.XToPixel(2, kPrintSize)) / 2 -
                         (c.XToPixel(2, kPrintSize) - c.XToPixel(1, kPrintSize)) / 2;
    QVERIFY(c.XToPixel(1, kPrintSize) < axis1 + 1e-9);
    const int rightEdge = qRound(c.XToPixel(1, kPrintSize)) + halfBar;
    QVERIFY(!IsWhite(img.pixel(rightEdge - 2, y20)));
    QVERIFY(IsWhite(img.pixel(rightEdge + 2, y20)));
}

void TestBarChart::invertedAxisHangsBarsFromTop() {
    BarChart c;
    SetUpLeakage(c);
    c.Series().AddXY(1, 50, QStringLiteral("%"), PositionColour(1));
    c.Series().AddXY(0, 110, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    const QImage img = c.RenderToImage(kPrintSize);

    const double y0 = c.YToPixel(0, kPrintSize);
    const double y120 = c.YToPixel(120, kPrintSize);
    QVERIFY(y0 < y120); // 0 at the top
    QVERIFY(y0 < 5);    // right under the frame

    const int x1 = qRound(c.XToPixel(1, kPrintSize));
    QVERIFY(!IsWhite(img.pixel(x1, qRound(c.YToPixel(2, kPrintSize)))));
    QVERIFY(!IsWhite(img.pixel(x1, qRound(c.YToPixel(45, kPrintSize)))));
    // Below the bar's end, past its mark: white.
    QVERIFY(IsWhite(img.pixel(x1, qRound(c.YToPixel(90, kPrintSize)))));
    // The mark sits right under the bar's end, and not inside the bar.
    const int yEnd = qRound(c.YToPixel(50, kPrintSize));
    QVERIFY(CountPixels(img, QRect(x1 - 15, yEnd + 2, 31, 20), IsText) > 0);
    QCOMPARE(CountPixels(img, QRect(x1 - 15, yEnd + 2, 31, 20), IsReddish), 0);
    QCOMPARE(CountPixels(img, QRect(x1 - 15, 3, 31, yEnd - 4), IsText), 0);
}

void TestBarChart::emptyPositionsDrawNothing() {
    // Leakage: -10 equals the origin. Compression: -10 is below the minimum 0.
    BarChart l;
    SetUpLeakage(l);
    BarChart k;
    SetUpCompression(k);
    for (BarChart* c : {&l, &k}) {
        c->Series().AddXY(4, -10, QStringLiteral("---"), PositionColour(4));
        c->Series().AddXY(5, 30, QString(), PositionColour(5));
        const QImage img = c->RenderToImage(kPrintSize);
        const int x4 = qRound(c->XToPixel(4, kPrintSize));
        const int top = qRound(std::min(c->YToPixel(0, kPrintSize), c->YToPixel(1e9, kPrintSize)));
        const int bottom =
            qRound(std::max(c->YToPixel(0, kPrintSize), c->YToPixel(1e9, kPrintSize)));
        // No bar and no "-10" mark anywhere in the column of position 4.
        QCOMPARE(CountPixels(img, QRect(x4 - 20, top, 41, bottom - top + 1),
                             [](QRgb p) { return !IsWhite(p); }),
                 0);
        // Position 5 does draw, so the image is not simply blank.
        const int x5 = qRound(c->XToPixel(5, kPrintSize));
        QVERIFY(!IsWhite(img.pixel(x5, qRound(c->YToPixel(15, kPrintSize)))));
    }
}

void TestBarChart::zeroValueShowsMarkWithoutBar() {
    BarChart c;
    SetUpCompression(c);
    c.Series().AddXY(2, 0, QString(), PositionColour(2));
    c.Series().AddXY(0, 1, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    const QImage img = c.RenderToImage(kPrintSize);
    const int x2 = qRound(c.XToPixel(2, kPrintSize));
    const int yBase = qRound(c.YToPixel(0, kPrintSize));
    // A shown point of height 0: its "0.0" mark stands on the base line.
    QVERIFY(CountPixels(img, QRect(x2 - 15, yBase - 20, 31, 19), IsDark) > 0);
    // No reddish bar pixels anywhere above the base.
    QCOMPARE(CountPixels(img, QRect(x2 - 30, 3, 61, yBase - 3), IsReddish), 0);
}

void TestBarChart::labelsAndPlaceholderOutsideRange() {
    BarChart c;
    SetUpCompression(c);
    c.Series().AddXY(3, -10, QStringLiteral("---"), PositionColour(3));
    c.Series().AddXY(6, -10, QString(), PositionColour(6));
    c.Series().AddXY(0, 81, QStringLiteral("DummyBar"), QColor(12, 38, 29));
    const QImage img = c.RenderToImage(kPrintSize);
    const int band = qRound(c.YToPixel(0, kPrintSize)) + 1; // the label band starts here
    const int x3 = qRound(c.XToPixel(3, kPrintSize));
    const int x6 = qRound(c.XToPixel(6, kPrintSize));
    const int h = kPrintSize.height() - 3 - band;
    QVERIFY(CountPixels(img, QRect(x3 - 20, band, 41, h), IsDark) > 0);
    QCOMPARE(CountPixels(img, QRect(x6 - 20, band, 41, h), IsDark), 0);
    // The placeholder at x 0 lies left of 0.45: no bar, mark or label of it
    // anywhere left of position 1, inside the frame.
    const int left = qRound(c.XToPixel(0.5, kPrintSize));
    QCOMPARE(CountPixels(img, QRect(3, 3, left - 3, kPrintSize.height() - 6),
                         [](QRgb p) { return !IsWhite(p); }),
             0);
}

void TestBarChart::seriesCopyOutlivesChart() {
    // A copy of a chart's series belongs to no chart: changing it after the
    // chart is gone must not reach the old widget.
    auto chart = std::make_unique<BarChart>();
    chart->Series().AddXY(1, 5, QString(), PositionColour(1));
    BarSeries copy = chart->Series();
    chart.reset();
    copy.AddXY(2, 6, QString(), PositionColour(2));
    copy.Clear();
    QCOMPARE(copy.Count(), 0);
}

QTEST_MAIN(TestBarChart)
#include "test_bar_chart.moc"
