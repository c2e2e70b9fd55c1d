// The window the intake benchmark measures on: the main window's spot view
// (a read-only rich-text view in Courier New, navy on the info colour, a
// vertical scroll bar, no word wrap) and its two status labels, read from a
// stored layout like the program's windows, so the view is the same control
// with the same settings the program appends to.
//
// Owned by the application or the benchmark; main thread only.
#pragma once

#include "ui/form.h"
#include "ui/label.h"
#include "ui/rich_edit.h"

class TBenchForm : public TForm {
  public:
    explicit TBenchForm(TComponent* AOwner);
    const char* ClassName() const override { return "TBenchForm"; }

    TRichEdit* memo1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label4 = nullptr;
};
