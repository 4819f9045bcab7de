#pragma once
// Every scenario runs its own fresh vexlorin.exe and leaves nothing running behind it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "program_process.h"
#include "user_input.h"
#include "voice_log.h"

// Generous bounds: they only tell a hang from a slow machine.
constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 20000;
constexpr DWORD kBoxTimeoutMs = 10000;
constexpr DWORD kLogTimeoutMs = 15000;

class ProgramTest : public testing::Test {
protected:
    void TearDown() override;

    // Starts the program and waits for its main window; a fatal failure when it does not open.
    void Launch(const std::vector<EnvVar>& env = {});

    HWND Window() const { return program.window; }
    DWORD ProcessId() const { return program.info.dwProcessId; }
    HWND Button(const char* caption) const;
    HWND EditBox() const;

    // Closes the main window with its title bar's close command and waits for the process
    // to end; its exit code, nothing when it did not end.
    std::optional<DWORD> CloseAndWaitForExit();

    ProgramProcess program;
};

// A scenario with the test voice as the speech engine, logging into a file of its own.
class VoiceProgramTest : public ProgramTest {
protected:
    void TearDown() override;

    // Starts the program with the test voice logging; more voice variables may be given.
    void LaunchWithVoice(const std::vector<EnvVar>& env = {});

    VoiceLog Log() const { return ReadVoiceLog(logPath); }

    // Polls the log until done(log) answers true; false after the timeout.
    template <typename Done>
    bool WaitForLog(Done done, DWORD timeoutMs = kLogTimeoutMs) const
    {
        return WaitUntil([&] { return done(Log()); }, timeoutMs, 50);
    }

    std::string logPath;
};
