// Renders the main window and its printed page for one report file, so that
// two builds can be compared pixel for pixel (the evaluation switched off
// must leave both as they were), and makes the evaluation's screenshots:
//     render_default REPORT.vrx OUTDIR [--evaluation]
// writes OUTDIR/window.png and OUTDIR/page.pdf; with --evaluation the panel
// is shown and the page's block chosen first. Run with a fresh HOME and the
// simulated tester first on LD_LIBRARY_PATH. Only object names are used, so
// the same source builds against a tree without the evaluation.
#include "app/main/main_window.h"
#include "app/main/start_up.h"
#include "tests/print/dialog_answerer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    const bool evaluation = argc == 4 && std::strcmp(argv[3], "--evaluation") == 0;
    if (argc != 3 && !evaluation) {
        std::fprintf(stderr, "usage: render_default REPORT.vrx OUTDIR [--evaluation]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString report = QString::fromLocal8Bit(argv[1]);
    const QDir out(QDir(QString::fromLocal8Bit(argv[2])).absolutePath());
    CreateWindows();
    FormMain->FinishStartup();
    FormMain->show();
    Settle(300);
    FormMain->OpenReportFile(report);
    if (evaluation) {
        auto* show = FormMain->findChild<QAction*>(QStringLiteral("ActionShowEvaluation"));
        auto* block = FormMain->findChild<QCheckBox*>(QStringLiteral("CheckBox5"));
        if (!show || !block)
            return 1;
        show->trigger();
        block->setChecked(true);
    }
    Settle(300);
    const bool window = FormMain->grab().save(out.absoluteFilePath(QStringLiteral("window.png")));
    {
        DialogAnswerer answer(DialogAnswerer::Accept,
                              out.absoluteFilePath(QStringLiteral("page.pdf")));
        FormMain->ActionFilePrintExecute();
    }
    DestroyWindows();
    return window && QFileInfo::exists(out.absoluteFilePath(QStringLiteral("page.pdf"))) ? 0 : 1;
}
