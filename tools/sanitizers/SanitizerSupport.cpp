// Linked into every executable of the sanitizer build (TAVO_SANITIZE), nowhere else.
#include <dlfcn.h>

extern "C" {

// Default runtime options. The sanitizer runtimes call these before main(); ASAN_OPTIONS,
// UBSAN_OPTIONS and LSAN_OPTIONS in the environment still override single settings. Exit code
// 23 tells a sanitizer report from an ordinary test failure.
const char* __asan_default_options();
const char* __ubsan_default_options();
const char* __lsan_default_options();

const char* __asan_default_options() {
    return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:"
           "detect_stack_use_after_return=1:exitcode=23";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

const char* __lsan_default_options() {
    return "suppressions=" TAVO_LSAN_SUPPRESSIONS ":print_suppressions=0:exitcode=23";
}

// Shared libraries stay loaded to the end. Mesa unloads its driver (and LLVM with it) when the
// last GL context goes; the few blocks the driver keeps would then be reported from code that is
// no longer mapped ("<unknown module>"), which no suppression by library name can match. Kept
// loaded, the driver's globals still point at them, so they are reachable and not reported at
// all (lsan.supp needs no entry for them), while every leak of ours still shows with our own
// frames.
int dlclose(void* handle) noexcept {
    (void)handle;
    return 0;
}

}
