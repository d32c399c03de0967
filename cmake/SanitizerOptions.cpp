// Built into every test program of a sanitizer build, so that the tests behave the same
// whether ctest, a script or a developer's shell starts them.

// LeakSanitizer reads the thread-local storage of libraries loaded at run time through a hook
// that, with the database client library loaded, reports a bogus range and crashes the leak
// check at exit. Without the hook that storage is read like any other.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

// What the database client library and the engine behind it allocate once and keep for the
// life of the process on purpose. ICU is loaded by the engine for its character sets; the
// program never calls it, and it is named itself because the fast unwinder stops inside it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfbclient.so\n"
         "leak:libEngine12.so\n"
         "leak:libicuuc.so\n";
}
