#include "window_facts.h"

#include <cstring>

namespace {

constexpr DWORD kAnswerTimeoutMs = 10000;

} // namespace

std::string ClassNameOf(HWND hwnd)
{
    char name[256] = {};
    int length = GetClassNameA(hwnd, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::optional<std::string> TextOf(HWND hwnd)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length))
        return std::nullopt;
    // WM_GETTEXTLENGTH may over-estimate double-byte text; WM_GETTEXT says what it copied.
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied))
        return std::nullopt;
    text.resize(copied);
    return text;
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND ChildWithText(HWND parent, const char* className, const char* caption)
{
    for (HWND child : ChildrenOf(parent)) {
        if (ClassNameOf(child) == className && TextOf(child) == std::string(caption))
            return child;
    }
    return nullptr;
}

HWND FirstChildOfClass(HWND parent, const char* className)
{
    for (HWND child : ChildrenOf(parent)) {
        if (ClassNameOf(child) == className)
            return child;
    }
    return nullptr;
}

RECT RectInParent(HWND child)
{
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

DWORD StyleOf(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
}

DWORD ExStyleOf(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
}

HWND FocusedControlOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool Answers(HWND hwnd, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}
