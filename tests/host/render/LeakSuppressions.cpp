// fontconfig, under Qt's font database, keeps its configuration until the process ends and never
// frees it: not a leak of ours, so the leak checker is told to pass over it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
