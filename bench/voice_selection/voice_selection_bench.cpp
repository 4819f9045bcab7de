// The default voice selection among many installed voices, in-process against the test
// voice: the program's SelectDefaultVoice against the least any selection must ask of
// SAPI (enumerate the voices and read each one's description). The Chinese voice is the
// last one, so every voice is looked at. Timed at 125 to 2,000 voices, reported at 1,000.
// Usage: vexlorin_voice_selection_bench RUNS (each count of voices is timed 2 x RUNS + 1 times)
#include <windows.h>
#include <sapi.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "samples.h"
#include "speech/default_voice.h"
#include "table.h"
#include "test_voice.h"

namespace {

// The figure is for 1,000 voices; the others show how the time grows.
constexpr int kVoiceCounts[] = {125, 250, 500, 1000, 2000};
constexpr int kReportedCount = 1000;

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::vector<test_voice::TokenDef> Voices(int count)
{
    std::vector<test_voice::TokenDef> tokens;
    for (int i = 1; i < count; ++i) {
        wchar_t id[32], name[48];
        swprintf(id, 32, L"TTS_EN_%04d", i);
        swprintf(name, 48, L"English Voice %04d", i);
        tokens.push_back({id, name, {{L"409", name}}});
    }
    tokens.push_back({L"TTS_ZH", L"Chinese Voice", {{L"804", L"中文女声"}}});
    return tokens;
}

ISpVoice* NewVoice()
{
    ISpVoice* voice = nullptr;
    CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_INPROC_SERVER, IID_ISpVoice, reinterpret_cast<void**>(&voice));
    return voice;
}

// The program's selection; negative when it did not pick the Chinese voice.
double ProgramSelectionMs()
{
    VoiceHolder holder{NewVoice()};
    if (!holder.voice)
        return -1;
    double start = NowMs();
    bool selected = SelectDefaultVoice(holder);
    double elapsed = NowMs() - start;
    holder.voice->Release();
    return selected ? elapsed : -1;
}

// Enumerate and read each description, in the interface language first and then the
// default one, as a selection by description must; nothing else.
double MinimalEnumerationMs()
{
    WCHAR language[8];
    swprintf(language, 8, L"%X", GetUserDefaultUILanguage());
    double start = NowMs();
    ISpObjectTokenCategory* category = nullptr;
    IEnumSpObjectTokens* tokens = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&category))))
        return -1;
    if (SUCCEEDED(category->SetId(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices", FALSE)))
        category->EnumTokens(L"", L"", &tokens);
    category->Release();
    if (!tokens)
        return -1;
    ISpObjectToken* token = nullptr;
    while (tokens->Next(1, &token, nullptr) == S_OK && token) {
        WCHAR* description = nullptr;
        if (FAILED(token->GetStringValue(language, &description)))
            token->GetStringValue(nullptr, &description);
        CoTaskMemFree(description);
        token->Release();
    }
    tokens->Release();
    return NowMs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    // A selection takes milliseconds, so it is repeated more than the other figures.
    int runs = argc > 1 ? std::atoi(argv[1]) * 2 + 1 : 15;
    test_voice::Registration registration;
    if (!registration.ok()) {
        std::fprintf(stderr, "the test voice could not be registered in-process\n");
        return 1;
    }
    // One unmeasured round first: the first selection pays for loading and first use.
    test_voice::Reset();
    test_voice::SetTokens(Voices(kVoiceCounts[0]));
    ProgramSelectionMs();
    MinimalEnumerationMs();
    // Rounds over every count, so that a burst of other work on the machine falls on all
    // counts alike rather than on one of them.
    constexpr std::size_t kCounts = std::size(kVoiceCounts);
    std::vector<double> program[kCounts], minimal[kCounts];
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < kCounts; ++i) {
            // Fresh records each time: the test voice keeps every call it was asked.
            test_voice::Reset();
            test_voice::SetTokens(Voices(kVoiceCounts[i]));
            double ms = ProgramSelectionMs();
            test_voice::Reset();
            test_voice::SetTokens(Voices(kVoiceCounts[i]));
            double least = MinimalEnumerationMs();
            if (ms < 0 || least < 0) {
                std::fprintf(stderr, "the selection among %d voices failed\n", kVoiceCounts[i]);
                return 1;
            }
            program[i].push_back(ms);
            minimal[i].push_back(least);
        }
    }
    std::vector<double> counts, programMedians;
    Summary reported, minimalReported, ratioReported;
    for (std::size_t i = 0; i < kCounts; ++i) {
        counts.push_back(kVoiceCounts[i]);
        programMedians.push_back(Summarise(program[i]).median);
        if (kVoiceCounts[i] == kReportedCount) {
            reported = Summarise(program[i]);
            minimalReported = Summarise(minimal[i]);
            ratioReported = PairedRatios(program[i], minimal[i]);
        }
    }
    char figure[64];
    std::snprintf(figure, sizeof figure, "voice selection, %d voices (ms)", kReportedCount);
    PrintRatioRow(figure, reported, minimalReported, ratioReported, 0, 2);
    Summary perVoice{reported.median * 1000 / kReportedCount, reported.min * 1000 / kReportedCount,
                     reported.max * 1000 / kReportedCount};
    double slopeUs = FittedSlope(counts, programMedians) * 1000;
    double exponent = FittedExponent(counts, programMedians);
    char value[200];
    std::snprintf(value, sizeof value, "%s us per voice; over %d-%d voices %.1f us per added voice, time ~ voices^%.3f",
                  Cell(perVoice).c_str(), kVoiceCounts[0], kVoiceCounts[std::size(kVoiceCounts) - 1], slopeUs,
                  exponent);
    PrintGoalRow("voice selection per voice", value, "goal linear (<= 1.1)", exponent <= 1.1);
    return 0;
}
