// A failed allocation of the window run time, on the real program, at the moments that
// matter most: once the exit routine that releases the speech engine is registered, and
// while the engine is speaking. The report names the size asked for, the process ends
// at once with exit code -1, and no exit routine runs: the engine's voice is never
// released by the program (the process simply ends under it).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "event_ledger.h"
#include "program_fixture.h"
#include "ui_runtime/control_registry.h"
#include "window_facts.h"

namespace {

constexpr DWORD kRunTimeErrorExitCode = static_cast<DWORD>(-1);
// What the start button copies while the voice is still on an earlier, longer text.
constexpr size_t kFailingTextBytes = 777;

enum class Moment {
    LoadingTheWindow,   // a control's record: the exit routine is registered by then
    RegisteringExit,    // the exit routine's own record: the voice exists already
    CopyingTheText,     // the start button's copy of the text, while speaking
};

struct FailureCase {
    const char* name;
    Moment moment;
    size_t failingSize;
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

const FailureCase kCases[] = {
    {"ControlRecordWhileLoadingTheWindow", Moment::LoadingTheWindow, sizeof(RtControl)},
    {"ExitRoutineRecord", Moment::RegisteringExit, 2 * sizeof(void*)},
    {"TextCopyWhileSpeaking", Moment::CopyingTheText, kFailingTextBytes + 1},
};

std::string ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

class RunTimeAllocationFailureTest : public VoiceProgramTest, public testing::WithParamInterface<FailureCase> {
protected:
    void TearDown() override
    {
        VoiceProgramTest::TearDown();
        if (!stderrPath.empty())
            DeleteFileA(stderrPath.c_str());
    }

    // The program with its run-time errors reported on a standard error of ours, in a
    // file, and the test voice logging; our environment otherwise, as the fixture's launch.
    void StartReportingToFile(const std::vector<EnvVar>& env)
    {
        stderrPath = TempFileName("err");
        logPath = TempFileName("vxl");
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE errors = CreateFileA(stderrPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(errors, INVALID_HANDLE_VALUE);
        std::vector<EnvVar> all = {{"VEXLORIN_TEST_VOICE_LOG", logPath}, {"VEXLORIN_ERRORS_TO_STDERR", "1"}};
        all.insert(all.end(), env.begin(), env.end());
        for (const char* stray : {"VEXLORIN_TEST_VOICE_FAIL", "VEXLORIN_TEST_VOICE_TOKENS"})
            SetEnvironmentVariableA(stray, nullptr);
        for (const EnvVar& var : all)
            SetEnvironmentVariableA(var.name.c_str(), var.value.c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errors;
        std::string path = ProgramPath();
        std::string commandLine = "\"" + path + "\"";
        BOOL started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &program.info);
        for (const EnvVar& var : all)
            SetEnvironmentVariableA(var.name.c_str(), nullptr);
        CloseHandle(errors);
        ASSERT_TRUE(started) << "could not start " << path;
    }

    std::string stderrPath;
};

TEST_P(RunTimeAllocationFailureTest, ReportsTheSizeAndEndsAtOnceWithoutExitRoutines)
{
    const FailureCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartReportingToFile({{"VEXLORIN_FAIL_ALLOC_SIZE", std::to_string(c.failingSize)},
                                                  {"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "100"}}));
    if (c.moment == Moment::CopyingTheText) {
        program.window = WaitForMainWindow(program, kWindowTimeoutMs);
        ASSERT_NE(program.window, nullptr);
        ASSERT_TRUE(SetText(EditBox(), std::string(1000, 'a')));
        ASSERT_TRUE(Click(Button("开始发音")));
        ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !FetchedEvents(log).empty(); }));
        ASSERT_TRUE(SetText(EditBox(), std::string(kFailingTextBytes, 'b')));
        ClickWithoutWaiting(Button("开始发音"));
    }
    std::optional<DWORD> exitCode = WaitForExit(program, kExitTimeoutMs);
    ASSERT_EQ(exitCode, std::optional<DWORD>(kRunTimeErrorExitCode));
    if (c.moment != Moment::CopyingTheText) {
        EXPECT_EQ(WaitForMainWindow(program, 0), nullptr);
    }

    std::string report = ReadWholeFile(stderrPath);
    EXPECT_NE(report.find(std::to_string(c.failingSize)), std::string::npos) << "report: " << report;

    VoiceLog log = Log();
    // The engine was set up, and only the end of the process took it down.
    std::vector<VoiceCall> voiceCalls = CallsOn(log, "voice#1");
    ASSERT_FALSE(voiceCalls.empty()) << "no voice was made before the failure";
    EXPECT_TRUE(std::none_of(voiceCalls.begin(), voiceCalls.end(), [](const VoiceCall& call) {
        return call.method == "Release" && call.Number("refs") == 0;
    })) << "the voice was released: an exit routine ran";
    std::optional<long> live = LiveObjectsAtUnload(log);
    ASSERT_TRUE(live.has_value()) << "the engine did not see the process end";
    EXPECT_GT(*live, 0);
    // The failed click requested nothing, and the speech under way never finished.
    EXPECT_LE(CallsTo(log, "Speak").size(), 1u);
    EXPECT_TRUE(CallsTo(log, "@EndStream").empty());
}

INSTANTIATE_TEST_SUITE_P(Moments, RunTimeAllocationFailureTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
