// A loadable module that is not the plot module: it has no drawing entry.
extern "C" int aqvis_test_other_module() { return 0; }
