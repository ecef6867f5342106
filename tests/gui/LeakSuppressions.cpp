// Leak checking for the window tests: fontconfig keeps its font cache for
// the life of the process on purpose, which LeakSanitizer reports at exit.
// Only that library is excused.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
