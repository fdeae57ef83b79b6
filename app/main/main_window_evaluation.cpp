// The technician's verdict: the Settings menu's two choices, the panel
// beside the charts, the marks on the charts and the page's block. While
// the panel is hidden none of it shows and the window is as it always was.
#include "app/main/evaluation_panel.h"
#include "app/main/main_window.h"

#include "chart/bar_chart.h"
#include "dialogs/form_rules.h"
#include "evaluation/rule_storage.h"
#include "print/evaluation_texts.h"
#include "print/report_page.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr const char* PanelKey = "Panel";
constexpr const char* PrintBlockKey = "PrintBlock";
constexpr int DockWidth = 680;

// A context of its own, apart from the window's specified texts.
QString Tr(const char* text) {
    return QCoreApplication::translate("TFormMainEvaluation", text);
}

} // namespace

void TFormMain::CreateEvaluation() {
    rules_ = std::make_unique<RuleSet>(DefaultRules());

    ActionShowEvaluation = new QAction(Tr("Show &Evaluation"), this);
    ActionShowEvaluation->setObjectName(QStringLiteral("ActionShowEvaluation"));
    ActionShowEvaluation->setCheckable(true);
    connect(ActionShowEvaluation, &QAction::triggered, this,
            &TFormMain::ActionShowEvaluationExecute);
    ActionEvaluationRules = new QAction(Tr("Evaluation &Rules..."), this);
    ActionEvaluationRules->setObjectName(QStringLiteral("ActionEvaluationRules"));
    connect(ActionEvaluationRules, &QAction::triggered, this,
            &TFormMain::ActionEvaluationRulesExecute);
    for (QAction* menu : menuBar()->actions()) {
        if (menu->menu() && menu->menu()->actions().contains(ActionSettingsNames)) {
            menu->menu()->addSeparator();
            menu->menu()->addAction(ActionShowEvaluation);
            menu->menu()->addAction(ActionEvaluationRules);
        }
    }

    // Beside the two chart choices, hidden (taking no room) until the panel
    // shows: off, the tool bar is as it always was.
    CheckBox5 = new QCheckBox(Tr("Evaluation"), PrinterOptions);
    CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    CheckBox5->hide();
    PrinterOptions->layout()->addWidget(CheckBox5);
    connect(CheckBox5, &QCheckBox::toggled, this, [this](bool on) {
        if (!CheckBox5->isHidden())
            WriteEvaluationSwitch(*settings_, PrintBlockKey, on);
    });
}

void TFormMain::RereadRules() {
    // Without a settings file the rules set here are all there is.
    if (!settings_->Path().empty())
        *rules_ = ReadRules(*settings_);
}

void TFormMain::RestoreEvaluation(const EvaluationSettings& stored) {
    *rules_ = stored.Rules;
    {
        const QSignalBlocker block(CheckBox5);
        CheckBox5->setChecked(stored.PrintBlock);
    }
    if (stored.Panel)
        SetEvaluationShown(true);
}

void TFormMain::ActionShowEvaluationExecute() {
    const bool shown = ActionShowEvaluation->isChecked();
    SetEvaluationShown(shown);
    WriteEvaluationSwitch(*settings_, PanelKey, shown);
}

void TFormMain::SetEvaluationShown(bool shown) {
    ActionShowEvaluation->setChecked(shown);
    if (shown == (EvaluationDock && !EvaluationDock->isHidden()))
        return;
    if (shown) {
        if (!EvaluationDock) {
            EvaluationDock = new QDockWidget(Tr("Evaluation"), this);
            EvaluationDock->setObjectName(QStringLiteral("EvaluationDock"));
            EvaluationDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
            EvaluationPanel = new TEvaluationPanel(EvaluationDock);
            EvaluationDock->setWidget(EvaluationPanel);
            EvaluationDock->setFixedWidth(DockWidth);
            addDockWidget(Qt::RightDockWidgetArea, EvaluationDock);
        }
        // The panel gets room of its own: the chart area keeps its size.
        widthBeforeEvaluation_ = width();
        if (!isMaximized() && !isFullScreen())
            resize(std::min(maximumWidth(), width() + DockWidth), height());
        EvaluationDock->show();
        CheckBox5->show();
        // Whatever the dock area's own margins take: the client area keeps
        // its designed size and does not scroll.
        layout()->activate();
        const int missing = ClientArea->minimumWidth() - centralWidget()->width();
        if (missing > 0 && !isMaximized() && !isFullScreen())
            resize(std::min(maximumWidth(), width() + missing), height());
        UpdateEvaluation();
    } else {
        EvaluationDock->hide();
        CheckBox5->hide();
        MarkEvaluation(*DiagKomp, *DiagLeak, nullptr);
        if (!isMaximized() && !isFullScreen() && widthBeforeEvaluation_ > 0)
            resize(widthBeforeEvaluation_, height());
    }
}

MeasurementReport TFormMain::ShownReport() const {
    // A copy: a refresh may run while the report and its controls are being
    // filled, so nothing is taken from the controls into the report here.
    MeasurementReport r = report_;
    r.Unit = ComboBoxUnit->currentIndex();
    for (int p = 0; p < 12; ++p) {
        r.CompressionAssignment[p] = selectors_[p]->currentIndex();
        r.LeakageAssignment[p] = selectors_[12 + p]->currentIndex();
    }
    return r;
}

void TFormMain::UpdateEvaluation() {
    if (!EvaluationDock || EvaluationDock->isHidden() || !rules_)
        return;
    const Evaluation e = Evaluate(ShownReport(), *rules_);
    EvaluationPanel->ShowEvaluation(e, Label43->text());
    MarkEvaluation(*DiagKomp, *DiagLeak, &e);
}

void TFormMain::ActionEvaluationRulesExecute() {
    // Another window may have changed the rules since: show what is stored,
    // write only what was changed here.
    RereadRules();
    const RuleSet shown = *rules_;
    TFormRules dialog(this);
    RuleSet edited = shown;
    if (dialog.EditRules(edited)) {
        const bool stored = WriteRuleChanges(*settings_, shown, edited);
        *rules_ = stored ? ReadRules(*settings_) : edited;
    }
    UpdateEvaluation();
}

void TFormMain::SetPageEvaluation(ReportPageData& data) {
    data.PrintEvaluation = false;
    if (!EvaluationDock || EvaluationDock->isHidden() || !CheckBox5->isChecked())
        return;
    RereadRules();
    const Evaluation e = Evaluate(ShownReport(), *rules_);
    data.PrintEvaluation = true;
    data.EvaluationLines = EvaluationPageLines(e, Label43->text());
}
