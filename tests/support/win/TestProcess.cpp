#include "support/TestProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// The tests' texts, like the program's, are code page 1252 bytes.
constexpr UINT kProgramCodePage = 1252;

void Append(char*& out, const char* end, const char* text)
{
    const size_t length = std::min(std::strlen(text), static_cast<size_t>(end - out));
    std::memcpy(out, text, length);
    out += length;
}

void AppendHex(char*& out, const char* end, unsigned long long value)
{
    Append(out, end, "0x");
    out = std::to_chars(out, const_cast<char*>(end), value, 16).ptr;
}

// Runs on the crashing thread, perhaps with the heap broken: no allocation, no C runtime
// streams, then the process ends before anything else can wait (Wine's debugger, a dialog).
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info)
{
    char line[200];
    char* out = line;
    const char* const end = line + sizeof(line);
    Append(out, end, "\nkst-tests: crashed with exception ");
    AppendHex(out, end, info->ExceptionRecord->ExceptionCode);
    Append(out, end, " at ");
    AppendHex(out, end, reinterpret_cast<UINT_PTR>(info->ExceptionRecord->ExceptionAddress));
    Append(out, end, " in thread ");
    AppendHex(out, end, GetCurrentThreadId());
    Append(out, end, "\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(out - line), &written,
              nullptr);
    TerminateProcess(GetCurrentProcess(), kst_test::kCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override
    {
        EXPECT_EQ(kProgramCodePage, GetACP())
            << "the test process must run in code page 1252, as the program does";
    }
};

}  // namespace

void kst_test::PrepareTestProcess()
{
    SetUnhandledExceptionFilter(EndOnCrash);
    // Errors that would open a message box and wait end the process instead.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::testing::AddGlobalTestEnvironment(new CodePageCheck);
}
