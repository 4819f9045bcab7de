// "语音环境是否安装" tells the user whether a speech engine is there, in a message box
// the user closes; the program goes on as before.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "expected_texts.h"
#include "message_boxes.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

struct EngineCase {
    const char* name;
    std::vector<EnvVar> voiceSettings;
    const char* expectedText;
};

const EngineCase kEngineCases[] = {
    {"EngineInstalled", {}, kEngineAvailableText},
    {"NoEngine", {{"VEXLORIN_TEST_VOICE_FAIL", "create"}}, kNoEngineText},
};

void PrintTo(const EngineCase& engineCase, std::ostream* out)
{
    *out << engineCase.name;
}

class CheckButtonTest : public VoiceProgramTest, public testing::WithParamInterface<EngineCase> {};

TEST_P(CheckButtonTest, SaysWhetherAnEngineIsInstalled)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice(GetParam().voiceSettings));
    HWND check = Button("语音环境是否安装");
    ASSERT_NE(check, nullptr);
    ClickWithoutWaiting(check);
    HWND box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr) << "no message box";
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.text, GetParam().expectedText);
    EXPECT_EQ(content.title, "提示");
    EXPECT_EQ(content.buttons.size(), 1u);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);

    ASSERT_TRUE(PressOk(box, kBoxTimeoutMs));
    EXPECT_TRUE(Answers(Window(), 5000));
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_TRUE(MessageBoxesOf(ProcessId()).empty());

    // Asking again gives the same answer.
    ClickWithoutWaiting(check);
    box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadMessageBox(box).text, GetParam().expectedText);
    ASSERT_TRUE(PressOk(box, kBoxTimeoutMs));
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(Engines, CheckButtonTest, testing::ValuesIn(kEngineCases),
                         [](const testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

} // namespace
