#include "allocator.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "run_time_error.h"

namespace {

// A test switch: makes the allocation of exactly this many bytes fail, so that the
// out-of-memory path can be exercised on the real executable. Read once.
std::size_t FailingAllocationSize()
{
    static const std::size_t size = [] {
        char value[32] = {};
        DWORD length = GetEnvironmentVariableA("VEXLORIN_FAIL_ALLOC_SIZE", value, sizeof value);
        if (length == 0 || length >= sizeof value)
            return std::size_t{0};
        return static_cast<std::size_t>(std::strtoull(value, nullptr, 10));
    }();
    return size;
}

} // namespace

void* RtAlloc(std::size_t bytes)
{
    void* block = nullptr;
    if (bytes != FailingAllocationSize() || bytes == 0)
        block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
    if (!block) {
        char message[96];
        std::snprintf(message, sizeof message, "内存不足：无法分配 %llu 字节。",
                      static_cast<unsigned long long>(bytes));
        RtFail(message);
    }
    return block;
}

void RtFree(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
