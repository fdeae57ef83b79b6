#include "chart/bar_chart.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

// ---------------------------------------------------------------- series

void BarSeries::Changed() {
    if (owner_.chart)
        owner_.chart->update();
}

void BarSeries::Clear() {
    points_.clear();
    Changed();
}

void BarSeries::AddXY(double x, double y, const QString& label, const QColor& color) {
    // After every point of equal or smaller x: the placeholder at x 0,
    // added last, becomes the first point.
    auto at = std::upper_bound(points_.begin(), points_.end(), x,
                               [](double v, const BarPoint& p) { return v < p.X; });
    points_.insert(at, BarPoint{x, y, label, color});
    Changed();
}

double BarSeries::MaxYValue() const {
    double m = BarOrigin;
    for (const BarPoint& p : points_)
        if (p.Y > m)
            m = p.Y;
    return m;
}

// ---------------------------------------------------------------- number pattern

namespace {

bool IsPatternChar(QChar c) {
    return c == QLatin1Char('#') || c == QLatin1Char('0') || c == QLatin1Char(',') ||
           c == QLatin1Char('.');
}

// Shortest decimal digits of a finite, non-negative value, split at the point.
void ShortestDigits(double v, std::string& intDigits, std::string& fracDigits) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    std::string s(buf, res.ptr);
    auto dot = s.find('.');
    intDigits = s.substr(0, dot);
    fracDigits = dot == std::string::npos ? std::string() : s.substr(dot + 1);
}

} // namespace

QString FormatPattern(double value, const QString& pattern, QChar decimalSep, QChar thousandSep) {
    if (!std::isfinite(value))
        return QString();

    int first = 0;
    while (first < pattern.size() && !IsPatternChar(pattern[first]))
        ++first;
    int last = first;
    while (last < pattern.size() && IsPatternChar(pattern[last]))
        ++last;
    const QString prefix = pattern.left(first);
    const QString suffix = pattern.mid(last);
    const QString number = pattern.mid(first, last - first);

    const int dot = number.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? number : number.left(dot);
    const QString fracPart = dot < 0 ? QString() : number.mid(dot + 1);
    const bool grouping = intPart.contains(QLatin1Char(','));
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const int minFrac = int(fracPart.count(QLatin1Char('0')));
    const int maxFrac = minFrac + int(fracPart.count(QLatin1Char('#')));

    std::string intDigits, fracDigits;
    ShortestDigits(std::fabs(value), intDigits, fracDigits);

    // Round half away from zero to maxFrac places (on the magnitude).
    if (int(fracDigits.size()) > maxFrac) {
        const bool up = fracDigits[maxFrac] >= '5';
        fracDigits.resize(maxFrac);
        if (up) {
            std::string all = intDigits + fracDigits;
            int i = int(all.size()) - 1;
            for (; i >= 0; --i) {
                if (all[i] == '9') {
                    all[i] = '0';
                } else {
                    ++all[i];
                    break;
                }
            }
            if (i < 0)
                all.insert(all.begin(), '1');
            intDigits = all.substr(0, all.size() - maxFrac);
            fracDigits = all.substr(all.size() - maxFrac);
        }
    }
    while (int(fracDigits.size()) > minFrac && !fracDigits.empty() && fracDigits.back() == '0')
        fracDigits.pop_back();
    while (int(fracDigits.size()) < minFrac)
        fracDigits.push_back('0');

    // "0" for a zero integer part is only kept when the pattern asks for it.
    size_t nz = intDigits.find_first_not_of('0');
    intDigits = nz == std::string::npos ? std::string() : intDigits.substr(nz);
    while (int(intDigits.size()) < minInt)
        intDigits.insert(intDigits.begin(), '0');

    const bool isZero = intDigits.find_first_not_of('0') == std::string::npos &&
                        fracDigits.find_first_not_of('0') == std::string::npos;

    QString out;
    if (value < 0 && !isZero)
        out += QLatin1Char('-');
    for (size_t i = 0; i < intDigits.size(); ++i) {
        if (grouping && !thousandSep.isNull() && i > 0 && (intDigits.size() - i) % 3 == 0)
            out += thousandSep;
        out += QLatin1Char(intDigits[i]);
    }
    if (!fracDigits.empty()) {
        out += decimalSep;
        out += QString::fromLatin1(fracDigits.data(), qsizetype(fracDigits.size()));
    }
    return prefix + out + suffix;
}

// ---------------------------------------------------------------- chart

namespace {
constexpr int kFrameWidth = 2; // lowered double bevel
constexpr int kMarkPadX = 3;   // space between mark text and frame
constexpr int kMarkPadY = 1;
constexpr int kMarkGap = 2; // space between bar end and its mark
const QColor kMarkFrameColor(244, 248, 244);
} // namespace

struct BarChart::Geometry {
    QRectF values;                        // where bars and marks go
    QRectF labels;                        // band of the axis texts under the values
    double valueTop = 0, valueBottom = 0; // pixel span of the vertical range
    double xLeft = 0, xUnit = 0;          // pixel of x min, pixels per x step
    double barWidth = 0;
    double yMin = 0, yMax = 1;
    bool inverted = false;

    double AxisX(double x, double xMin) const { return xLeft + (x - xMin) * xUnit; }
    double AxisY(double y) const {
        const double t = (std::clamp(y, yMin, yMax) - yMin) / (yMax - yMin);
        return inverted ? valueTop + t * (valueBottom - valueTop)
                        : valueBottom - t * (valueBottom - valueTop);
    }
};

QFont BarChart::MarkFont() {
    QFont f;
    f.setFamilies({QStringLiteral("Helvetica 65 Medium"), QStringLiteral("Helvetica"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Medium);
    f.setPixelSize(11);
    return f;
}

QFont BarChart::AxisFont() {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Verdana"),
                   QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

BarChart::BarChart(QWidget* parent) : QWidget(parent) {
    series_.owner_.chart = this;
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void BarChart::SetHorizontalRange(double min, double max) {
    xMin_ = min;
    xMax_ = max;
    update();
}

void BarChart::SetVerticalRange(double min, double max, bool automaticMax) {
    yMin_ = min;
    yMax_ = max;
    autoMax_ = automaticMax;
    update();
}

void BarChart::SetVerticalInverted(bool inverted) {
    inverted_ = inverted;
    update();
}

void BarChart::SetSeparators(QChar decimalSep, QChar thousandSep) {
    decimalSep_ = decimalSep;
    thousandSep_ = thousandSep;
    update();
}

double BarChart::VerticalMax() const {
    if (!autoMax_)
        return yMax_;
    double top = series_.MaxYValue();
    for (const BarPoint& pt : comparison_)
        top = std::max(top, std::floor(pt.Y) + 1);
    return top;
}

void BarChart::SetComparison(const QVector<BarPoint>& earlier) {
    comparison_ = earlier;
    update();
}

void BarChart::ClearComparison() {
    comparison_.clear();
    update();
}

BarChart::Geometry BarChart::Measure(const QRect& area) const {
    Geometry g;
    const QRectF inner =
        QRectF(area).adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth);
    const double band = std::ceil(QFontMetricsF(AxisFont()).height()) + 2;
    g.labels = QRectF(inner.left(), inner.bottom() - band, inner.width(), band);
    g.values = QRectF(inner.left(), inner.top(), inner.width(), inner.height() - band);

    // Room for the mark at the far end of the bars, so the tallest bar's
    // mark is not cut off by the edge.
    const double markRoom =
        std::ceil(QFontMetricsF(MarkFont()).height()) + 2 * kMarkPadY + 2 + kMarkGap;
    g.inverted = inverted_;
    g.valueTop = g.values.top() + (inverted_ ? 0 : markRoom);
    g.valueBottom = g.values.bottom() - (inverted_ ? markRoom : 0);
    if (g.valueBottom < g.valueTop)
        g.valueBottom = g.valueTop;

    g.yMin = yMin_;
    g.yMax = VerticalMax();
    if (!(g.yMax > g.yMin)) // empty or reversed range: keep the mapping defined
        g.yMax = g.yMin + 1;

    const double span = xMax_ > xMin_ ? xMax_ - xMin_ : 1;
    g.xLeft = inner.left();
    g.xUnit = inner.width() / span;
    g.barWidth = g.xUnit * series_.BarWidthPercent / 100.0;
    return g;
}

double BarChart::XToPixel(double x) const {
    return XToPixel(x, size());
}

double BarChart::XToPixel(double x, const QSize& size) const {
    const Geometry g = Measure(QRect(QPoint(0, 0), size));
    return g.AxisX(x, xMin_) + g.barWidth * series_.OffsetPercent / 100.0;
}

double BarChart::YToPixel(double y, const QSize& size) const {
    return Measure(QRect(QPoint(0, 0), size)).AxisY(y);
}

QImage BarChart::RenderToImage(const QSize& size) const {
    QImage img(size, QImage::Format_RGB32);
    if (img.isNull())
        return img;
    img.fill(Qt::white);
    QPainter p(&img);
    Draw(p, QRect(QPoint(0, 0), size));
    return img;
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Draw(p, rect());
}

void BarChart::Draw(QPainter& p, const QRect& area) const {
    p.save();
    p.fillRect(area, Qt::white);
    const Geometry g = Measure(area);
    const double offset = g.barWidth * series_.OffsetPercent / 100.0;
    auto inXRange = [&](double x) { return x >= xMin_ && x <= xMax_; };

    // Bars, from the origin to the value, cut to the vertical range.
    p.save();
    p.setClipRect(g.values);
    p.setRenderHint(QPainter::Antialiasing, false);
    // With a comparison each position holds two bars of half the width:
    // the earlier test's, lighter, on the left.
    const bool paired = !comparison_.isEmpty();
    const double width = paired ? g.barWidth / 2 : g.barWidth;
    const double shift = paired ? g.barWidth / 4 : 0;
    auto drawBar = [&](const BarPoint& pt, double centre, bool earlier) {
        if (!std::isfinite(pt.X) || !std::isfinite(pt.Y))
            return;
        const double y0 = g.AxisY(series_.BarOrigin);
        const double y1 = g.AxisY(pt.Y);
        const double h = std::fabs(y1 - y0);
        if (h < 0.5) // an empty position (value at or beyond the origin side)
            return;
        const double left = centre - width / 2;
        const QRectF bar(left, std::min(y0, y1), width, h);
        if (!bar.intersects(g.values))
            return;
        QColor c = pt.Color.isValid() ? pt.Color : QColor(Qt::gray);
        if (earlier) // two parts white to one of the colour
            c = QColor((c.red() + 510) / 3, (c.green() + 510) / 3, (c.blue() + 510) / 3);
        QLinearGradient grad(bar.topLeft(), bar.topRight());
        grad.setColorAt(0, c.lighter(150));
        grad.setColorAt(0.45, c);
        grad.setColorAt(1, c.darker(140));
        const QColor outline = c.darker(170);
        if (bar.height() <= 2 || bar.width() <= 2) {
            p.fillRect(bar, outline);
            return;
        }
        p.setPen(QPen(outline, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(grad);
        p.drawRect(bar.adjusted(1, 1, -1, -1)); // the 2-pixel outline stays inside the bar
    };
    for (const BarPoint& pt : comparison_)
        drawBar(pt, g.AxisX(pt.X, xMin_) + offset - shift, true);
    for (const BarPoint& pt : series_.Points())
        drawBar(pt, g.AxisX(pt.X, xMin_) + offset + shift, false);
    p.restore();
    if (!markers_.isEmpty() || !levelLines_.isEmpty())
        DrawOverlay(p, g, offset);

    // Value marks. Points below the visible range (the empty positions at
    // -10) get none: their mark would only say "-10".
    p.setFont(MarkFont());
    const QFontMetricsF mfm(p.font());
    for (const BarPoint& pt : series_.Points()) {
        if (!std::isfinite(pt.X) || !std::isfinite(pt.Y) || !inXRange(pt.X))
            continue;
        if (pt.Y < g.yMin)
            continue;
        const QString text = FormatPattern(pt.Y, series_.ValueFormat, decimalSep_, thousandSep_);
        if (text.isEmpty())
            continue;
        const double w = std::ceil(mfm.horizontalAdvance(text)) + 2 * kMarkPadX;
        const double h = std::ceil(mfm.height()) + 2 * kMarkPadY;
        const double cx = g.AxisX(pt.X, xMin_) + offset + shift;
        const double end = g.AxisY(pt.Y);
        // The mark sits beyond the bar's end, on the side the bar grows to.
        const bool growsDown = g.inverted == (pt.Y >= series_.BarOrigin);
        double top = growsDown ? end + kMarkGap : end - kMarkGap - h;
        top = std::clamp(top, g.values.top(), std::max(g.values.top(), g.values.bottom() - h));
        const QRectF box(std::round(cx - w / 2), std::round(top), w, h);
        p.fillRect(box, Qt::white);
        QPen framePen(kMarkFrameColor, 1, series_.MarkFrameStyle);
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        p.drawText(box, Qt::AlignCenter, text);
    }

    // Axis texts: each point's label under its position.
    p.setFont(AxisFont());
    const QFontMetricsF afm(p.font());
    p.setPen(Qt::black);
    for (const BarPoint& pt : series_.Points()) {
        if (pt.Label.isEmpty() || !std::isfinite(pt.X) || !inXRange(pt.X))
            continue;
        const double w = std::ceil(afm.horizontalAdvance(pt.Label)) + 2;
        const double cx = g.AxisX(pt.X, xMin_);
        p.drawText(QRectF(cx - w / 2, g.labels.top(), w, g.labels.height()),
                   Qt::AlignHCenter | Qt::AlignTop, pt.Label);
    }

    // Lowered double bevel.
    const QRect r = area.adjusted(0, 0, -1, -1);
    auto edge = [&](const QRect& rr, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(rr.topLeft(), rr.topRight());
        p.drawLine(rr.topLeft(), rr.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(rr.bottomLeft(), rr.bottomRight());
        p.drawLine(rr.topRight(), rr.bottomRight());
    };
    edge(r, QColor(160, 160, 160), QColor(255, 255, 255));
    edge(r.adjusted(1, 1, -1, -1), QColor(105, 105, 105), QColor(227, 227, 227));
    p.restore();
}

void BarChart::SetMarkers(const QVector<BarMarker>& markers) {
    markers_ = markers;
    update();
}

void BarChart::SetLevelLines(const QVector<LevelLine>& lines) {
    levelLines_ = lines;
    update();
}

void BarChart::DrawOverlay(QPainter& p, const Geometry& g, double offset) const {
    p.save();
    p.setClipRect(g.values);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    for (const LevelLine& line : levelLines_) {
        if (!std::isfinite(line.Y) || line.Y < g.yMin || line.Y > g.yMax)
            continue;
        const double y = std::round(g.AxisY(line.Y));
        p.setPen(QPen(line.Color, 2, Qt::DashLine));
        p.drawLine(QPointF(g.values.left(), y), QPointF(g.values.right(), y));
    }
    // A frame around the whole column of a flagged position, so that it
    // shows whatever the height of its bar.
    for (const BarMarker& m : markers_) {
        if (!std::isfinite(m.X) || m.X < xMin_ || m.X > xMax_)
            continue;
        const double left = g.AxisX(m.X, xMin_) + offset - g.barWidth / 2 - 4;
        const QRectF column(left, g.values.top() + 1, g.barWidth + 8, g.values.height() - 3);
        p.setPen(QPen(m.Color, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(column);
    }
    p.restore();
}
