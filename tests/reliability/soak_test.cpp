// Round after round of start, pause, resume and stop on the real program, its edit box
// draining the voice's events as they come: nothing piles up, and no event is lost,
// repeated or reordered. VEXLORIN_SOAK_ROUNDS sets the number of rounds (scripts/soak
// runs 10,000); the figures are printed whatever the outcome.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "event_ledger.h"
#include "long_text.h"
#include "process_figures.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

constexpr unsigned kDefaultRounds = 300;
// Left to Wine's own bookkeeping; the program's leak would grow with the rounds.
constexpr unsigned long kHandleSlack = 4;
constexpr unsigned long long kPrivateBytesSlack = 256 * 1024;
// Each round's text is several kilobytes, so a copy lost per round shows.
constexpr int kNarrationCharacters = 2000;

unsigned Rounds()
{
    char value[16] = {};
    DWORD length = GetEnvironmentVariableA("VEXLORIN_SOAK_ROUNDS", value, sizeof value);
    unsigned rounds = length > 0 && length < sizeof value ? std::strtoul(value, nullptr, 10) : 0;
    return rounds > 0 ? rounds : kDefaultRounds;
}

void Print(const std::string& line)
{
    std::printf("soak: %s\n", line.c_str());
    std::fflush(stdout);
}

using SoakTest = VoiceProgramTest;

// Every request either never began (discarded while waiting) or began and then ended.
void ExpectEachStreamWhole(const VoiceLog& log, size_t requests)
{
    std::vector<int> starts(requests + 1), ends(requests + 1), purged(requests + 1);
    for (const VoiceCall& call : log.calls) {
        size_t stream = call.Number("stream");
        if (stream == 0 || stream > requests)
            continue;
        starts[stream] += call.method == "@StartStream";
        ends[stream] += call.method == "@EndStream";
        purged[stream] += call.method == "@Purged";
    }
    size_t broken = 0;
    for (size_t stream = 1; stream <= requests; ++stream) {
        bool whole = (starts[stream] == 1 && ends[stream] == 1 && purged[stream] == 0) ||
                     (starts[stream] == 0 && ends[stream] == 0 && purged[stream] == 1);
        if (!whole && broken++ < 5)
            ADD_FAILURE() << "stream " << stream << ": " << starts[stream] << " start(s), " << ends[stream]
                          << " end(s), purged " << purged[stream] << " time(s)";
    }
    EXPECT_EQ(broken, 0u);
}

TEST_F(SoakTest, RoundsOfStartPauseResumeStopLeaveNothingBehind)
{
    const unsigned rounds = Rounds();
    // Each text would take seconds to speak: every round's stop cuts it short.
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "5"}}));
    HWND start = Button("开始发音");
    HWND pause = Button("暂停发音");
    HWND resume = Button("恢复发音");
    HWND stop = Button("停止发音");
    ASSERT_TRUE(start && pause && resume && stop);
    ASSERT_TRUE(SetText(EditBox(), LongNarration(kNarrationCharacters)));

    HANDLE process = program.info.hProcess;
    auto measure = [&] { return MeasureProcess(process, ProcessId()); };
    auto playRound = [&] { return Click(start) && Click(pause) && Click(resume) && Click(stop); };

    Print("rounds=" + std::to_string(rounds));
    Print("before the rounds: " + DescribeFigures(measure()));
    // The first rounds set up what then stays for the whole run (caches, the system's
    // own bookkeeping); growth is counted from the end of them.
    const unsigned warmUp = std::min(rounds, std::max(20u, rounds / 20));
    const unsigned sampleEvery = std::max(1u, rounds / 10);
    DWORD began = GetTickCount();
    ProcessFigures first;
    for (unsigned round = 1; round <= rounds; ++round) {
        ASSERT_TRUE(playRound()) << "round " << round << ": a click was not handled in time";
        if (round == warmUp) {
            first = measure();
            Print("first (after " + std::to_string(round) + " rounds): " + DescribeFigures(first));
        } else if (round % sampleEvery == 0 && round != rounds) {
            Print("after " + std::to_string(round) + " rounds: " + DescribeFigures(measure()));
        }
    }
    DWORD elapsed = GetTickCount() - began;
    Print("rounds took " + std::to_string(elapsed) + " ms, " + std::to_string(double(elapsed) / rounds) +
          " ms a round");

    // Everything spoken is accounted for and every event has been handed to the edit box.
    ASSERT_TRUE(WaitForLog(
        [&](const VoiceLog& log) {
            return TextRequests(log).size() == rounds && QueuedEvents(log).size() == FetchedEvents(log).size();
        },
        60000))
        << "the program stopped fetching events: " << FirstDifference(QueuedEvents(Log()), FetchedEvents(Log()));
    ProcessFigures last = measure();
    Print("last: " + DescribeFigures(last));
    EXPECT_TRUE(Answers(Window(), 5000));

    VoiceLog log = Log();
    std::vector<VoiceCall> requests = TextRequests(log);
    std::vector<std::string> queued = QueuedEvents(log);
    std::vector<std::string> fetched = FetchedEvents(log);
    size_t purges = CallsTo(log, "Speak").size() - requests.size();
    Print("requests=" + std::to_string(requests.size()) + " purges=" + std::to_string(purges) +
          " events queued=" + std::to_string(queued.size()) + " fetched=" + std::to_string(fetched.size()) +
          " discarded before starting=" + std::to_string(CallsTo(log, "@Purged").size()));
    ASSERT_EQ(requests.size(), rounds);
    EXPECT_EQ(purges, rounds);
    EXPECT_EQ(FirstDifference(queued, fetched), "") << "events lost, repeated or reordered";
    ExpectEachStreamWhole(log, requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].Number("stream") != i + 1 || requests[i].result != 0u) {
            ADD_FAILURE() << "request " << i + 1 << " got stream " << requests[i].Number("stream") << ", result "
                          << requests[i].result.value_or(0);
            break;
        }
    }

    // The program holds the voice exactly as it did before the first round.
    long refsBefore = VoiceReferencesBefore(log, requests.front().seq);
    long refsAfter = VoiceReferencesBefore(log, log.calls.back().seq + 1);
    Print("voice references: before the rounds " + std::to_string(refsBefore) + ", after " +
          std::to_string(refsAfter));
    EXPECT_EQ(refsBefore, 1);
    EXPECT_EQ(refsAfter, refsBefore);

    EXPECT_LE(last.handles, first.handles + kHandleSlack);
    EXPECT_LE(last.windows, first.windows);
    EXPECT_LE(last.threads, first.threads);
    EXPECT_LE(last.privateBytes, first.privateBytes + kPrivateBytesSlack);
    if (first.gdiObjects && last.gdiObjects) {
        EXPECT_LE(*last.gdiObjects, *first.gdiObjects);
    }
    if (first.userObjects && last.userObjects) {
        EXPECT_LE(*last.userObjects, *first.userObjects);
    }

    DWORD closing = GetTickCount();
    std::optional<DWORD> exitCode = CloseAndWaitForExit();
    Print("closed in " + std::to_string(GetTickCount() - closing) + " ms");
    EXPECT_EQ(exitCode, std::optional<DWORD>(0));
    log = Log();
    std::optional<long> live = LiveObjectsAtUnload(log);
    Print("final voice release refs=" + std::to_string(VoiceReferencesBefore(log, log.calls.back().seq + 1)) +
          ", live objects at unload=" + (live ? std::to_string(*live) : std::string("(no unload line)")));
    EXPECT_EQ(VoiceReferencesBefore(log, log.calls.back().seq + 1), 0);
    EXPECT_EQ(live, std::optional<long>(0));
}

} // namespace
