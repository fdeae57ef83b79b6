// Where the tester's library is looked for. Called first thing by every
// program that loads it.
#pragma once

// The tester's library is loaded by its bare name: from beside the program,
// the system folders or PATH, never from whatever folder we run in. On
// Windows a DLL folder takes the current folder's place in the search; the
// program's own folder does no harm there. (An empty one would do on
// Windows, but Wine takes it as none.) The POSIX loader never searches the
// current folder for a bare name, so there this does nothing.
void KeepCurrentFolderOutOfLibrarySearch();
