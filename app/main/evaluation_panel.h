// The evaluation panel beside the charts: the rule set, one row per shown
// cylinder, the figures of both charts and the hints. Plain text only.
#pragma once

#include "evaluation/evaluation.h"

#include <QWidget>

class QLabel;
class QTableWidget;

class TEvaluationPanel : public QWidget {
    Q_OBJECT
public:
    explicit TEvaluationPanel(QWidget* parent = nullptr);

    // unitCaption: the compression unit as the window shows it.
    void ShowEvaluation(const Evaluation& e, const QString& unitCaption);

    QLabel* RuleLabel = nullptr;
    QTableWidget* Table = nullptr;
    QLabel* SummaryLabel = nullptr;
    QLabel* HintLabel = nullptr;
};
