// Run-time options of the sanitizers, read by their run-times at start-up, for the programs of the
// sanitizer build.

extern "C" {

const char* __lsan_default_options() {
    return "suppressions=" TAVIMORO_LSAN_SUPPRESSIONS;
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1";
}

} // extern "C"
