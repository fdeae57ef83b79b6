#include "app/main/start_up.h"

#include "app/main/main_window.h"
#include "app/main/main_window_icons.h"
#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"
#include "dialogs/form_names.h"
#include "platform/first_paint_probe.h"
#include "platform/window_style.h"

#include <QTimer>

#include <memory>
#include <utility>

void CreateWindows() {
    CreateMainWindow();
    CreateDialogs();
}

void CreateMainWindow() {
    WindowStyle::UseApplicationStyle();
    FormMain = new TFormMain();
}

void CreateDialogs() {
    FormAbout = new TFormAbout(FormMain);
    FormCompany = new TFormCompany(FormMain);
    FormMsg = new TFormMsg(FormMain);
    FormNames = new TFormNames(FormMain);
    FormChangeSens = new TFormChangeSens(FormMain);
    // No control uses this cursor.
    ScreenCursors().insert(CursorKaldorian, KaldorianCursor());
}

FirstPaintProbe* StartWindows(std::function<void()> then) {
    CreateMainWindow();
    FormMain->FinishStartup();
    auto* probe = new FirstPaintProbe(FormMain, FormMain);
    // Shared by both triggers below: whichever comes first does it.
    auto done = std::make_shared<bool>(false);
    auto rest = [then = std::move(then), done] {
        if (*done)
            return;
        *done = true;
        CreateDialogs();
        FormMain->ConnectDialogs();
        if (then)
            then();
    };
    QObject::connect(probe, &FirstPaintProbe::Painted, FormMain, rest);
    QTimer::singleShot(1000, FormMain, rest);
    FormMain->show();
    return probe;
}

void DestroyWindows() {
    // The dialogs are children of the main window and go with it.
    delete FormMain;
    FormMain = nullptr;
    FormAbout = nullptr;
    FormCompany = nullptr;
    FormMsg = nullptr;
    FormNames = nullptr;
    FormChangeSens = nullptr;
    ScreenCursors().remove(CursorKaldorian);
}
