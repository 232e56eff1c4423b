// The options of the address, leak and undefined-behaviour checks, built into every program
// of a build made with them (VELMO_SANITIZE), so that a test gets the same whether ctest,
// a shell or another test starts it: any finding ends the program. ASAN_OPTIONS,
// LSAN_OPTIONS and UBSAN_OPTIONS in the environment still override them.
extern "C" {

const char* __asan_default_options()
{
    return "detect_leaks=1:abort_on_error=1:strict_init_order=1:allocator_may_return_null=1";
}

// Allocations outside our code that live until the process ends:
// - fontconfig keeps its configuration and the font patterns it matched for the life of the
//   process and frees them only in FcFini, which Qt's font database never calls; the stack
//   shows nothing but fontconfig's own frames (it is built without frame pointers).
// - Qt makes a primary keyboard device on first use where the platform plugin registers
//   none (the offscreen one used by the tests); it is never freed.
const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:QInputDevice::primaryKeyboard\n";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
