// The user's interface language on each Windows family, found for real: a probe program
// runs with the Windows version Wine gives it (HKCU\Software\Wine\AppDefaults\<exe>\Version)
// and the registry values older systems keep the language in.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "scoped_registry_value.h"
#include "speech/user_ui_language.h"

namespace {

constexpr char kResourceLocaleKey[] = ".Default\\Control Panel\\desktop\\ResourceLocale";
constexpr char kInternationalKey[] = ".DEFAULT\\Control Panel\\International";
constexpr DWORD kProbeTimeoutMs = 60000;

enum class Family { Windows9x, NtBefore5, Nt5OrLater };

struct WindowsVersion {
    const char* wineName;  // null: Wine's default version
    Family family;
};

constexpr WindowsVersion kWin95{"win95", Family::Windows9x};
constexpr WindowsVersion kWin98{"win98", Family::Windows9x};
constexpr WindowsVersion kWinMe{"winme", Family::Windows9x};
constexpr WindowsVersion kNt351{"nt351", Family::NtBefore5};
constexpr WindowsVersion kNt40{"nt40", Family::NtBefore5};
constexpr WindowsVersion kWin2k{"win2k", Family::Nt5OrLater};
constexpr WindowsVersion kWinXp{"winxp", Family::Nt5OrLater};
constexpr WindowsVersion kWin10{"win10", Family::Nt5OrLater};
constexpr WindowsVersion kWineDefault{nullptr, Family::Nt5OrLater};

// What a registry value is made to be for one case.
struct Stored {
    enum Kind { NoKey, NoValue, Value } kind = NoKey;
    DWORD type = REG_NONE;
    std::string bytes;
};

Stored Text(std::string text) { return {Stored::Value, REG_SZ, text + '\0'}; }
Stored UnterminatedText(std::string text) { return {Stored::Value, REG_SZ, std::move(text)}; }
Stored Binary(std::string bytes) { return {Stored::Value, REG_BINARY, std::move(bytes)}; }
const Stored kNoKey{Stored::NoKey, REG_NONE, {}};
const Stored kNoValue{Stored::NoValue, REG_NONE, {}};

// A hexadecimal number padded with leading zeros to the given length.
std::string Padded(std::size_t length, const std::string& digits)
{
    return std::string(length - digits.size(), '0') + digits;
}

// The answers that do not come from the registry. Under the test prefix (LANG=zh_CN)
// both are 0x0804, so every case expecting them stores other languages in the registry.
constexpr int kDefaultLangId = -1;      // GetUserDefaultLangID
constexpr int kInterfaceLanguage = -2;  // GetUserDefaultUILanguage

struct UiLanguageCase {
    const char* name;
    WindowsVersion version;
    Stored resourceLocale;  // HKU\.Default\Control Panel\desktop\ResourceLocale, default value
    Stored locale;          // HKU\.DEFAULT\Control Panel\International, value Locale
    int expected;           // a LANGID, or one of the two above
};

std::string ProbePath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + UI_LANGUAGE_PROBE_NAME;
}

// The probe's exit code, nothing when it did not run to its end.
std::optional<DWORD> RunProbe()
{
    std::string path = ProbePath();
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << path << ", error " << GetLastError();
        return std::nullopt;
    }
    std::optional<DWORD> exitCode;
    if (WaitForSingleObject(process.hProcess, kProbeTimeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        exitCode = code;
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

testing::AssertionResult Apply(ScopedRegistryValue& value, const Stored& stored)
{
    bool done = stored.kind == Stored::NoKey     ? value.RemoveKey()
                : stored.kind == Stored::NoValue ? value.RemoveValue()
                                                 : value.Write(stored.type, stored.bytes);
    if (done)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the registry could not be set up as the case needs";
}

class UserUiLanguageTest : public testing::TestWithParam<UiLanguageCase> {};

TEST_P(UserUiLanguageTest, ReadWhereTheFamilyKeepsIt)
{
    const UiLanguageCase& c = GetParam();
    ScopedRegistryValue version(HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + UI_LANGUAGE_PROBE_NAME,
                                "Version");
    ScopedRegistryValue resourceLocale(HKEY_USERS, kResourceLocaleKey, nullptr);
    ScopedRegistryValue locale(HKEY_USERS, kInternationalKey, "Locale");
    ASSERT_TRUE(Apply(version, c.version.wineName ? Text(c.version.wineName) : kNoValue));
    ASSERT_TRUE(Apply(resourceLocale, c.resourceLocale));
    ASSERT_TRUE(Apply(locale, c.locale));

    std::optional<DWORD> exitCode = RunProbe();
    ASSERT_TRUE(exitCode.has_value()) << "the probe did not end";
    ASSERT_NE(*exitCode, static_cast<DWORD>(-1)) << "GetVersionExA failed in the probe";

    // Wine must really have run the probe as that Windows.
    DWORD platform = *exitCode >> 24;
    DWORD major = (*exitCode >> 16) & 0xFF;
    switch (c.version.family) {
    case Family::Windows9x:
        ASSERT_EQ(platform, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
        break;
    case Family::NtBefore5:
        ASSERT_EQ(platform, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
        ASSERT_LT(major, 5u);
        break;
    case Family::Nt5OrLater:
        ASSERT_EQ(platform, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
        ASSERT_GE(major, 5u);
        break;
    }

    // The probe shares this process's user and locale, so these are its answers too.
    LANGID expected = c.expected == kDefaultLangId       ? GetUserDefaultLangID()
                      : c.expected == kInterfaceLanguage ? GetUserDefaultUILanguage()
                                                         : static_cast<LANGID>(c.expected);
    EXPECT_EQ(*exitCode & 0xFFFF, expected) << std::hex << "answered 0x" << (*exitCode & 0xFFFF) << ", expected 0x"
                                            << expected;
}

// The values stored where the family does not look would give other answers.
const UiLanguageCase kUiLanguageCases[] = {
    // Windows 95, 98 and Me: the desktop's resource locale, in hexadecimal.
    {"Win98ResourceLocale", kWin98, Text("00000407"), Text("00000412"), 0x0407},
    {"Win95ResourceLocale", kWin95, Text("00000412"), Text("00000407"), 0x0412},
    {"WinMeLowerCaseDigits", kWinMe, Text("0000040c"), Text("00000407"), 0x040C},
    {"Win98ShortNumber", kWin98, Text("416"), Text("00000407"), 0x0416},
    {"Win98ZeroFallsBack", kWin98, Text("00000000"), Text("00000407"), kDefaultLangId},
    {"Win98NotANumberFallsBack", kWin98, Text("none"), Text("00000407"), kDefaultLangId},
    {"Win98NoValueFallsBack", kWin98, kNoValue, Text("00000407"), kDefaultLangId},
    {"Win98NoKeyFallsBack", kWin98, kNoKey, Text("00000407"), kDefaultLangId},
    // The value is read into 32 bytes: 31 of them and a terminator of its own.
    {"Win98UnterminatedTextFillingTheBuffer", kWin98, UnterminatedText(Padded(31, "407")), kNoKey, 0x0407},
    {"Win98UnterminatedBinaryFillingTheBuffer", kWin98, Binary(Padded(31, "407")), kNoKey, 0x0407},
    {"Win98BinaryOneByteTooLongFallsBack", kWin98, Binary(Padded(32, "407")), kNoKey, kDefaultLangId},
    {"Win98TextTooLongFallsBack", kWin98, Text(Padded(40, "407")), kNoKey, kDefaultLangId},

    // Windows NT 4 and before: the default locale; right-to-left and Thai read English.
    {"Nt4Locale", kNt40, Text("00000412"), Text("00000407"), 0x0407},
    {"Nt351Locale", kNt351, Text("00000412"), Text("00000416"), 0x0416},
    {"Nt4ArabicReadsEnglish", kNt40, kNoKey, Text("00000401"), 0x0409},
    {"Nt4HebrewReadsEnglish", kNt40, kNoKey, Text("0000040D"), 0x0409},
    {"Nt4HebrewLowerCaseReadsEnglish", kNt40, kNoKey, Text("0000040d"), 0x0409},
    {"Nt4ThaiReadsEnglish", kNt40, kNoKey, Text("0000041E"), 0x0409},
    {"Nt4HungarianStays", kNt40, kNoKey, Text("0000040E"), 0x040E},
    {"Nt4ZeroFallsBack", kNt40, Text("00000407"), Text("00000000"), kDefaultLangId},
    {"Nt4NoValueFallsBack", kNt40, Text("00000407"), kNoValue, kDefaultLangId},
    {"Nt4NoKeyFallsBack", kNt40, Text("00000407"), kNoKey, kDefaultLangId},
    // Read into 64 bytes: 63 and a terminator.
    {"Nt4UnterminatedTextFillingTheBuffer", kNt40, kNoKey, UnterminatedText(Padded(63, "407")), 0x0407},
    {"Nt4UnterminatedBinaryFillingTheBuffer", kNt40, kNoKey, Binary(Padded(63, "407")), 0x0407},
    {"Nt4BinaryOneByteTooLongFallsBack", kNt40, kNoKey, Binary(Padded(64, "407")), kDefaultLangId},
    {"Nt4TextTooLongFallsBack", kNt40, kNoKey, Text(Padded(80, "407")), kDefaultLangId},

    // Windows 2000 and later say it themselves; the registry values are not read.
    {"Win2kAsksTheSystem", kWin2k, Text("00000407"), Text("00000412"), kInterfaceLanguage},
    {"WinXpAsksTheSystem", kWinXp, Text("00000407"), Text("00000412"), kInterfaceLanguage},
    {"Win10AsksTheSystem", kWin10, Text("00000407"), Text("00000412"), kInterfaceLanguage},
    {"WineDefaultAsksTheSystem", kWineDefault, Text("00000407"), Text("00000412"), kInterfaceLanguage},
};

INSTANTIATE_TEST_SUITE_P(Cases, UserUiLanguageTest, testing::ValuesIn(kUiLanguageCases),
                         [](const testing::TestParamInfo<UiLanguageCase>& info) { return info.param.name; });

} // namespace
