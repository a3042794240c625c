// A loadable module whose only content is its embedded resources.
extern "C" int nuv_test_resmodule_marker() { return 101; }
