#pragma once
// The program's console lines read by a test, and shown with the failures
// when the test fails.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

// The program's standard output and error, captured while a test runs.
class CapturedConsole
{
public:
    void start()
    {
        if (!capturing)
            ::testing::internal::CaptureStdout(), ::testing::internal::CaptureStderr();
        capturing = true;
    }
    // The lines since the last call.
    std::string out() { return take(true, true); }
    std::string err() { return take(false, true); }
    // Failure messages go into the capture too: a failed test shows them with the console lines.
    void stop(bool failed)
    {
        take(true, false);
        take(false, false);
        if (std::exchange(capturing, false) && failed)
            std::fprintf(stderr, "---- console and failures of this test ----\n%s\n----\n", transcript.c_str());
    }

private:
    std::string take(bool standardOut, bool goOn)
    {
        using namespace ::testing::internal;
        if (!capturing)
            return std::string();
        std::fflush(standardOut ? stdout : stderr);
        const std::string text = standardOut ? GetCapturedStdout() : GetCapturedStderr();
        if (goOn)
            standardOut ? CaptureStdout() : CaptureStderr();
        transcript += text;
        return text;
    }

    bool capturing = false;
    std::string transcript;
};
