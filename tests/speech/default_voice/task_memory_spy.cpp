#include "task_memory_spy.h"

#include <objbase.h>

#include <map>
#include <mutex>

namespace {

// Every spied block still allocated, with the number of its allocation.
struct SpyState {
    std::mutex lock;
    std::map<void*, unsigned long long> live;
    unsigned long long allocations = 0;
};

SpyState& State()
{
    static SpyState state;
    return state;
}

void Track(void* block)
{
    if (!block)
        return;
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.live[block] = ++state.allocations;
}

void Forget(void* block)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.live.erase(block);
}

// Passes every request through unchanged and only keeps the books.
class MallocSpy final : public IMallocSpy {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *object = static_cast<IMallocSpy*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process: never deleted.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override { return request; }
    STDMETHODIMP_(void*) PostAlloc(void* actual) override
    {
        Track(actual);
        return actual;
    }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL spied) override
    {
        if (spied)
            Forget(request);
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL spied) override
    {
        if (spied)
            Forget(request);
        *newRequest = request;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override
    {
        Track(actual);
        return actual;
    }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}
};

} // namespace

bool TaskMemorySpyActive()
{
    static MallocSpy spy;
    static const bool registered = SUCCEEDED(CoRegisterMallocSpy(&spy));
    return registered;
}

TaskMemoryMark MarkTaskMemory()
{
    TaskMemorySpyActive();
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.allocations;
}

std::size_t TaskMemoryOutstandingSince(TaskMemoryMark mark)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::size_t count = 0;
    for (const auto& [block, number] : state.live) {
        if (number > mark)
            ++count;
    }
    return count;
}

std::size_t TaskMemoryAllocatedSince(TaskMemoryMark mark)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return static_cast<std::size_t>(state.allocations - mark);
}
