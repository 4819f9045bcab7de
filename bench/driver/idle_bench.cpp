#include <cstdio>
#include <string>
#include <vector>

#include "benches.h"
#include "program_run.h"
#include "table.h"

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kQuietAfterStartMs = 1000;

} // namespace

bool RunIdle(int runs, int seconds)
{
    BenchTarget targets[] = {ProgramTarget(), BaselineTarget()};
    std::vector<double> used[2], startCpu[2];
    for (int run = 0; run < runs; ++run) {
        // Both wait side by side: idle processes do not disturb each other.
        RunningProcess processes[2];
        bool started = true;
        for (int i = 0; i < 2; ++i)
            started = StartAndTimeWindow(targets[i], processes[i], kWindowTimeoutMs) >= 0 && started;
        if (!started) {
            std::fprintf(stderr, "idle: a window did not appear\n");
            for (RunningProcess& process : processes)
                Close(process);
            return false;
        }
        for (RunningProcess& process : processes)
            SettleAfterStart(process, kQuietAfterStartMs);
        double before[2] = {CpuMsOf(processes[0]), CpuMsOf(processes[1])};
        for (int i = 0; i < 2; ++i)
            startCpu[i].push_back(before[i]);
        Sleep(static_cast<DWORD>(seconds) * 1000);
        for (int i = 0; i < 2; ++i) {
            used[i].push_back(CpuMsOf(processes[i]) - before[i]);
            Close(processes[i]);
        }
    }
    Summary program = Summarise(used[0]);
    Summary baseline = Summarise(used[1]);
    char figure[64];
    std::snprintf(figure, sizeof figure, "idle CPU over %d s (ms)", seconds);
    PrintGoalRow(figure, Cell(program, 3) + "   baseline " + Cell(baseline, 3), "goal 0 ms", program.max == 0);
    // What the idle figures are measured against: the CPU each used to start and settle.
    PrintRatioRow("CPU time to start and settle (ms)", Summarise(startCpu[0]), Summarise(startCpu[1]),
                  PairedRatios(startCpu[0], startCpu[1]), 0);
    return true;
}
