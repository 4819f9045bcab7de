// Tests of vexlorin_test_voice.dll: loaded with LoadLibrary and configured by environment.
#include "test_voice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

std::wstring DllPath() {
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe, n);
  dir.resize(dir.find_last_of(L"\\/") + 1);
  std::wstring besideExe = dir + L"vexlorin_test_voice.dll";
  if (GetFileAttributesW(besideExe.c_str()) != INVALID_FILE_ATTRIBUTES) return besideExe;
  // The build's path, a Unix path: Wine's drive Z: is the Unix root.
  std::string unix = TEST_VOICE_DLL_PATH;
  std::wstring path = L"Z:";
  for (char ch : unix) path += ch == '/' ? L'\\' : static_cast<wchar_t>(ch);
  return path;
}

std::wstring TempLog() {
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"tvd", 0, path);
  DeleteFileW(path);
  return path;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[4096];
  DWORD n;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
  CloseHandle(f);
  return out;
}

void SetEnv(const wchar_t* name, const wchar_t* value) { SetEnvironmentVariableW(name, value); }

void ClearEnv() {
  for (const wchar_t* name : {L"VEXLORIN_TEST_VOICE_LOG", L"VEXLORIN_TEST_VOICE_FAIL", L"VEXLORIN_TEST_VOICE_TOKENS",
                              L"VEXLORIN_TEST_VOICE_MS_PER_CHAR"})
    SetEnv(name, nullptr);
}

class TestVoiceDll : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    log_ = TempLog();
  }
  void TearDown() override {
    ClearEnv();
    DeleteFileW(log_.c_str());
    CoUninitialize();
  }

  HMODULE Load() {
    HMODULE dll = LoadLibraryW(DllPath().c_str());
    EXPECT_NE(dll, nullptr) << GetLastError();
    if (!dll) return nullptr;
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    EXPECT_NE(getClassObject_, nullptr);
    EXPECT_NE(canUnloadNow_, nullptr);
    EXPECT_NE(GetProcAddress(dll, "DllRegisterServer"), nullptr);
    EXPECT_NE(GetProcAddress(dll, "DllUnregisterServer"), nullptr);
    return dll;
  }

  template <class I>
  HRESULT Create(REFCLSID clsid, I** out) {
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, __uuidof(I), reinterpret_cast<void**>(out));
    factory->Release();
    return hr;
  }

  std::wstring log_;
  GetClassObjectFn getClassObject_ = nullptr;
  CanUnloadNowFn canUnloadNow_ = nullptr;
};

TEST_F(TestVoiceDll, ConfiguredByEnvironmentAndLogsEveryCall) {
  SetEnv(L"VEXLORIN_TEST_VOICE_LOG", log_.c_str());
  SetEnv(L"VEXLORIN_TEST_VOICE_TOKENS", L"ZH|中文|804=中文女声;EN|English");
  SetEnv(L"VEXLORIN_TEST_VOICE_MS_PER_CHAR", L"0");
  SetEnv(L"VEXLORIN_TEST_VOICE_FAIL", L"Pause=0x80004005,GetStringValue=SPERR_NOT_FOUND@2");
  HMODULE dll = Load();
  ASSERT_NE(dll, nullptr);

  ISpVoice* v = nullptr;
  ASSERT_EQ(Create(test_voice::kClsidSpVoice, &v), S_OK);
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  EXPECT_EQ(v->SetInterest(0x240000006ULL, 0x240000006ULL), S_OK);
  EXPECT_EQ(v->Speak(L"你好", SPF_ASYNC, nullptr), S_OK);
  EXPECT_EQ(v->WaitUntilDone(INFINITE), S_OK);
  EXPECT_EQ(v->Pause(), E_FAIL);

  ISpObjectTokenCategory* cat = nullptr;
  ASSERT_EQ(Create(test_voice::kClsidSpObjectTokenCategory, &cat), S_OK);
  ASSERT_EQ(cat->SetId(test_voice::kVoicesCategory, FALSE), S_OK);
  IEnumSpObjectTokens* tokens = nullptr;
  ASSERT_EQ(cat->EnumTokens(L"", L"", &tokens), S_OK);
  cat->Release();
  ISpObjectToken* t = nullptr;
  ASSERT_EQ(tokens->Next(1, &t, nullptr), S_OK);
  LPWSTR s = nullptr;
  ASSERT_EQ(t->GetStringValue(L"804", &s), S_OK);
  EXPECT_STREQ(s, L"中文女声");
  CoTaskMemFree(s);
  EXPECT_EQ(t->GetStringValue(L"804", &s), test_voice::kSperrNotFound);   // the injected 2nd call
  EXPECT_EQ(v->SetVoice(t), S_OK);
  t->Release();
  ASSERT_EQ(tokens->Next(1, &t, nullptr), S_OK);
  t->Release();
  EXPECT_EQ(tokens->Next(1, &t, nullptr), S_FALSE);
  tokens->Release();
  v->Release();
  EXPECT_EQ(canUnloadNow_(), S_OK);

  // The log can be read while the DLL is loaded.
  std::string log = ReadAll(log_);
  EXPECT_NE(log.find("config pid="), std::string::npos) << log;
  EXPECT_NE(log.find(" tokens=2 ms_per_char=0 fail_rules=2 "), std::string::npos) << log;
  EXPECT_NE(log.find("dll load path=\""), std::string::npos) << log;
  EXPECT_NE(log.find(" voice#1 Speak text=\"\xE4\xBD\xA0\xE5\xA5\xBD\" flags=0x1 stream=1 -> 0x00000000\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" voice#1 @EndStream stream=1 offset=4 queued=1\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" voice#1 Pause -> 0x80004005\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" token#1 AddRef refs=2\n"), std::string::npos) << log;   // held by SetVoice
  EXPECT_NE(log.find(" voice#1 SetVoice token=\"ZH\" -> 0x00000000\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" token#1 Release refs=0\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" voice#1 Release refs=0\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("dll unload"), std::string::npos);

  ASSERT_TRUE(FreeLibrary(dll));
  log = ReadAll(log_);
  EXPECT_NE(log.find("dll unload live_objects=0 reason=FreeLibrary\n"), std::string::npos) << log;
  // This process's own (library) state saw none of it.
  EXPECT_EQ(test_voice::CallCount("Speak"), 0u);
}

TEST_F(TestVoiceDll, CreationFailuresFromEnvironment) {
  SetEnv(L"VEXLORIN_TEST_VOICE_LOG", log_.c_str());
  SetEnv(L"VEXLORIN_TEST_VOICE_FAIL", L"create,category=0x80004005");
  HMODULE dll = Load();
  ASSERT_NE(dll, nullptr);
  ISpVoice* v = nullptr;
  EXPECT_EQ(Create(test_voice::kClsidSpVoice, &v), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(v, nullptr);
  ISpObjectTokenCategory* cat = nullptr;
  EXPECT_EQ(Create(test_voice::kClsidSpObjectTokenCategory, &cat), E_FAIL);
  EXPECT_EQ(canUnloadNow_(), S_OK);
  ASSERT_TRUE(FreeLibrary(dll));
  std::string log = ReadAll(log_);
  EXPECT_NE(log.find(" factory:SpVoice CreateInstance iid=\"{6C44DF74-72B9-4992-A1EC-EF996E0422D4}\" "
                     "-> 0x80040154\n"),
            std::string::npos)
      << log;
}

}  // namespace
