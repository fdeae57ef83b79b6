// Report files: saving and opening through FreeBase1. Not built yet: saving
// reports failure, so an unsaved report keeps the window open when the user
// asks to save it on closing, and opening does nothing.
#include "app/main/main_window.h"

void TFormMain::CreateFreeBase1() {
    FreeBase1 = nullptr;
}

void TFormMain::DestroyFreeBase1() {
    FreeBase1 = nullptr;
}

void TFormMain::CloseFreeBase1() {}

bool TFormMain::SaveTheFile() {
    return false;
}

void TFormMain::ActionFileSaveExecute() {
    SaveTheFile();
    CloseFreeBase1();
}

void TFormMain::ActionFileOpenExecute() {}
