#include "app/main/evaluation_panel.h"

#include "print/evaluation_texts.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column {
    colCylinder,
    colCompression,
    colOfHighest,
    colDeviation,
    colCompFlag,
    colLeakage,
    colLeakDeviation,
    colLeakFlag,
    colCount
};

QLabel* PlainLabel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

QString Signed(const QString& number, double value) {
    return value > 0 ? QStringLiteral("+") + number : number;
}

QTableWidgetItem* Cell(const QString& text, EvalFlag flag = EvalFlag::None, bool isFlag = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(isFlag ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                  : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (isFlag && FlagSeverity(flag) >= 3) {
        item->setForeground(EvalFlagColor(flag));
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    }
    return item;
}

} // namespace

TEvaluationPanel::TEvaluationPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EvaluationPanel"));
    // The face colour of the window's panels, not the frame's red.
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    face.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    setPalette(face);
    setAutoFillBackground(true);
    auto* box = new QVBoxLayout(this);
    RuleLabel = PlainLabel(this);
    RuleLabel->setObjectName(QStringLiteral("EvaluationRuleLabel"));
    Table = new QTableWidget(0, colCount, this);
    Table->setObjectName(QStringLiteral("EvaluationTable"));
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    SummaryLabel = PlainLabel(this);
    SummaryLabel->setObjectName(QStringLiteral("EvaluationSummary"));
    HintLabel = PlainLabel(this);
    HintLabel->setObjectName(QStringLiteral("EvaluationHints"));
    box->addWidget(RuleLabel);
    box->addWidget(Table, 1);
    box->addWidget(SummaryLabel);
    box->addWidget(HintLabel);
}

void TEvaluationPanel::ShowEvaluation(const Evaluation& e, const QString& unitCaption) {
    RuleLabel->setText(RuleSetLine(e));
    Table->setHorizontalHeaderLabels({
        tr("Cyl."),
        tr("Compression\n(%1)").arg(unitCaption),
        tr("of highest\n(%)"),
        tr("Deviation\n(%1)").arg(unitCaption),
        tr("Indication"),
        tr("Leakage\n(%)"),
        tr("Deviation\n(points)"),
        tr("Indication"),
    });
    Table->setRowCount(0);
    for (int p = 0; p < 12; ++p) {
        const CylinderResult& c = e.Compression[p];
        const CylinderResult& l = e.Leakage[p];
        if (!c.Evaluated && !l.Evaluated)
            continue;
        const int row = Table->rowCount();
        Table->insertRow(row);
        Table->setItem(row, colCylinder, Cell(QString::number(p + 1)));
        if (c.Evaluated) {
            Table->setItem(row, colCompression, Cell(CompressionNumber(c.Value, e.Unit)));
            Table->setItem(row, colOfHighest, Cell(PercentNumber(c.PercentOfMax)));
            Table->setItem(row, colDeviation,
                           Cell(Signed(CompressionNumber(c.Deviation, e.Unit), c.Deviation) +
                                QStringLiteral(" (%1 %)").arg(Signed(
                                    PercentNumber(c.DeviationPercent), c.DeviationPercent))));
            Table->setItem(row, colCompFlag, Cell(EvalFlagText(c.Flag), c.Flag, true));
        }
        if (l.Evaluated) {
            Table->setItem(row, colLeakage, Cell(PercentNumber(l.Value)));
            Table->setItem(row, colLeakDeviation,
                           Cell(Signed(PercentNumber(l.Deviation), l.Deviation)));
            Table->setItem(row, colLeakFlag, Cell(EvalFlagText(l.Flag), l.Flag, true));
        }
    }
    const QStringList lines = EvaluationPageLines(e, unitCaption);
    SummaryLabel->setText(lines.mid(1, 2).join(QLatin1Char('\n')));
    HintLabel->setText(lines.mid(3).join(QLatin1Char('\n')));
    HintLabel->setVisible(lines.size() > 3);
}
