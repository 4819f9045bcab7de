// Tells scripts whether the main window is open: exit code 0 and its screen
// rectangle when it is, 1 when it is not.
//   find_window [--desktop NAME] [--close]
// --desktop looks on a Wine virtual desktop of that name (a window there is invisible
// from the default desktop); --close then asks the window to close, as its close button does.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kClassName[] = "VexlorinWindow";
constexpr char kTitle[] = "Vexlorin----作者：Doramek";

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lParam)
{
    char className[64] = {};
    char title[128] = {};
    GetClassNameA(hwnd, className, sizeof className);
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strcmp(className, kClassName) != 0 || std::strcmp(title, kTitle) != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    const char* desktopName = nullptr;
    bool close = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--desktop") == 0 && i + 1 < argc)
            desktopName = argv[++i];
        else if (std::strcmp(argv[i], "--close") == 0)
            close = true;
        else {
            std::fprintf(stderr, "usage: find_window [--desktop NAME] [--close]\n");
            return 2;
        }
    }

    // Seen from another desktop a window never counts as visible: move onto its desktop.
    if (desktopName) {
        HDESK desktop = OpenDesktopA(desktopName, 0, FALSE, GENERIC_ALL);
        if (!desktop || !SetThreadDesktop(desktop))
            return 1;
    }
    HWND window = nullptr;
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&window));
    if (!window)
        return 1;

    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (close)
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}
