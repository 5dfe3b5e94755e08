// Built into the sanitizer build only. Under a desktop session the system's D-Bus and font
// libraries keep allocations they never free (connections, caches) until the process ends;
// LeakSanitizer would report them at every exit and end the program with status 1. These
// suppressions name those libraries and Qt's D-Bus glue alone, which our code never calls
// directly: a leak is dropped only when one of them is on the stack that allocated it, so
// every leak of our own objects is still reported.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libfreetype.so\n"
           "leak:libQt6DBus.so\n";
}
