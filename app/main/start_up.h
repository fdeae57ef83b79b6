// The program's windows: created once at start-up in a fixed order and
// kept until the end.
#pragma once

#include <functional>

class FirstPaintProbe;

// Creates FormMain, FormAbout, FormCompany, FormMsg, FormNames and
// FormChangeSens in this order, then loads the cursor "CURKALDORIAN" into
// the cursor table at index -5.
void CreateWindows();
// The same in two steps, so that the program can show its main window
// before it builds the dialogs no first view needs: FormMain alone, then
// the five dialogs and the cursor.
void CreateMainWindow();
void CreateDialogs();
// The program's start: the main window made, finished and shown at once,
// the dialogs and the cursor once it has been painted (or after a second,
// should it never be), then `then`. The probe returned tells of that paint.
FirstPaintProbe* StartWindows(std::function<void()> then = {});
// Destroys the six windows, the main window first (it frees what it owns).
void DestroyWindows();
