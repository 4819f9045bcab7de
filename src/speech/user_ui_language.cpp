#include "user_ui_language.h"

#include <cstdlib>

namespace {

// Reads a string value into buffer, always zero-terminated whatever the registry
// holds (the registry does not terminate a value that fills the buffer).
bool ReadRegistryText(HKEY root, const char* subKey, const char* valueName, char* buffer, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD bytes = size - 1;
    LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return false;
    buffer[bytes < size ? bytes : size - 1] = '\0';
    return true;
}

LANGID ParseHexLangId(const char* text)
{
    return static_cast<LANGID>(std::strtoul(text, nullptr, 16));
}

// Windows 95, 98 and Me keep the interface language as the desktop's resource locale.
LANGID ResourceLocaleLanguage()
{
    char buffer[32];
    if (!ReadRegistryText(HKEY_USERS, ".Default\\Control Panel\\desktop\\ResourceLocale", nullptr, buffer,
                          sizeof buffer))
        return GetUserDefaultLangID();
    LANGID langId = ParseHexLangId(buffer);
    return langId ? langId : GetUserDefaultLangID();
}

// Windows 2000 and later answer directly.
LANGID SystemUiLanguage()
{
    using GetUserDefaultUILanguageFn = LANGID(WINAPI*)();
    LANGID langId = 0;
    if (HMODULE kernel = LoadLibraryW(L"kernel32.dll")) {
        auto query = reinterpret_cast<GetUserDefaultUILanguageFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "GetUserDefaultUILanguage")));
        if (query)
            langId = query();
        FreeLibrary(kernel);
    }
    return langId ? langId : GetUserDefaultLangID();
}

// Windows NT 4 keeps the default locale; its right-to-left and Thai interfaces read English.
LANGID Nt4LocaleLanguage()
{
    char buffer[64];
    if (!ReadRegistryText(HKEY_USERS, ".DEFAULT\\Control Panel\\International", "Locale", buffer, sizeof buffer))
        return GetUserDefaultLangID();
    LANGID langId = ParseHexLangId(buffer);
    if (langId == 0x0401 || langId == 0x040D || langId == 0x041E)
        return 0x0409;
    return langId ? langId : GetUserDefaultLangID();
}

} // namespace

LANGID GetUserUiLanguage()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = 148;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // GetVersionExA is what tells the Windows family apart here
#endif
    if (!GetVersionExA(&version))
        return GetUserDefaultLangID();
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return ResourceLocaleLanguage();
    if (version.dwMajorVersion >= 5)
        return SystemUiLanguage();
    return Nt4LocaleLanguage();
}
