// A form with one of every kind of control, read from a stored layout, that
// records what its handlers are told. Shared by the toolkit's tests on the
// in-memory window system and under wine.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/bit_btn.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/layout.h"
#include "ui/menus.h"
#include "ui/rich_edit.h"

// The sample's layout: 433 x 314 client area under a menu bar.
const TLayoutObject& SampleLayout();

class TSampleForm : public TForm {
  public:
    explicit TSampleForm(TComponent* owner);
    const char* ClassName() const override { return "TSampleForm"; }

    TRichEdit* memo1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TComboBox* ComboBox2 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* Tiedosto1 = nullptr;
    TMenuItem* Asetukset1 = nullptr;
    TMenuItem* Sulje1 = nullptr;

    // Every handler call, e.g. "FormShow", "BitBtn1Click".
    std::vector<std::string> log;
    // What FormClose sets the action to.
    TCloseAction closeAction = TCloseAction::caHide;
    // Run by the handlers after logging, when set (to throw, open dialogs, ...).
    std::function<void(const std::string& handler)> onHandler;

  private:
    void Note(const std::string& handler);
    void FormShow(TObject*) { Note("FormShow"); }
    void FormResize(TObject*) { Note("FormResize"); }
    void FormClose(TObject*, TCloseAction& action);
    void BitBtn1Click(TObject*) { Note("BitBtn1Click"); }
    void BitBtn2Click(TObject*) { Note("BitBtn2Click"); }
    void CheckBox1Click(TObject*) { Note("CheckBox1Click"); }
    void Asetukset1Click(TObject*) { Note("Asetukset1Click"); }
    void Sulje1Click(TObject*) { Note("Sulje1Click"); }
};
