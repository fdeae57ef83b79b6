#include "print/evaluation_texts.h"

#include "chart/bar_chart.h"
#include "platform/window_text.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("Evaluation", text);
}

QString FlaggedList(const std::array<CylinderResult, 12>& results, int minSeverity) {
    QStringList items;
    for (const CylinderResult& r : results) {
        if (FlagSeverity(r.Flag) >= minSeverity)
            items << Tr("cyl. %1: %2").arg(r.Position).arg(EvalFlagText(r.Flag));
    }
    return items.join(QStringLiteral("; "));
}

QString ChartLine(const QString& caption, const ChartSummary& s, const QString& min,
                  const QString& max, const QString& mean, const QString& spread,
                  const QString& flagged) {
    if (s.Count == 0)
        return caption + QStringLiteral(": ") + Tr("no values shown");
    QString line = caption + QStringLiteral(": ") +
                   Tr("min %1, max %2, mean %3, spread %4").arg(min, max, mean, spread);
    if (!flagged.isEmpty())
        line += QStringLiteral(" | ") + flagged;
    else if (s.Worst == EvalFlag::None)
        line += QStringLiteral(" | ") + EvalFlagText(EvalFlag::None);
    return line;
}

} // namespace

QString EvalFlagText(EvalFlag flag) {
    return Tr(FlagText(flag));
}

QString EvalHintText(const Hint& hint) {
    QString text = Tr(HintText(hint.Kind));
    if (text.contains(QStringLiteral("%1")))
        text = text.arg(hint.First);
    if (text.contains(QStringLiteral("%2")))
        text = text.arg(hint.Second);
    return text;
}

QString RuleProblemMessage(RuleProblem problem) {
    return Tr(RuleProblemText(problem));
}

QString RuleSetTitle(const std::string& name) {
    for (const RuleSet& preset : {DefaultRules(), RelativeRules70(), MakerRules(unitBar)}) {
        if (name == preset.Name)
            return Tr(preset.Name.c_str());
    }
    return DiskToQ(name);
}

QString RuleSetLine(const Evaluation& e) {
    return Tr("Rule set: %1. Every flag is an indication; the cause is the technician's "
              "judgement.")
        .arg(RuleSetTitle(e.RuleSetName));
}

QColor EvalFlagColor(EvalFlag flag) {
    switch (FlagSeverity(flag)) {
    case 1:
        return QColor(46, 139, 87); // green
    case 2:
        return QColor(154, 170, 30); // olive
    case 3:
        return QColor(230, 140, 0); // amber
    case 4:
        return QColor(200, 0, 160); // magenta: apart from the red bars
    default:
        return QColor(128, 128, 128);
    }
}

QString CompressionNumber(double value, int unit) {
    return QLocale().toString(value, 'f', unit == unitKPa ? 0 : 1);
}

QString PercentNumber(double value) {
    return QLocale().toString(value, 'f', 1);
}

void MarkEvaluation(BarChart& komp, BarChart& leak, const Evaluation* e) {
    QVector<BarMarker> kompMarks, leakMarks;
    QVector<LevelLine> kompLines, leakLines;
    if (e) {
        for (int p = 0; p < 12; ++p) {
            if (FlagSeverity(e->Compression[p].Flag) >= 3)
                kompMarks.push_back({p + 1.0, EvalFlagColor(e->Compression[p].Flag)});
            if (FlagSeverity(e->Leakage[p].Flag) >= 3)
                leakMarks.push_back({p + 1.0, EvalFlagColor(e->Leakage[p].Flag)});
        }
        auto colour = [](ThresholdKind k) {
            switch (k) {
            case ThresholdKind::Acceptable:
                return EvalFlagColor(EvalFlag::Acceptable);
            case ThresholdKind::Warning:
            case ThresholdKind::Check:
                return EvalFlagColor(EvalFlag::Warning);
            default:
                return EvalFlagColor(EvalFlag::Fault);
            }
        };
        for (const Threshold& t : e->CompressionLines)
            kompLines.push_back({t.Value, colour(t.Kind)});
        for (const Threshold& t : e->LeakageLines)
            leakLines.push_back({t.Value, colour(t.Kind)});
    }
    komp.SetMarkers(kompMarks);
    komp.SetLevelLines(kompLines);
    leak.SetMarkers(leakMarks);
    leak.SetLevelLines(leakLines);
}

QStringList EvaluationPageLines(const Evaluation& e, const QString& unitCaption) {
    QStringList lines;
    lines << Tr("Evaluation (indications) - rule set: %1").arg(RuleSetTitle(e.RuleSetName));
    const ChartSummary& c = e.CompressionSummary;
    lines << ChartLine(Tr("Compression (%1)").arg(unitCaption), c, CompressionNumber(c.Min, e.Unit),
                       CompressionNumber(c.Max, e.Unit), CompressionNumber(c.Mean, e.Unit),
                       CompressionNumber(c.Spread, e.Unit) +
                           QStringLiteral(" (%1 %)").arg(PercentNumber(c.SpreadPercent)),
                       FlaggedList(e.Compression, 3));
    const ChartSummary& l = e.LeakageSummary;
    lines << ChartLine(Tr("Leakage (%)"), l, PercentNumber(l.Min), PercentNumber(l.Max),
                       PercentNumber(l.Mean), PercentNumber(l.Spread), FlaggedList(e.Leakage, 2));
    for (const Hint& h : e.Hints)
        lines << EvalHintText(h);
    return lines;
}
