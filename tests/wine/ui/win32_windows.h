// Reading real windows and acting on them as the user, for the wine tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/form.h"

HWND WindowOf(const TControl* control);
HWND WindowOf(TForm* form);
// WM_GETTEXT, which the system carries across processes too.
std::string WindowText(HWND window);
// Relative to the parent's client area.
TBounds ChildBounds(HWND child);
// A combo box's edit field.
HWND EditOf(HWND combo);
// Replaces the edit field's text, one typed character at a time.
void TypeInto(HWND edit, const std::string& text);
// The command of the menu bar's item on that path of captions; 0 when none.
UINT MenuCommand(HWND form, const std::vector<std::string>& path);
