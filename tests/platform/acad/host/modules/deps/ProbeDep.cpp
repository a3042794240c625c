// A library a test module needs and that only the "Path" search finds.
extern "C" int probe_dep_value() { return 4711; }
