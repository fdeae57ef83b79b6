// Where Windows looks for the tester's library (library_search_win.cpp;
// called on Windows only).
#pragma once

// The tester's library is loaded by its bare name: from beside the program,
// the system folders or PATH, never from whatever folder we run in. A DLL
// folder takes the current folder's place in the search; the program's own
// folder does no harm there. (An empty one would do on Windows, but Wine
// takes it as none.)
void KeepCurrentFolderOutOfLibrarySearch();
