// The spot view's stored layout; see the header.
#include "vplusdde/spot_view_layout.h"

TLayoutObject SpotViewLayout() {
    return {"TRichEdit",
            "memo1",
            {{"Left", 0},
             {"Top", 0},
             {"Width", 609},
             {"Height", 273},
             {"Color", Ident("clInfoBk")},
             {"Font.Color", Ident("clNavy")},
             {"Font.Height", -13},
             {"Font.Name", "Courier New"},
             {"Font.Style", SetOf({})},
             {"ParentFont", false},
             {"ReadOnly", true},
             {"ScrollBars", Ident("ssVertical")},
             {"TabOrder", 0},
             {"WantReturns", false},
             {"WordWrap", false}}};
}
