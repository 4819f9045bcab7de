#pragma once
// How a button looks on the screen, compared with a button the driver draws itself.
// A font cannot be asked of another process (WM_GETFONT hands out a handle that is
// meaningless outside it), but what the font draws can be compared pixel for pixel.
#include <windows.h>

#include <string>
#include <vector>

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> rgb;  // rows top to bottom, 0x00RRGGBB
};

// What the screen shows inside this window's outer rectangle now.
Pixels CaptureWindow(HWND hwnd);

// A button drawn by the driver with the same class, caption, style and size, in the given
// font, captured the same way. The driver shares the program's visual styles (Common
// Controls 6), so equal settings give equal pixels.
Pixels RenderReferenceButton(const std::string& caption, DWORD style, int width, int height, HFONT font);

// How many pixels differ; sizes that differ count as every pixel.
int DifferingPixels(const Pixels& a, const Pixels& b);
