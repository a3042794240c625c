// The library the "beside" test module needs.
extern "C" int BesideDepAnswer() { return 42; }
