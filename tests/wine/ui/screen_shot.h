// Keeps a picture of a window as it stands on the screen (a .bmp file).
#pragma once

#include <windows.h>

#include <string>

// Copies the window's screen area into a 24-bit bitmap file; false on failure.
bool SaveWindowShot(HWND window, const std::string& path);
// The colour on the screen at a point of the window's client area.
COLORREF ClientPixel(HWND window, int x, int y);
