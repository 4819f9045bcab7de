#include <cstdio>
#include <vector>

#include "benches.h"
#include "program_run.h"
#include "table.h"

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kQuietAfterStartMs = 300;

struct StartFigures {
    std::vector<double> startMs, privateMb, workingSetMb;
};

bool MeasureOnce(const BenchTarget& target, StartFigures& figures)
{
    RunningProcess process;
    double ms = StartAndTimeWindow(target, process, kWindowTimeoutMs);
    if (ms < 0) {
        std::fprintf(stderr, "%s: the window did not appear\n", target.label);
        Close(process);
        return false;
    }
    SettleAfterStart(process, kQuietAfterStartMs);
    MemoryFigures memory = MemoryOf(process);
    Close(process);
    figures.startMs.push_back(ms);
    figures.privateMb.push_back(memory.privateBytes / (1024.0 * 1024.0));
    figures.workingSetMb.push_back(memory.workingSet / (1024.0 * 1024.0));
    return true;
}

} // namespace

bool RunStartupAndMemory(int runs, const BenchTarget& program, const BenchTarget& baseline)
{
    StartFigures p, b, again;
    // One unmeasured start of each first: the first start after building pays for the
    // system's caches, which neither program should be charged with.
    if (!MeasureOnce(program, p) || !MeasureOnce(baseline, b))
        return false;
    p = b = StartFigures{};
    for (int run = 0; run < runs; ++run) {
        // The order turns round every run, so that drift on a shared machine hits all
        // alike. The baseline starts twice: its ratio to itself is the noise to read
        // the program's ratio against.
        bool ok = run % 2 ? MeasureOnce(baseline, b) && MeasureOnce(baseline, again) && MeasureOnce(program, p)
                          : MeasureOnce(program, p) && MeasureOnce(baseline, b) && MeasureOnce(baseline, again);
        if (!ok)
            return false;
    }
    PrintRatioRow("start-up to window visible (ms)", Summarise(p.startMs), Summarise(b.startMs),
                  PairedRatios(p.startMs, b.startMs), 1.1);
    PrintRatioRow("  noise: baseline against itself", Summarise(again.startMs), Summarise(b.startMs),
                  PairedRatios(again.startMs, b.startMs), 0);
    PrintRatioRow("private bytes after start (MiB)", Summarise(p.privateMb), Summarise(b.privateMb),
                  PairedRatios(p.privateMb, b.privateMb), 1.05, 2);
    PrintRatioRow("working set after start (MiB)", Summarise(p.workingSetMb), Summarise(b.workingSetMb),
                  PairedRatios(p.workingSetMb, b.workingSetMb), 1.05, 2);
    return true;
}
