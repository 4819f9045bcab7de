#include "program_fixture.h"

#include "window_facts.h"

void ProgramTest::TearDown()
{
    EndProgram(program);
}

void ProgramTest::Launch(const std::vector<EnvVar>& env)
{
    // The expected texts are code page 936 bytes, and so is all the program's text.
    ASSERT_EQ(GetACP(), 936u) << "run the tests with a Chinese locale (LANG=zh_CN.UTF-8 under Wine)";
    ASSERT_TRUE(StartProgram(program, env)) << "could not start " << ProgramPath() << ", error " << GetLastError();
    program.window = WaitForMainWindow(program, kWindowTimeoutMs);
    ASSERT_NE(program.window, nullptr) << "the main window did not open; the program's windows:"
                                       << DescribeWindowsOf(program);
}

HWND ProgramTest::Button(const char* caption) const
{
    return ChildWithText(program.window, "Button", caption);
}

HWND ProgramTest::EditBox() const
{
    return FirstChildOfClass(program.window, "Edit");
}

std::optional<DWORD> ProgramTest::CloseAndWaitForExit()
{
    PostMessageA(program.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitForExit(program, kExitTimeoutMs);
}

void VoiceProgramTest::TearDown()
{
    ProgramTest::TearDown();
    // A failed scenario's log is kept for reading; so is every log when asked for.
    bool keep = HasFailure() || GetEnvironmentVariableA("VEXLORIN_E2E_KEEP_LOGS", nullptr, 0) != 0;
    if (!logPath.empty() && !keep)
        DeleteFileA(logPath.c_str());
}

void VoiceProgramTest::LaunchWithVoice(const std::vector<EnvVar>& env)
{
    logPath = TempFileName("vxl");
    std::vector<EnvVar> all = {{"VEXLORIN_TEST_VOICE_LOG", logPath}};
    all.insert(all.end(), env.begin(), env.end());
    ASSERT_NO_FATAL_FAILURE(Launch(all)) << "voice log " << logPath;
    // The engine is made before the window opens; its log tells whether it was ours.
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return DllWasLoaded(log); }))
        << "the test voice did not load: is it registered as the speech engine? log " << logPath;
}
