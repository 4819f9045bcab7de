#include "task_memory_watch.h"

#include <objbase.h>

#include <map>
#include <mutex>

namespace {

struct SpyState {
    std::mutex lock;
    std::map<void*, unsigned long long> live;  // block -> number of its allocation
    unsigned long long allocations = 0;
    bool refusing = false;
    std::size_t refusedSize = 0;  // 0: any size
    unsigned refused = 0;
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

// A zero from PreAlloc makes the allocator answer null.
SIZE_T Admit(SIZE_T request)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (request != 0 && state.refusing && (state.refusedSize == 0 || state.refusedSize == request)) {
        state.refusing = false;
        ++state.refused;
        return 0;
    }
    return request;
}

class MallocSpy final : public IMallocSpy {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *object = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override { return Admit(request); }
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

void TurnOffBstrCache()
{
    using SetOaNoCacheFn = void(WINAPI*)();
    if (HMODULE oleaut = LoadLibraryA("oleaut32.dll")) {
        if (auto setOaNoCache = reinterpret_cast<SetOaNoCacheFn>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "SetOaNoCache"))))
            setOaNoCache();
    }
}

} // namespace

bool TaskMemoryWatchActive()
{
    static MallocSpy spy;
    static const bool registered = [] {
        TurnOffBstrCache();
        return SUCCEEDED(CoRegisterMallocSpy(&spy));
    }();
    return registered;
}

TaskMemoryMark MarkTaskMemory()
{
    TaskMemoryWatchActive();
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.allocations;
}

std::size_t TaskMemoryOutstandingSince(TaskMemoryMark mark)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::size_t count = 0;
    for (const auto& [block, number] : state.live)
        count += number > mark;
    return count;
}

std::size_t TaskMemoryAllocatedSince(TaskMemoryMark mark)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return static_cast<std::size_t>(state.allocations - mark);
}

void RefuseNextTaskMemory(std::size_t bytes)
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.refusing = true;
    state.refusedSize = bytes;
    state.refused = 0;
}

void StopRefusingTaskMemory()
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.refusing = false;
    state.refused = 0;
}

unsigned RefusedTaskMemoryAllocations()
{
    SpyState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.refused;
}
