#include "failing_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<unsigned> gCountdown{0};
std::atomic<unsigned> gRefused{0};

// True for the one allocation the countdown reaches.
bool RefuseThisOne()
{
    unsigned left = gCountdown.load();
    while (left > 0 && !gCountdown.compare_exchange_weak(left, left - 1)) {
    }
    return left == 1;
}

} // namespace

void FailNthNothrowNew(unsigned nth)
{
    gRefused = 0;
    gCountdown = nth;
}

unsigned RefusedNothrowNews()
{
    return gRefused;
}

// The library's own operator delete frees with free(), so malloc is the matching allocator.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (RefuseThisOne()) {
        ++gRefused;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}
