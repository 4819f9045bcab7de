// A program-like client of the test voice in a Wine prefix where vexlorin_test_voice.dll is
// registered: creates the voice and the category with CoCreateInstance(..., 7, ...), as the
// program does, and makes the program's calls. Exit code 0 when every answer was as expected;
// registered_dll_test.sh then checks the DLL's log. "probe absent" expects creation to fail.
#include <windows.h>
#include <sapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

const CLSID kSpVoice = {0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
const CLSID kSpObjectTokenCategory = {0xA910187F, 0x0C7A, 0x45AC, {0x92, 0xCC, 0x59, 0xED, 0xAF, 0xB7, 0x7B, 0x53}};
constexpr DWORD kContext = 7;
constexpr ULONGLONG kInterest = 0x0000000240000006ULL;

int g_failures = 0;
ISpVoice* g_voice = nullptr;
int g_ends = 0;
DWORD g_mainThread = 0;

void Check(bool ok, const char* what, HRESULT hr) {
  if (!ok) {
    std::printf("FAILED: %s (hr=0x%08lX)\n", what, static_cast<unsigned long>(hr));
    ++g_failures;
  }
}

// Checks that a call answered S_OK; returns its result.
HRESULT Ok(HRESULT hr, const char* what) {
  Check(hr == S_OK, what, hr);
  return hr;
}

void __stdcall OnNotify(WPARAM, LPARAM) {
  Check(GetCurrentThreadId() == g_mainThread, "callback on the main thread", S_OK);
  SPEVENT e;
  while (g_voice->GetEvents(1, &e, nullptr) == S_OK)
    if (e.eEventId == SPEI_END_INPUT_STREAM) ++g_ends;
}

}  // namespace

int main(int argc, char** argv) {
  const bool expectAbsent = argc > 1 && std::strcmp(argv[1], "absent") == 0;
  g_mainThread = GetCurrentThreadId();
  CoInitialize(nullptr);
  HRESULT hr = CoCreateInstance(kSpVoice, nullptr, kContext, __uuidof(ISpVoice), reinterpret_cast<void**>(&g_voice));
  if (expectAbsent) {
    Check(FAILED(hr), "voice creation fails without the registration", hr);
    if (SUCCEEDED(hr)) g_voice->Release();
    CoUninitialize();
    return g_failures ? 1 : 0;
  }
  Check(hr == S_OK, "CoCreateInstance(SpVoice, 7)", hr);
  if (FAILED(hr)) return 2;
  Ok(g_voice->SetInterest(kInterest, kInterest), "SetInterest");
  Ok(g_voice->SetNotifyCallbackFunction(OnNotify, 0, 0), "SetNotifyCallbackFunction");

  ISpObjectTokenCategory* cat = nullptr;
  hr = CoCreateInstance(kSpObjectTokenCategory, nullptr, kContext, __uuidof(ISpObjectTokenCategory),
                        reinterpret_cast<void**>(&cat));
  Check(hr == S_OK, "CoCreateInstance(SpObjectTokenCategory, 7)", hr);
  if (SUCCEEDED(hr)) {
    IEnumSpObjectTokens* tokens = nullptr;
    Ok(cat->SetId(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices", FALSE), "SetId");
    Ok(cat->EnumTokens(L"", L"", &tokens), "EnumTokens");
    cat->Release();
    ISpObjectToken* token = nullptr;
    if (tokens && tokens->Next(1, &token, nullptr) == S_OK) {
      LPWSTR description = nullptr;
      hr = Ok(token->GetStringValue(L"804", &description), "GetStringValue(804)");
      Check(description && std::wcscmp(description, L"中文女声") == 0, "description", hr);
      CoTaskMemFree(description);
      Ok(g_voice->SetVoice(token), "SetVoice");
      token->Release();
    } else {
      Check(false, "a token", hr);
    }
    if (tokens) tokens->Release();
  }

  Ok(g_voice->Speak(L"你好，世界", SPF_ASYNC, nullptr), "Speak");
  Ok(g_voice->SetVolume(50), "SetVolume");
  DWORD start = GetTickCount();
  MSG msg;
  while (g_ends < 1 && GetTickCount() - start < 10000) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  Check(g_ends == 1, "END_INPUT_STREAM through the callback", S_OK);
  g_voice->Release();
  g_voice = nullptr;
  CoUninitialize();
  std::printf("probe: %d failure(s)\n", g_failures);
  return g_failures ? 1 : 0;
}
