#include "captured_audio.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

std::wstring Widen(const std::string &utf8)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string ReadFileBytes(const std::wstring &path)
{
    // ALSA may be writing the file while we read it.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

}  // namespace

Stopwatch::Stopwatch()
{
    Restart();
}

void Stopwatch::Restart()
{
    QueryPerformanceCounter(&start_);
}

double Stopwatch::Seconds() const
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / frequency.QuadPart;
}

std::string EnvironmentValue(const char *name)
{
    char value[4096];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length && length < sizeof(value) ? std::string(value, length) : std::string();
}

std::wstring WindowsPathOf(const std::string &unixPath)
{
    std::wstring path = L"Z:" + Widen(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

Samples ReadWavSamples(const std::wstring &path)
{
    std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") || bytes.compare(8, 4, "WAVE")) return {};
    // The data chunk runs to the end of the file: its size field is written
    // only when the device closes.
    size_t at = 12;
    while (at + 8 <= bytes.size())
    {
        uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, sizeof(size));
        if (!bytes.compare(at, 4, "data"))
        {
            size_t count = (bytes.size() - at - 8) / sizeof(int16_t);
            Samples samples(count);
            std::memcpy(samples.data(), bytes.data() + at + 8, count * sizeof(int16_t));
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

Samples WithoutSilentEnds(const Samples &samples)
{
    auto first = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
    auto last = std::find_if(samples.rbegin(), samples.rend(), [](int16_t s) { return s != 0; }).base();
    return first < last ? Samples(first, last) : Samples();
}

size_t LongestSilence(const Samples &samples)
{
    size_t longest = 0, run = 0;
    for (int16_t sample : samples)
    {
        run = sample ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

Samples Scaled(const Samples &samples, int percent)
{
    Samples scaled(samples.size());
    for (size_t i = 0; i < samples.size(); i++) scaled[i] = static_cast<int16_t>(samples[i] * percent / 100);
    return scaled;
}

testing::AssertionResult SameSound(const Samples &heard, const Samples &expected)
{
    Samples a = WithoutSilentEnds(heard), b = WithoutSilentEnds(expected);
    if (b.empty()) return testing::AssertionFailure() << "the reference is silent";
    // Walk both; where they differ, silence in what was heard may be the
    // device's own, inserted while it waited for more.
    size_t i = 0, j = 0, inserted = 0, places = 0;
    while (i < a.size() && j < b.size())
    {
        if (a[i] == b[j])
        {
            i++;
            j++;
        }
        else if (a[i] == 0)
        {
            places++;
            while (i < a.size() && a[i] == 0 && a[i] != b[j]) i++, inserted++;
        }
        else
            break;
    }
    std::ostringstream figures;
    figures << j << " of " << b.size() << " samples identical, in order";
    if (inserted) figures << ", with " << inserted << " silent samples of the device in " << places << " places";
    if (i == a.size() && j == b.size()) return testing::AssertionSuccess() << figures.str();
    return testing::AssertionFailure() << figures.str() << "; heard " << a.size() << " samples, the first "
                                       << "that differs is sample " << i;
}

CapturedAudio::CapturedAudio() : path_(WindowsPathOf(EnvironmentValue("VEXLORIN_TEST_WAV")))
{
}

void CapturedAudio::Clear() const
{
    DeleteFileW(path_.c_str());
}

Samples CapturedAudio::Heard() const
{
    return ReadWavSamples(path_);
}

size_t CapturedAudio::FileSize() const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return 0;
    return data.nFileSizeLow;
}

double CapturedAudio::SecondsUntilSound(DWORD timeoutMs) const
{
    Stopwatch watch;
    while (watch.Seconds() * 1000 < timeoutMs)
    {
        Samples heard = Heard();
        if (std::any_of(heard.begin(), heard.end(), [](int16_t s) { return s != 0; })) return watch.Seconds();
        Sleep(2);
    }
    return -1;
}

bool CapturedAudio::SettlesWithin(DWORD stillMs, DWORD timeoutMs) const
{
    Stopwatch watch, sinceChange;
    size_t size = FileSize();
    while (watch.Seconds() * 1000 < timeoutMs)
    {
        Sleep(5);
        size_t now = FileSize();
        if (now != size)
        {
            size = now;
            sinceChange.Restart();
        }
        else if (sinceChange.Seconds() * 1000 >= stillMs) return true;
    }
    return false;
}

const std::vector<VoiceSample> &VoiceSamples()
{
    static const std::vector<VoiceSample> samples = [] {
        std::vector<VoiceSample> loaded;
        std::istringstream file(ReadFileBytes(WindowsPathOf(EnvironmentValue("VEXLORIN_VOICE_SAMPLES"))));
        std::string line;
        while (std::getline(file, line))
        {
            if (line.empty() || line[0] == '#') continue;
            std::vector<std::string> fields;
            std::istringstream row(line);
            for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
            if (fields.size() != 6) continue;
            loaded.push_back({fields[0], fields[1] == "default" ? L"" : Widen(fields[1]), std::stol(fields[2]),
                              Widen(fields[5])});
        }
        return loaded;
    }();
    return samples;
}

const VoiceSample &SampleNamed(const std::string &name)
{
    for (const VoiceSample &sample : VoiceSamples())
        if (sample.name == name) return sample;
    static const VoiceSample missing{};
    ADD_FAILURE() << "no voice sample named " << name;
    return missing;
}

Samples ReferenceFor(const std::string &name)
{
    return ReadWavSamples(WindowsPathOf(EnvironmentValue("VEXLORIN_VOICE_REFERENCES") + "/" + name + ".wav"));
}
