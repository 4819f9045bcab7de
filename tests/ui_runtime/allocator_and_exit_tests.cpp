#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "ui_runtime/allocator.h"
#include "ui_runtime/exit_routines.h"

namespace {

std::vector<int> gCalls;
void First() { gCalls.push_back(1); }
void Second() { gCalls.push_back(2); }
void ExitsWithSeven() { ExitProcess(7); }

TEST(Allocator, GivesZeroFilledBlocks)
{
    for (std::size_t size : {std::size_t{1}, std::size_t{64}, std::size_t{1} << 20}) {
        auto* block = static_cast<unsigned char*>(RtAlloc(size));
        ASSERT_NE(block, nullptr);
        for (std::size_t i = 0; i < size; ++i)
            ASSERT_EQ(block[i], 0) << "size " << size << " byte " << i;
        RtFree(block);
    }
}

TEST(ExitRoutines, RunOnceInRegistrationOrderAndRegisterOnlyOnce)
{
    gCalls.clear();
    RtAddExitRoutine(First);
    RtAddExitRoutine(Second);
    RtAddExitRoutine(First);
    RtRunExitRoutines();
    EXPECT_EQ(gCalls, (std::vector<int>{1, 2}));
    RtRunExitRoutines();
    EXPECT_EQ(gCalls, (std::vector<int>{1, 2}));
}

// The failed allocation's report names the size; the process ends with -1 and the
// exit routine (which would end it with 7) never runs.
TEST(AllocatorDeathTest, ExhaustionReportsSizeAndEndsWithoutExitRoutines)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetEnvironmentVariableA("VEXLORIN_ERRORS_TO_STDERR", "1");
            SetEnvironmentVariableA("VEXLORIN_FAIL_ALLOC_SIZE", "4242");
            RtAddExitRoutine(ExitsWithSeven);
            RtAlloc(4242);
            std::exit(3);
        },
        testing::ExitedWithCode(-1), "4242");
}

} // namespace
