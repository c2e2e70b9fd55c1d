// The user and the screen, for tests that run the same way on the in-memory
// window system (host) and on real windows (wine): each program links one
// MakeUiDriver.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/combo_box.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/widget_set.h"

class TUiDriver {
  public:
    virtual ~TUiDriver() = default;
    virtual IWidgetSet& Widgets() = 0;

    // The user's actions.
    virtual void Click(TControl* control) = 0;
    virtual void TypeText(TComboBox* combo, const std::string& text) = 0;
    virtual void ChooseMenu(TForm* form, const std::vector<std::string>& path) = 0;
    virtual void PressCloseBox(TForm* form) = 0;

    // What the screen shows.
    virtual bool Showing(TControl* control) = 0;
    virtual bool FormShowing(TForm* form) = 0;
    virtual std::string ShownText(TControl* control) = 0;
    virtual TBounds ShownBounds(TControl* control) = 0;
    virtual TExtent ShownClientSize(TForm* form) = 0;
    virtual bool ShownEnabled(TForm* form) = 0;
};

std::unique_ptr<TUiDriver> MakeUiDriver();
