// Tells scripts whether the main window is open: exit code 0 and its screen
// rectangle when it is, 1 when it is not.
#include <windows.h>

#include <cstdio>

int main()
{
    HWND window = FindWindowA("VexlorinWindow", "Vexlorin----作者：Doramek");
    if (!window || !IsWindowVisible(window))
        return 1;
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}
