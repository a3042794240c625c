// A shared object that is not a module: it has no entry point.
extern "C" int noentry_value() { return 1; }
