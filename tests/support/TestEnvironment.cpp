// Linked into every test program: the environment a test expects before main() runs, so a
// test binary behaves the same under ctest, by hand and in a debugger.
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("MS_PROGRAM_DIR", MS_TEST_PROGRAM_DIR, 0);
    }
} const testEnvironment;
} // namespace
