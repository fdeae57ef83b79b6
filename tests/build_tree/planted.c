/* Stands in for a libz.so.1 or libAtUsbHid.so that somebody put into the
 * folder a program is started from: if the loader ever takes it, it says so
 * and ends the program with its own exit code. */
#include <unistd.h>

__attribute__((constructor)) static void Planted(void) {
    static const char text[] = "PLANTED LIBRARY LOADED\n";
    (void)!write(2, text, sizeof text - 1);
    _exit(97);
}
