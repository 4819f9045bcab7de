// Installs the test voice as this prefix's speech engine for the run of the speech
// scenarios and puts back whatever engine was registered before, so that other tests
// sharing the prefix find it as they left it.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const wchar_t* const kEngineClassKeys[] = {
    L"Software\\Classes\\CLSID\\{96749377-3391-11D2-9EE3-00C04F797396}\\InprocServer32",  // SpVoice
    L"Software\\Classes\\CLSID\\{A910187F-0C7A-45AC-92CC-59EDAFB77B53}\\InprocServer32",  // SpObjectTokenCategory
};

struct SavedServer {
    bool existed = false;
    std::optional<std::wstring> path;
    std::optional<std::wstring> threadingModel;
};

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name)
{
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

void WriteString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

SavedServer Save(const wchar_t* keyName)
{
    SavedServer saved;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return saved;
    saved.existed = true;
    saved.path = ReadString(key, nullptr);
    saved.threadingModel = ReadString(key, L"ThreadingModel");
    RegCloseKey(key);
    return saved;
}

void Restore(const wchar_t* keyName, const SavedServer& saved)
{
    if (!saved.existed) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyName);
        return;
    }
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (saved.path)
        WriteString(key, nullptr, *saved.path);
    if (saved.threadingModel)
        WriteString(key, L"ThreadingModel", *saved.threadingModel);
    else
        RegDeleteValueW(key, L"ThreadingModel");
    RegCloseKey(key);
}

std::string TestVoicePath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.resize(folder.find_last_of("\\/") + 1);
    std::string relative = VEXLORIN_TEST_VOICE_FROM_DRIVER;
    for (char& c : relative) {
        if (c == '/')
            c = '\\';
    }
    return folder + relative;
}

class TestVoiceRegistration : public testing::Environment {
public:
    void SetUp() override
    {
        for (std::size_t i = 0; i < std::size(kEngineClassKeys); ++i)
            saved[i] = Save(kEngineClassKeys[i]);
        std::string path = TestVoicePath();
        HMODULE dll = LoadLibraryA(path.c_str());
        ASSERT_NE(dll, nullptr) << "cannot load the test voice " << path;
        using RegisterServer = HRESULT(WINAPI*)();
        auto registerServer = reinterpret_cast<RegisterServer>(
            reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
        ASSERT_NE(registerServer, nullptr);
        registered = true;  // from here on something may have changed
        HRESULT hr = registerServer();
        FreeLibrary(dll);
        ASSERT_EQ(hr, S_OK) << "the test voice could not register itself";
    }

    void TearDown() override
    {
        if (!registered)
            return;
        for (std::size_t i = 0; i < std::size(kEngineClassKeys); ++i)
            Restore(kEngineClassKeys[i], saved[i]);
    }

private:
    SavedServer saved[std::size(kEngineClassKeys)];
    bool registered = false;
};

const testing::Environment* const kRegistration = testing::AddGlobalTestEnvironment(new TestVoiceRegistration);

} // namespace
