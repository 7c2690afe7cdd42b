# Sanitizer settings shared by the scripts that run build-asan/ binaries
# (sourced): leaks checked at exit against the suppression list, undefined
# behaviour fatal with a stack trace.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
