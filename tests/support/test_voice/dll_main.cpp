// Entry points of vexlorin_test_voice.dll; everything else is the library's code.
#include "internal.h"

#include <string>

namespace {

const wchar_t* const kClsidKeys[] = {
    L"Software\\Classes\\CLSID\\{96749377-3391-11D2-9EE3-00C04F797396}",
    L"Software\\Classes\\CLSID\\{A910187F-0C7A-45AC-92CC-59EDAFB77B53}",
};

std::wstring ModulePath() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(test_voice::detail::ThisModule(), path, sizeof path / sizeof path[0]);
  return std::wstring(path, n);
}

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    test_voice::ConfigureFromEnvironment();   // opens the log, writes a "config ..." line
    test_voice::LogLine("dll load path=\"" + test_voice::detail::Utf8(ModulePath()) + "\"");
  } else if (reason == DLL_PROCESS_DETACH) {
    test_voice::detail::OnModuleDetach(reserved != nullptr);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv) {
  return test_voice::GetClassObject(clsid, iid, ppv);
}

STDAPI DllCanUnloadNow() { return test_voice::CanUnloadNow() ? S_OK : S_FALSE; }

// Registers both classes (HKLM\Software\Classes\CLSID\{...}\InprocServer32, ThreadingModel
// "Both") for this DLL in the registry view of the calling process.
STDAPI DllRegisterServer() {
  const std::wstring path = ModulePath();
  for (const wchar_t* clsid : kClsidKeys) {
    std::wstring keyName = std::wstring(clsid) + L"\\InprocServer32";
    HKEY key;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    rc = SetString(key, nullptr, path);
    if (rc == ERROR_SUCCESS) rc = SetString(key, L"ThreadingModel", L"Both");
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  }
  return S_OK;
}

// Removes the InprocServer32 keys that name this DLL (Wine's own sapi registration comes
// back with "regsvr32 sapi.dll" or "wineboot -u").
STDAPI DllUnregisterServer() {
  const std::wstring path = ModulePath();
  for (const wchar_t* clsid : kClsidKeys) {
    std::wstring keyName = std::wstring(clsid) + L"\\InprocServer32";
    wchar_t value[MAX_PATH * 2];
    DWORD size = sizeof value;
    LONG rc = RegGetValueW(HKEY_LOCAL_MACHINE, keyName.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    if (rc == ERROR_SUCCESS && lstrcmpiW(value, path.c_str()) == 0)
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyName.c_str());
  }
  return S_OK;
}
