// The benchmark driver: measures vexlorin.exe against the baseline from outside, the
// way a user or an assistive tool reaches them. Usage:
//   vexlorin_bench_driver startup RUNS | idle RUNS SECONDS | click RUNS
// Start-up can also compare any two programs (for instance a program against itself,
// to see the noise of the machine):
//   vexlorin_bench_driver startup RUNS A.exe A_WINDOW_CLASS B.exe B_WINDOW_CLASS
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benches.h"
#include "program_run.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s startup RUNS | idle RUNS SECONDS | click RUNS\n", argv[0]);
        return 2;
    }
    int runs = std::atoi(argv[2]);
    bool ok = false;
    if (std::strcmp(argv[1], "startup") == 0) {
        if (argc >= 7)
            ok = RunStartupAndMemory(runs, BenchTarget{"A", argv[3], argv[4]}, BenchTarget{"B", argv[5], argv[6]});
        else
            ok = RunStartupAndMemory(runs, ProgramTarget(), BaselineTarget());
    } else if (std::strcmp(argv[1], "idle") == 0 && argc >= 4) {
        ok = RunIdle(runs, std::atoi(argv[3]));
    } else if (std::strcmp(argv[1], "click") == 0) {
        CoInitialize(nullptr);
        ok = RunStartButton(runs);
        CoUninitialize();
    } else {
        std::fprintf(stderr, "unknown figure %s\n", argv[1]);
        return 2;
    }
    return ok ? 0 : 1;
}
