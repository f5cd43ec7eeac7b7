// A shared library that has nothing to do with Dovan.
extern "C" __attribute__((visibility("default"))) int UnrelatedFunction(void) { return 42; }
