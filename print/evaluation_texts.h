// The evaluation as the window, the printed page and the dialogs show it:
// translated texts, colours, the charts' marks and the page's block.
#pragma once

#include "evaluation/evaluation.h"

#include <QColor>
#include <QString>
#include <QStringList>

class BarChart;

// In the context "Evaluation" of the translators installed now.
QString EvalFlagText(EvalFlag flag);
QString EvalHintText(const Hint& hint);
QString RuleProblemMessage(RuleProblem problem);
// The rule set's name as stored; the presets' own names translated.
QString RuleSetTitle(const std::string& name);
// The rule set's name and what every flag is.
QString RuleSetLine(const Evaluation& e);

QColor EvalFlagColor(EvalFlag flag);

// A compression value in the report's unit as the chart shows it
// (one decimal, none for kPa), with the locale's separators.
QString CompressionNumber(double value, int unit);
QString PercentNumber(double value);

// Frames the flagged bars and draws the limits on both charts; nullptr
// takes every mark away again.
void MarkEvaluation(BarChart& komp, BarChart& leak, const Evaluation* e);

// The printed block: the rule set line, one line per chart (figures and
// flagged cylinders) and the hints.
QStringList EvaluationPageLines(const Evaluation& e, const QString& unitCaption);
