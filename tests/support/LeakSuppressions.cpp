// Allocations that libraries make once per process and never free, which
// LeakSanitizer would otherwise report when the tests end. The sanitizers ask for
// these at start-up; without them the functions are never called.
//
// - GIO builds its MIME database tables on its first content type query.
// - The HEVC encoder that writes the HEIF fixtures keeps a block per process.
//
// GIO is built without frame pointers, so allocation stacks are unwound the slow
// way; the fast unwinder stops inside GIO and the suppressions would never match.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

extern "C" const char* __lsan_default_suppressions() {
    return "leak:g_content_type_guess\n"
           "leak:g_content_type_get_description\n"
           "leak:x265_encoder_open\n";
}
