#include "event_ledger.h"

#include <algorithm>

namespace {

constexpr unsigned kStartOfStream = 1;  // SPEI_START_INPUT_STREAM
constexpr unsigned kEndOfStream = 2;    // SPEI_END_INPUT_STREAM

std::string Event(unsigned id, unsigned long long stream)
{
    return std::to_string(id) + "/" + std::to_string(stream);
}

} // namespace

std::vector<std::string> QueuedEvents(const VoiceLog& log)
{
    std::vector<std::string> events;
    for (const VoiceCall& call : log.calls) {
        bool start = call.method == "@StartStream";
        if ((start || call.method == "@EndStream") && call.Number("queued") == 1)
            events.push_back(Event(start ? kStartOfStream : kEndOfStream, call.Number("stream")));
    }
    return events;
}

std::vector<std::string> FetchedEvents(const VoiceLog& log)
{
    std::vector<std::string> events;
    for (const VoiceCall& call : log.calls) {
        if (call.method != "GetEvents")
            continue;
        std::string ids = call.Field("ids");
        for (std::size_t start = 0; start < ids.size();) {
            std::size_t comma = std::min(ids.find(',', start), ids.size());
            events.push_back(ids.substr(start, comma - start));
            start = comma + 1;
        }
    }
    return events;
}

std::string FirstDifference(const std::vector<std::string>& queued, const std::vector<std::string>& fetched)
{
    std::size_t i = 0;
    while (i < queued.size() && i < fetched.size() && queued[i] == fetched[i])
        ++i;
    if (i == queued.size() && i == fetched.size())
        return {};
    auto at = [i](const std::vector<std::string>& events) { return i < events.size() ? events[i] : "(none)"; };
    return "event " + std::to_string(i) + ": queued " + at(queued) + ", fetched " + at(fetched) + " (" +
           std::to_string(queued.size()) + " queued, " + std::to_string(fetched.size()) + " fetched)";
}

long VoiceReferencesBefore(const VoiceLog& log, unsigned long seq, const char* voice)
{
    long refs = -1;
    for (const VoiceCall& call : log.calls) {
        if (call.seq >= seq)
            break;
        if (call.object == voice && (call.method == "AddRef" || call.method == "Release"))
            refs = static_cast<long>(call.Number("refs"));
    }
    return refs;
}
