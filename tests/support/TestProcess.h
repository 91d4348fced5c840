#pragma once
// What every test executable sets up before its tests run (tests/support/TestMain.cpp).

namespace kst_test {

// The exit code of a test executable that crashed.
constexpr int kCrashExitCode = 134;

// On Windows: a crash anywhere in the process (any thread) prints its exception and ends the
// process with kCrashExitCode at once, so the test driver sees a failure instead of a debugger
// that waits or reports success; and the tests check that the process runs in the program's
// code page. Nothing to do on the host, where a crash already ends the process with a signal.
void PrepareTestProcess();

}  // namespace kst_test
