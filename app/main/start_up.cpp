#include "app/main/start_up.h"

#include "app/main/main_window.h"
#include "app/main/main_window_icons.h"
#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"
#include "dialogs/form_names.h"

void CreateWindows() {
    FormMain = new TFormMain();
    FormAbout = new TFormAbout(FormMain);
    FormCompany = new TFormCompany(FormMain);
    FormMsg = new TFormMsg(FormMain);
    FormNames = new TFormNames(FormMain);
    FormChangeSens = new TFormChangeSens(FormMain);
    // No control uses this cursor.
    ScreenCursors().insert(CursorKaldorian, KaldorianCursor());
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
