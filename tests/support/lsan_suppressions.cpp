// Fontconfig keeps its caches until the process ends; they are not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
