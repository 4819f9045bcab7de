// What the tests hear.  The test prefix's default ALSA device writes whatever
// Wine plays to the WAV file named by VEXLORIN_TEST_WAV (asound.conf), anew each
// time the voice opens the device; the fixture renders every sample text with
// espeak-ng itself into VEXLORIN_VOICE_REFERENCES.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using Samples = std::vector<int16_t>;

constexpr int kSampleRate = 22050;

// <chrono> does not build with the project's GBK execution character set.
class Stopwatch
{
public:
    Stopwatch();
    void Restart();
    double Seconds() const;

private:
    LARGE_INTEGER start_;
};

std::string EnvironmentValue(const char *name);
// Wine shows the Unix file system as drive Z:.
std::wstring WindowsPathOf(const std::string &unixPath);

Samples ReadWavSamples(const std::wstring &path);
// Leading and trailing zero samples are the device's and espeak-ng's padding.
Samples WithoutSilentEnds(const Samples &samples);
size_t LongestSilence(const Samples &samples);
Samples Scaled(const Samples &samples, int percent);

// Every expected sample heard, in order, nothing else but silence the device
// adds when it runs dry (Wine's audio driver does, on a busy machine and
// around a pause); the silent ends do not count.  Reports how much matched.
testing::AssertionResult SameSound(const Samples &heard, const Samples &expected);

class CapturedAudio
{
public:
    CapturedAudio();
    // Removes the file, so that nothing heard before counts.
    void Clear() const;
    Samples Heard() const;
    size_t FileSize() const;
    // Seconds until a non-zero sample shows up, or a negative number on timeout.
    double SecondsUntilSound(DWORD timeoutMs) const;
    // Whether the file stops growing for stillMs within timeoutMs.
    bool SettlesWithin(DWORD stillMs, DWORD timeoutMs) const;

private:
    std::wstring path_;
};

struct VoiceSample
{
    std::string name;
    std::wstring token;  // empty: the voice's default
    long rate;
    std::wstring text;
};

const std::vector<VoiceSample> &VoiceSamples();
const VoiceSample &SampleNamed(const std::string &name);
Samples ReferenceFor(const std::string &name);
