// Our own small bar-chart widget: one bar series with a colour per point,
// value marks, point labels as axis texts, fixed or automatic vertical range,
// an inverted axis and a bar origin. Drawn with QPainter.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QVector>
#include <QWidget>

struct BarPoint {
    double X = 0;
    double Y = 0;
    QString Label;
    QColor Color;
};

class BarSeries {
public:
    // Both repaint the chart that owns the series.
    void Clear();
    // Appends a point; the series keeps its points in ascending x order
    // (a point goes after all points of equal or smaller x).
    void AddXY(double x, double y, const QString& label, const QColor& color);
    int Count() const { return points_.size(); }
    const BarPoint& Point(int i) const { return points_[i]; }
    const QVector<BarPoint>& Points() const { return points_; }
    // Largest y over all points, with the bar origin counted as a value.
    double MaxYValue() const;

    // Value-mark number pattern: "#,##0.0", "#,##0" or "##0%".
    // Changing a field directly does not repaint: call update() on the chart.
    QString ValueFormat = QStringLiteral("#,##0.0");
    double BarOrigin = 0;      // bars grow from here
    double OffsetPercent = -5; // bar offset in percent of the bar width
    Qt::PenStyle MarkFrameStyle = Qt::DotLine;
    double BarWidthPercent = 70; // bar width in percent of one x step

private:
    friend class BarChart;
    // Not copied with the series: a copy belongs to no chart.
    struct OwnerLink {
        QWidget* chart = nullptr;
        OwnerLink() = default;
        OwnerLink(const OwnerLink&) {}
        OwnerLink& operator=(const OwnerLink&) { return *this; }
    };
    void Changed();
    QVector<BarPoint> points_;
    OwnerLink owner_;
};

// Formats a value with a "#,##0.0"-style pattern using the given separators.
// '0' is a digit always shown, '#' one shown when needed, ',' in the integer
// part asks for thousands groups; text around the digits is kept as it is
// ("##0%" gives the value followed by "%", not multiplied by 100).
// Rounds half away from zero on the value's shortest decimal form.
QString FormatPattern(double value, const QString& pattern, QChar decimalSep, QChar thousandSep);

// Optional marks over the bars, none by default: a frame around the bar at
// x, and horizontal lines at a value (the evaluation's flags and limits).
struct BarMarker {
    double X = 0;
    QColor Color;
};
struct LevelLine {
    double Y = 0;
    QColor Color;
};

class BarChart : public QWidget {
    Q_OBJECT
public:
    explicit BarChart(QWidget* parent = nullptr);

    BarSeries& Series() { return series_; }
    const BarSeries& Series() const { return series_; }

    // Horizontal axis: fixed range (0.45 .. 12.55 in the main window).
    void SetHorizontalRange(double min, double max);
    // Vertical axis: fixed minimum and either a fixed or an automatic maximum.
    void SetVerticalRange(double min, double max, bool automaticMax);
    void SetVerticalInverted(bool inverted);
    void SetSeparators(QChar decimalSep, QChar thousandSep);

    double HorizontalMin() const { return xMin_; }
    double HorizontalMax() const { return xMax_; }
    double VerticalMin() const { return yMin_; }
    double VerticalMax() const; // the automatic maximum follows the largest point
    bool VerticalInverted() const { return inverted_; }
    bool VerticalAutomaticMax() const { return autoMax_; }

    // Pixel x of the centre of the bar at x value (for placing selectors).
    double XToPixel(double x) const;
    // The same for a chart drawn at the given size (as RenderToImage does).
    double XToPixel(double x, const QSize& size) const;
    // Pixel y of a value on the vertical axis for a chart of the given size;
    // values outside the vertical range land on its edges.
    double YToPixel(double y, const QSize& size) const;

    // Both repaint; empty lists draw nothing, as before they were set.
    void SetMarkers(const QVector<BarMarker>& markers);
    void SetLevelLines(const QVector<LevelLine>& lines);
    const QVector<BarMarker>& Markers() const { return markers_; }
    const QVector<LevelLine>& LevelLines() const { return levelLines_; }
    // Paired bars: an earlier test's points, drawn lighter on the left of
    // each position while set; off (empty) by default.
    void SetComparison(const QVector<BarPoint>& earlier);
    void ClearComparison();
    const QVector<BarPoint>& Comparison() const { return comparison_; }

    // Renders the chart at the given pixel size on a white background.
    QImage RenderToImage(const QSize& size) const;

    // Typefaces of the value marks and of the axis texts, with substitutes.
    static QFont MarkFont();
    static QFont AxisFont();

    QSize sizeHint() const override { return QSize(738, 163); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Geometry;
    Geometry Measure(const QRect& area) const;
    void Draw(QPainter& p, const QRect& area) const;
    void DrawOverlay(QPainter& p, const Geometry& g, double offset) const;
    BarSeries series_;
    QVector<BarMarker> markers_;
    QVector<LevelLine> levelLines_;
    QVector<BarPoint> comparison_;
    double xMin_ = 0.45, xMax_ = 12.55;
    double yMin_ = 0, yMax_ = 100;
    bool autoMax_ = true;
    bool inverted_ = false;
    QChar decimalSep_ = QLatin1Char('.');
    QChar thousandSep_ = QLatin1Char(',');
};
