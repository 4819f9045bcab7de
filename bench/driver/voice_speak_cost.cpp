#include "voice_speak_cost.h"

#include <windows.h>
#include <oleauto.h>
#include <sapi.h>

#include <vector>

#include "program_run.h"

namespace {

BSTR ToBstr(const std::string& text)
{
    int bytes = static_cast<int>(text.size());
    int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    BSTR converted = SysAllocStringLen(nullptr, static_cast<UINT>(chars));
    if (converted)
        MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, converted, chars);
    return converted;
}

} // namespace

Summary ConversionMs(const std::string& ansiText, int runs)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        double start = NowMs();
        BSTR converted = ToBstr(ansiText);
        samples.push_back(NowMs() - start);
        SysFreeString(converted);
    }
    return Summarise(samples);
}

Summary VoiceSpeakMs(const std::string& ansiText, int runs)
{
    std::vector<double> samples;
    ISpVoice* voice = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice))))
        return Summarise(samples);
    BSTR text = ToBstr(ansiText);
    for (int run = 0; run < runs; ++run) {
        double start = NowMs();
        HRESULT hr = voice->Speak(text, SPF_ASYNC, nullptr);
        double elapsed = NowMs() - start;
        voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
        if (SUCCEEDED(hr))
            samples.push_back(elapsed);
    }
    SysFreeString(text);
    voice->Release();
    return Summarise(samples);
}
