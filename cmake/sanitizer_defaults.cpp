// Run-time settings of the sanitizer build, built into every program so that programs started
// by tests behave like the tests themselves.
extern "C" {

// SDL is built without frame pointers: the slow unwinder sees through it to the caller.
const char* __asan_default_options() {
    return "detect_stack_use_after_return=1:fast_unwind_on_malloc=0";
}

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

const char* __lsan_default_options() { return "print_suppressions=0"; }

// Pictures are loaded once and kept for the whole run by design, and fontconfig (the painter's
// labels) never frees its caches; anything else left behind is a leak.
const char* __lsan_default_suppressions() {
    return "leak:SDL_ConvertSurface\n" // what SDL_DisplayFormat hands back
           "leak:libfontconfig.so\n";
}
}
