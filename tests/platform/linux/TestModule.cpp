// A module for the loader's test; its version is given when it is built.
#ifdef TEST_MODULE_VERSION
extern "C" __attribute__((visibility("default"))) const char zelto_module_version[] = TEST_MODULE_VERSION;
#endif

extern "C" __attribute__((visibility("default"))) int zelto_test_entry() {
    return 42;
}
