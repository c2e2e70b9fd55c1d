// The look the program's dialogs share with the settings dialog: a sizeable
// window with system menu, minimise and maximise buttons on the button-face
// colour in MS Sans Serif at 96 dpi, closed through its OnClose handler
// "FormClose", and an "OK" push button with the check-mark glyph whose click
// handler is "BitBtn1Click".
#pragma once

#include <vector>

#include "ui/layout.h"

// The dialog window's properties at this outer position and size.
std::vector<TLayoutProperty> DialogProperties(const char* caption, int left, int top, int width,
                                              int height);

// A check box across the dialog's width, at its left margin.
TLayoutObject OptionBox(const char* name, int top, const char* caption, int tabOrder);

// The dialog's "OK" button, BitBtn1, 75 x 25 at this position.
TLayoutObject OkButton(int left, int top, int tabOrder);
