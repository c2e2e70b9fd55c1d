// The spot view's stored layout ("memo1" of the main window, at 96 dpi): a
// read-only rich text on the info colour, navy Courier New, vertical scroll
// bar only, no word wrap. The benchmarks build their view from it too.
#pragma once

#include "ui/layout.h"

TLayoutObject SpotViewLayout();
