// Leak-check settings built into the test programs of the plain build: full stacks, so that the suppressions match.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" BOXVIEW_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
