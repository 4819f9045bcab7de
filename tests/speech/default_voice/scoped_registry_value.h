#pragma once
// A registry value a test changes for a while and then puts back as it found it,
// removing again any key it had to create. Wine's registry is shared by every process
// of the prefix, so a program the test starts sees the change.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class ScopedRegistryValue {
public:
    // valueName null: the key's default (unnamed) value.
    ScopedRegistryValue(HKEY root, std::string subKey, const char* valueName);
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

    // Stores exactly these bytes: nothing is appended, not even to a string type, and
    // reading the value back through the ANSI interface must give that many bytes.
    bool Write(DWORD type, const std::string& bytes);
    // The value is gone; its key stays.
    bool RemoveValue();
    // The key is gone; refused when it holds anything but this value.
    bool RemoveKey();

private:
    struct SavedValue {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    HKEY root_;
    std::string subKey_;
    std::optional<std::string> valueName_;
    std::vector<std::string> missingKeys_;  // the keys on the path that did not exist, deepest last
    std::optional<SavedValue> saved_;       // what was there before, as stored
};
