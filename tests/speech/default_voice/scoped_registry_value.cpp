#include "scoped_registry_value.h"

namespace {

bool KeyExists(HKEY root, const std::string& subKey)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Our key and value names are ASCII.
std::wstring Wide(const std::optional<std::string>& name)
{
    return name ? std::wstring(name->begin(), name->end()) : std::wstring();
}

} // namespace

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::string subKey, const char* valueName)
    : root_(root), subKey_(std::move(subKey))
{
    if (valueName)
        valueName_ = valueName;
    for (std::size_t end = 0; end != std::string::npos;) {
        end = subKey_.find('\\', end + 1);
        std::string path = subKey_.substr(0, end);
        if (!KeyExists(root_, path))
            missingKeys_.push_back(path);
    }
    HKEY key;
    if (RegOpenKeyExW(root_, Wide(subKey_).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    // Kept in its stored form (wide for strings), so putting it back changes nothing.
    std::wstring name = Wide(valueName_);
    SavedValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName_ ? name.c_str() : nullptr, nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExW(key, valueName_ ? name.c_str() : nullptr, nullptr, &value.type, value.data.data(),
                             &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            saved_ = value;
        }
    }
    RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue()
{
    std::wstring name = Wide(valueName_);
    const wchar_t* valueName = valueName_ ? name.c_str() : nullptr;
    bool keyExisted = missingKeys_.empty() || missingKeys_.back() != subKey_;
    HKEY key;
    if ((saved_ || keyExisted) &&
        RegCreateKeyExW(root_, Wide(subKey_).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
        if (saved_)
            RegSetValueExW(key, valueName, 0, saved_->type, saved_->data.data(),
                           static_cast<DWORD>(saved_->data.size()));
        else
            RegDeleteValueW(key, valueName);
        RegCloseKey(key);
    }
    // Deepest first; a key something else has filled meanwhile stays.
    for (auto path = missingKeys_.rbegin(); path != missingKeys_.rend(); ++path)
        RegDeleteKeyA(root_, path->c_str());
}

bool ScopedRegistryValue::Write(DWORD type, const std::string& bytes)
{
    HKEY key;
    if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    // The registry counts a string's terminator in when the caller seems to have forgotten
    // it (a zero right after the data); a non-zero byte there keeps the count as given.
    std::string data = bytes + 'X';
    const char* name = valueName_ ? valueName_->c_str() : nullptr;
    bool written = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                  static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    DWORD size = 0;
    written = written && RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
              size == bytes.size();
    RegCloseKey(key);
    return written;
}

bool ScopedRegistryValue::RemoveValue()
{
    HKEY key;
    if (RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return true;  // no key, no value
    LONG result = RegDeleteValueA(key, valueName_ ? valueName_->c_str() : nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool ScopedRegistryValue::RemoveKey()
{
    HKEY key;
    if (RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return true;
    DWORD subKeys = 0;
    DWORD values = 0;
    LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || subKeys != 0 || values > (saved_ ? 1u : 0u))
        return false;
    return RegDeleteKeyA(root_, subKey_.c_str()) == ERROR_SUCCESS;
}
