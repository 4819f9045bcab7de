#include "allocator.h"

#include <windows.h>

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

// Decimal digits of value at out; answers the end. The report is formatted by hand:
// printf-style formatting would pull tens of kilobytes of the C runtime into the exe.
char* AppendDecimal(char* out, unsigned long long value)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

} // namespace

void* RtAlloc(std::size_t bytes)
{
    void* block = nullptr;
    if (bytes != FailingAllocationSize() || bytes == 0)
        block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
    if (!block) {
        static const char kBefore[] = "内存不足：无法分配 ";
        static const char kAfter[] = " 字节。";
        char message[sizeof kBefore + 20 + sizeof kAfter];
        lstrcpyA(message, kBefore);
        lstrcpyA(AppendDecimal(message + sizeof kBefore - 1, bytes), kAfter);
        RtFail(message);
    }
    return block;
}

void RtFree(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
