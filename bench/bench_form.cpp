// The benchmark window's layout; the view's properties are the main window's.
#include "bench/bench_form.h"

#include "ui/layout.h"
#include "vplusdde/spot_view_layout.h"

namespace {

const TLayoutObject& BenchLayout() {
    static const TLayoutObject layout{
        "TBenchForm",
        "BenchForm",
        {{"Left", 220},
         {"Top", 166},
         {"Caption", "Vareli bench"},
         {"ClientHeight", 314},
         {"ClientWidth", 433},
         {"Color", Ident("clBtnFace")},
         {"Font.Color", Ident("clWindowText")},
         {"Font.Height", -11},
         {"Font.Name", "MS Sans Serif"},
         {"PixelsPerInch", 96},
         {"TextHeight", 13}},
        {
            SpotViewLayout(),
            {"TLabel", "Label1", {{"Left", 0}, {"Top", 280}, {"Height", 13}, {"Caption", ""}}},
            {"TLabel", "Label4", {{"Left", 120}, {"Top", 296}, {"Height", 13}, {"Caption", ""}}},
        }};
    return layout;
}

}  // namespace

TBenchForm::TBenchForm(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("memo1", &memo1);
    reader.Field("Label1", &Label1);
    reader.Field("Label4", &Label4);
    reader.Read(BenchLayout());
}
