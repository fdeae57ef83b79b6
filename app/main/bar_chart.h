// Our own small bar-chart widget: one bar series with a colour per point,
// value marks, point labels as axis texts, fixed or automatic vertical range,
// an inverted axis and a bar origin. Drawn with QPainter.
#pragma once

#include <QColor>
#include <QImage>
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
    void Clear() { points_.clear(); }
    // Appends a point; the series keeps its points in ascending x order
    // (a point goes after all points of equal or smaller x).
    void AddXY(double x, double y, const QString& label, const QColor& color);
    int Count() const { return points_.size(); }
    const BarPoint& Point(int i) const { return points_[i]; }
    const QVector<BarPoint>& Points() const { return points_; }
    // Largest y over all points, with the bar origin counted as a value.
    double MaxYValue() const;

    // Value-mark number pattern: "#,##0.0", "#,##0" or "##0%".
    QString ValueFormat = QStringLiteral("#,##0.0");
    double BarOrigin = 0;    // bars grow from here
    double OffsetPercent = -5; // bar offset in percent of the bar width
    Qt::PenStyle MarkFrameStyle = Qt::DotLine;

private:
    QVector<BarPoint> points_;
};

// Formats a value with a "#,##0.0"-style pattern using the given separators.
QString FormatPattern(double value, const QString& pattern, QChar decimalSep, QChar thousandSep);

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

    // Pixel x of the centre of the bar at x value (for placing selectors).
    double XToPixel(double x) const;

    // Renders the chart at the given pixel size on a white background.
    QImage RenderToImage(const QSize& size) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Draw(QPainter& p, const QRect& area) const;
    BarSeries series_;
    double xMin_ = 0.45, xMax_ = 12.55;
    double yMin_ = 0, yMax_ = 100;
    bool autoMax_ = true;
    bool inverted_ = false;
    QChar decimalSep_ = QLatin1Char('.');
    QChar thousandSep_ = QLatin1Char(',');
};
