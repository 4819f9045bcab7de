// The real program speaking through the espeak-ng voice: started in the test
// prefix where that voice is registered and driven as a user drives it, its
// speech is heard in the WAV file the prefix's sound device writes.
#include <algorithm>
#include <cstdlib>

#include "captured_audio.h"
#include "expected_texts.h"
#include "message_boxes.h"
#include "program_fixture.h"
#include "user_input.h"

namespace {

std::string InAnsiCodePage(const std::wstring &text)
{
    int length = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(length, '\0');
    WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), ansi.data(), length, nullptr, nullptr);
    return ansi;
}

// The program chooses its own volume: the sound must be the reference scaled
// by one volume level throughout.
testing::AssertionResult SameSoundAtItsVolume(const Samples &heard, const Samples &reference)
{
    auto loudest = [](const Samples &samples) {
        int peak = 0;
        for (int16_t sample : samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
        return peak;
    };
    int referencePeak = loudest(reference);
    if (!referencePeak) return testing::AssertionFailure() << "the reference is silent";
    int estimate = loudest(heard) * 100 / referencePeak;
    testing::AssertionResult result = testing::AssertionFailure() << "no volume level fits";
    for (int volume = std::max(1, estimate - 1); volume <= std::min(100, estimate + 1); volume++)
    {
        result = SameSound(heard, Scaled(reference, volume));
        if (result) return result << " at volume " << volume;
    }
    return result;
}

class ProgramSpeech : public ProgramTest
{
protected:
    void SetUp() override
    {
        // The driver takes the program's Windows path; CTest knows its Unix one.
        std::wstring program = WindowsPathOf(EnvironmentValue("VEXLORIN_PROGRAM"));
        SetEnvironmentVariableW(L"VEXLORIN_E2E_PROGRAM", program.c_str());
        audio.Clear();
        ASSERT_NO_FATAL_FAILURE(Launch());
    }

    void StartSpeaking(const std::string &sampleName)
    {
        ASSERT_TRUE(SetText(EditBox(), InAnsiCodePage(SampleNamed(sampleName).text)));
        ASSERT_TRUE(Click(Button("开始发音")));
    }

    // The voice gives the device back when it has nothing left to say.
    bool SpeechEnds() const
    {
        return audio.SettlesWithin(1000, 60000);
    }

    CapturedAudio audio;
};

TEST_F(ProgramSpeech, StartUpChoosesMandarinAndStartSpeaksTheEditBox)
{
    ASSERT_TRUE(SetText(EditBox(), InAnsiCodePage(SampleNamed("mandarin").text)));
    Stopwatch watch;
    ASSERT_TRUE(Click(Button("开始发音")));
    double heard = audio.SecondsUntilSound(10000);
    std::printf("click to first non-silent sample: %.1f ms\n", heard * 1000);
    EXPECT_GE(heard, 0.0) << "no sound within 10 s";
    EXPECT_LT(heard, 2.0);
    ASSERT_TRUE(SpeechEnds());
    testing::AssertionResult same = SameSoundAtItsVolume(audio.Heard(), ReferenceFor("mandarin"));
    std::printf("%s\n", same.message());
    EXPECT_TRUE(same) << "the Mandarin voice, chosen at start-up, reads the edit box";
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
}

TEST_F(ProgramSpeech, StopCutsTheSound)
{
    ASSERT_NO_FATAL_FAILURE(StartSpeaking("long_mandarin"));
    ASSERT_GE(audio.SecondsUntilSound(10000), 0) << "no sound within 10 s";
    Stopwatch watch;
    ASSERT_TRUE(Click(Button("停止发音")));
    double handled = watch.Seconds();
    size_t sizeAtStop = audio.FileSize();
    ASSERT_TRUE(audio.SettlesWithin(300, 5000));
    std::printf("stop: click handled after %.1f ms; %zu bytes of sound after it\n", handled * 1000,
                audio.FileSize() - sizeAtStop);
    EXPECT_EQ(audio.FileSize(), sizeAtStop) << "sound went on after the stop";
    EXPECT_LT(WithoutSilentEnds(audio.Heard()).size(), ReferenceFor("long_mandarin").size() / 2);
}

TEST_F(ProgramSpeech, PauseHoldsTheSoundAndResumeGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(StartSpeaking("long_mandarin"));
    ASSERT_GE(audio.SecondsUntilSound(10000), 0) << "no sound within 10 s";
    ASSERT_TRUE(Click(Button("暂停发音")));
    ASSERT_TRUE(audio.SettlesWithin(300, 5000)) << "sound goes on while paused";
    size_t held = audio.FileSize();
    Sleep(700);
    EXPECT_EQ(audio.FileSize(), held) << "sound while paused";
    ASSERT_TRUE(Click(Button("恢复发音")));
    ASSERT_TRUE(SpeechEnds());
    EXPECT_TRUE(SameSoundAtItsVolume(audio.Heard(), ReferenceFor("long_mandarin")))
        << "nothing lost or repeated across the pause";
}

TEST_F(ProgramSpeech, CheckButtonReportsAnEngine)
{
    ClickWithoutWaiting(Button("语音环境是否安装"));
    HWND box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(ReadMessageBox(box).text, kEngineAvailableText);
    EXPECT_TRUE(PressOk(box, kBoxTimeoutMs));
}

}  // namespace
