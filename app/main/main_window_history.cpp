// The report history window and two tests compared: File menu entries that
// exist beside the specified ones and change nothing until used.
#include "app/main/main_window.h"
#include "dialogs/form_compare.h"
#include "dialogs/form_history.h"
#include "dialogs/form_msg.h"
#include "evaluation/rule_storage.h"
#include "platform/window_text.h"
#include "report/report_file.h"

#include <QAction>
#include <QMenu>

void TFormMain::AddHistoryActions(QMenu* file) {
    ActionFileHistory = new QAction(tr("Report &history..."), this);
    ActionFileHistory->setObjectName(QStringLiteral("ActionFileHistory"));
    connect(ActionFileHistory, &QAction::triggered, this, &TFormMain::ActionFileHistoryExecute);
    ActionFileCompare = new QAction(tr("Co&mpare with report..."), this);
    ActionFileCompare->setObjectName(QStringLiteral("ActionFileCompare"));
    connect(ActionFileCompare, &QAction::triggered, this, &TFormMain::ActionFileCompareExecute);
    file->addSeparator();
    file->addAction(ActionFileHistory);
    file->addAction(ActionFileCompare);
}

void TFormMain::ActionFileHistoryExecute() {
    if (!history_) {
        history_ = new TFormHistory(this);
        // Opening a row is Open File with the file already chosen, the
        // unsaved-report question included.
        connect(history_, &TFormHistory::OpenRequested, this,
                [this](const std::string& path) { OpenReportPath(path); });
        connect(history_, &TFormHistory::CompareRequested, this, &TFormMain::CompareReportFiles);
    }
    // Each time it opens: the folder of the last report, read anew, with the
    // workshop's rule set as the settings file holds it now.
    if (!history_->isVisible()) {
        history_->SetRules(ReadRules(*Settings()));
        history_->ListFolder(PathToCore(HistoryStartFolder()));
    }
    history_->show();
    history_->raise();
    history_->activateWindow();
}

void TFormMain::ActionFileCompareExecute() {
    const QString chosen = ChooseReportFileToOpen();
    if (chosen.isEmpty())
        return;
    MeasurementReport other;
    if (!LoadReportFile(PathToCore(chosen), &other, nullptr)) {
        FormMsg->ShowMsg(MessageText(msgErrorOpeningFile), mkError, btnCancel, true);
        return;
    }
    const MeasurementReport& shown = Report();
    if (!compare_)
        compare_ = new TFormCompare(this);
    compare_->ShowComparison(shown, other, shown.Unit);
    compare_->show();
    compare_->raise();
}

void TFormMain::CompareReportFiles(const std::string& first, const std::string& second) {
    MeasurementReport a, b;
    if (!LoadReportFile(first, &a, nullptr) || !LoadReportFile(second, &b, nullptr)) {
        FormMsg->ShowMsg(MessageText(msgErrorOpeningFile), mkError, btnCancel, true);
        return;
    }
    if (!compare_)
        compare_ = new TFormCompare(this);
    // In the unit the window shows.
    compare_->ShowComparison(a, b, Report().Unit);
    compare_->show();
    compare_->raise();
}
