#include <cstdio>
#include <string>
#include <vector>

#include "benches.h"
#include "clipboard_text.h"
#include "narration_text.h"
#include "program_run.h"
#include "table.h"
#include "voice_speak_cost.h"

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kMessageTimeoutMs = 300000;
constexpr DWORD kPauseBetweenMs = 20;

struct TextSize {
    std::size_t bytes;
    const char* name;
};

// 2 and 4 MiB add points where fixed costs no longer count, for the exponent.
constexpr TextSize kSizes[] = {
    {1024, "1 KiB"},
    {64 * 1024, "64 KiB"},
    {1024 * 1024, "1 MiB"},
    {2 * 1024 * 1024, "2 MiB"},
    {4 * 1024 * 1024, "4 MiB"},
    {8 * 1024 * 1024, "8 MiB"},
};
constexpr std::size_t kFirstLargeSize = 2;  // 1 MiB

// Every timed call crosses from this process to the program's main thread and returns
// when it has answered, so reads and clicks pay the same cost of crossing.
bool TimedSend(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, double& ms, DWORD_PTR& result)
{
    double start = NowMs();
    LRESULT sent = SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, kMessageTimeoutMs, &result);
    ms = NowMs() - start;
    return sent != 0;
}

struct Buttons {
    HWND start = nullptr;
    HWND stop = nullptr;
};

Buttons FindButtons(HWND window)
{
    return {ChildOf(window, "Button", "开始发音"), ChildOf(window, "Button", "停止发音")};
}

// A click on start, then one on stop (untimed): stop drops the request at once, so
// requests do not pile up in the engine, and every timed click moves the focus alike.
bool ClickOnce(const Buttons& buttons, double& ms)
{
    DWORD_PTR answer = 0;
    double stopMs = 0;
    Sleep(kPauseBetweenMs);
    return TimedSend(buttons.start, BM_CLICK, 0, 0, ms, answer) &&
           TimedSend(buttons.stop, BM_CLICK, 0, 0, stopMs, answer);
}

// The button's own share of a click (press, release, focus, painting, notifying its
// parent): the baseline's start button, which has no handler.
bool MeasureButtonAlone(int runs, std::vector<double>& clickMs)
{
    RunningProcess process;
    if (StartAndTimeWindow(BaselineTarget(), process, kWindowTimeoutMs) < 0) {
        Close(process);
        return false;
    }
    SettleAfterStart(process, 100);
    Buttons buttons = FindButtons(process.window);
    double ms = 0;
    bool ok = buttons.start && buttons.stop && ClickOnce(buttons, ms);
    for (int run = 0; ok && run < runs; ++run) {
        ok = ClickOnce(buttons, ms);
        clickMs.push_back(ms);
    }
    Close(process);
    return ok;
}

struct SizeFigures {
    std::vector<double> clickMs, readMs;
    double pasteMs = 0;
};

bool MeasureSize(const TextSize& size, const std::string& text, int runs, SizeFigures& figures)
{
    RunningProcess process;
    if (StartAndTimeWindow(ProgramTarget(), process, kWindowTimeoutMs) < 0) {
        std::fprintf(stderr, "start button: the program's window did not appear\n");
        Close(process);
        return false;
    }
    SettleAfterStart(process, 100);
    HWND edit = ChildOf(process.window, "Edit", nullptr);
    Buttons buttons = FindButtons(process.window);
    if (!edit || !buttons.start || !buttons.stop) {
        std::fprintf(stderr, "start button: controls not found\n");
        Close(process);
        return false;
    }

    double pasteStart = NowMs();
    bool ok = PasteIntoEdit(edit, text, kMessageTimeoutMs);
    figures.pasteMs = NowMs() - pasteStart;
    DWORD_PTR length = 0;
    double ignored = 0;
    ok = ok && TimedSend(edit, WM_GETTEXTLENGTH, 0, 0, ignored, length) && length == size.bytes;
    if (!ok) {
        std::fprintf(stderr, "start button: the %s text did not arrive whole (length %lu)\n", size.name,
                     static_cast<unsigned long>(length));
        Close(process);
        return false;
    }

    std::string buffer(size.bytes + 1, '\0');
    auto readOnce = [&](double& ms) {
        DWORD_PTR copied = 0;
        Sleep(kPauseBetweenMs);
        return TimedSend(edit, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), ms, copied) &&
               copied == size.bytes;
    };
    double warmRead = 0, warmClick = 0;
    ok = readOnce(warmRead) && ClickOnce(buttons, warmClick);
    for (int run = 0; ok && run < runs; ++run) {
        double readMs = 0, clickMs = 0;
        ok = readOnce(readMs) && ClickOnce(buttons, clickMs);
        figures.readMs.push_back(readMs);
        figures.clickMs.push_back(clickMs);
    }
    Close(process);
    if (!ok) {
        std::fprintf(stderr, "start button: a read or a click of the %s text failed or timed out\n", size.name);
        return false;
    }
    if (buffer.compare(0, size.bytes, text) != 0) {
        std::fprintf(stderr, "start button: the %s text read back differs from the text pasted\n", size.name);
        return false;
    }
    return true;
}

} // namespace

bool RunStartButton(int runs)
{
    std::vector<double> buttonAloneMs;
    if (!MeasureButtonAlone(runs, buttonAloneMs)) {
        std::fprintf(stderr, "start button: the baseline's button could not be clicked\n");
        return false;
    }
    Summary buttonAlone = Summarise(buttonAloneMs);

    std::vector<double> bytes, click, read;
    for (const TextSize& size : kSizes) {
        std::string text = NarrationOfBytes(size.bytes);
        SizeFigures figures;
        if (!MeasureSize(size, text, runs, figures))
            return false;
        Summary clickMs = Summarise(figures.clickMs);
        Summary readMs = Summarise(figures.readMs);
        bytes.push_back(static_cast<double>(size.bytes));
        click.push_back(clickMs.median);
        read.push_back(readMs.median);

        char figure[64];
        std::snprintf(figure, sizeof figure, "start button vs read, %s (ms)", size.name);
        int decimals = size.bytes >= 1024 * 1024 ? 1 : 3;
        PrintRatioRow(figure, clickMs, readMs, PairedRatios(figures.clickMs, figures.readMs), 1.5, decimals);

        // Parts of the click that can be timed alone (medians, ms): the button's own share
        // is a floor no handler can go under; the engine's Speak is not the program's.
        Summary conversion = ConversionMs(text, runs);
        Summary voice = VoiceSpeakMs(text, runs);
        char parts[256];
        std::snprintf(parts, sizeof parts,
                      "parts timed alone: button %.3f (%.2fx the read), test voice Speak %.3f (%.2fx), "
                      "converting to UTF-16 %.3f (%.2fx)",
                      buttonAlone.median, buttonAlone.median / readMs.median, voice.median,
                      voice.median / readMs.median, conversion.median, conversion.median / readMs.median);
        PrintInfoRow("", parts);
        if (size.bytes >= 1024 * 1024) {
            std::snprintf(parts, sizeof parts, "(text pasted in %.1f s)", figures.pasteMs / 1000);
            PrintInfoRow("", parts);
        }
    }
    double clickExponent = FittedExponent(bytes, click);
    double readExponent = FittedExponent(bytes, read);
    std::vector<double> largeBytes(bytes.begin() + kFirstLargeSize, bytes.end());
    std::vector<double> largeClick(click.begin() + kFirstLargeSize, click.end());
    std::vector<double> largeRead(read.begin() + kFirstLargeSize, read.end());
    double largeExponent = FittedExponent(largeBytes, largeClick);
    char value[160];
    std::snprintf(value, sizeof value, "%.3f over 1 KiB-8 MiB, %.3f over 1-8 MiB (read: %.3f and %.3f)",
                  clickExponent, largeExponent, readExponent, FittedExponent(largeBytes, largeRead));
    PrintGoalRow("start button cost ~ length^k, k", value, "goal <= 1.1",
                 clickExponent <= 1.1 && largeExponent <= 1.1);
    return true;
}
