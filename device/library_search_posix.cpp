#include "device/library_search.h"

void KeepCurrentFolderOutOfLibrarySearch() {}
