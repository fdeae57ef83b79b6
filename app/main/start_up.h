// The program's windows: created once at start-up in a fixed order and
// kept until the end.
#pragma once

// Creates FormMain, FormAbout, FormCompany, FormMsg, FormNames and
// FormChangeSens in this order, then loads the cursor "CURKALDORIAN" into
// the cursor table at index -5.
void CreateWindows();
// Destroys the six windows, the main window first (it frees what it owns).
void DestroyWindows();
