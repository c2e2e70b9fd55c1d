// The main window's stored layout (at 96 dpi) and the readers of its
// non-visual components' properties.
#include "vplusdde/main_window_layout.h"

#include "ui/glyphs.h"
#include "vplusdde/spot_view_layout.h"

namespace {

// A page of the decoder as the window was designed with: 19 rows of 42
// characters. Cleared when the item is named at start-up; never taken as spots.
std::string DesignSample() {
    static const char* const rows[] = {
        "  1832 Q1AAA  cq dx          Q9ZZZ  1301", "  3505 Q2BBB  599            Q8YYY  1302",
        "  7025 Q3CCC  up 2           Q7XXX  1303", " 10105 Q4DDD  cw             Q6WWW  1304",
        " 14025 Q5EEE  tnx qso        Q5VVV  1305", " 18075 Q6FFF  rtty           Q4UUU  1306",
        " 21025 Q7GGG  cq             Q3TTT  1307", " 24895 Q8HHH  ssb            Q2SSS  1308",
        " 28495 Q9III  loud           Q1RRR  1309", " 50110 Q1JJJ  es             Q9QQQ  1310",
        "144300 Q2KKK  tropo          Q8PPP  1311", "432200 Q3LLL  ms             Q7OOO  1312",
        "  7010 Q4MMM  qrp            Q6NNN  1313", " 14080 Q5NNN  psk            Q5MMM  1314",
        " 21074 Q6OOO  ft8            Q4LLL  1315", "  3790 Q7PPP  ssb            Q3KKK  1316",
        " 28010 Q8QQQ  beacon         Q2JJJ  1317", " 10136 Q9RRR  ft8            Q1III  1318",
        "  1840 Q1SSS  cq             Q9HHH  1319",
    };
    std::string sample;
    for (const char* row : rows) sample += std::string(row) + "  ";
    return sample;
}

TLayoutObject StatusLabel(const char* name, int top, const char* caption) {
    return {"TLabel", name, {{"Left", 120}, {"Top", top}, {"Height", 13}, {"Caption", caption}}};
}

}  // namespace

const TLayoutObject& Form1Layout() {
    static const TLayoutObject layout{
        "TForm1",
        "Form1",
        {{"Left", 220},
         {"Top", 166},
         {"AutoScroll", false},
         {"Caption", "Vareli"},
         {"ClientHeight", 314},
         {"ClientWidth", 433},
         {"Color", Ident("clBtnFace")},
         {"Font.Color", Ident("clWindowText")},
         {"Font.Height", -11},
         {"Font.Name", "MS Sans Serif"},
         {"Font.Style", SetOf({})},
         {"Menu", Ident("MainMenu1")},
         {"OnClose", Ident("FormClose")},
         {"OnResize", Ident("FormResize")},
         {"OnShow", Ident("FormShow")},
         {"PixelsPerInch", 96},
         {"TextHeight", 13}},
        {
            SpotViewLayout(),
            {"TLabel",
             "Label1",
             {{"Left", 0},
              {"Top", 696},
              {"Caption", ""},
              {"Font.Color", Ident("clWindowText")},
              {"Font.Height", -13},
              {"Font.Name", "Terminal"},
              {"Font.Style", SetOf({"fsBold"})},
              {"ParentFont", false}}},
            {"TLabel",
             "Label2",
             {{"Left", 0},
              {"Top", 294},
              {"Width", 51},
              {"Height", 13},
              {"AutoSize", false},
              {"Caption", "DDE link"},
              {"Color", Ident("clGreen")},
              {"Font.Color", Ident("clWhite")},
              {"Font.Height", -11},
              {"Font.Name", "MS Sans Serif"},
              {"Font.Style", SetOf({"fsBold"})},
              {"ParentColor", false},
              {"ParentFont", false},
              {"Transparent", false},
              {"Visible", false}}},
            StatusLabel("Label3", 280, "Label3"),
            StatusLabel("Label4", 296, "Label4"),
            {"TBitBtn",
             "BitBtn2",
             {{"Left", 357},
              {"Top", 284},
              {"Width", 75},
              {"Height", 25},
              {"Caption", "Sulje"},
              {"TabOrder", 1},
              {"OnClick", Ident("Button1Click")},
              {"Glyph", kGlyphCross},
              {"NumGlyphs", 2}}},
            {"TDdeClientConv",
             "lientti",
             {{"DdeService", "VTPlus"},
              {"DdeTopic", "590"},
              {"ServiceApplication", "VTPlus"},
              {"OnClose", Ident("lienttiClose")},
              {"OnOpen", Ident("lienttiOpen")},
              {"LinkInfo", StringList({"Service VTPlus", "Topic 590"})}}},
            {"TDdeClientItem",
             "DdeClientItem1",
             {{"DdeConv", Ident("lientti")},
              {"Lines", StringList({DesignSample()})},
              {"OnChange", Ident("DdeClientItem1Change")}}},
            {"TComm",
             "Comm1",
             {{"DeviceName", "Com2"},
              {"MonitorEvents", SetOf({"evBreak", "evCts", "evDsr", "evError", "evRing", "evRlsd",
                                       "evRxChar", "evRxFlag", "evTxEmpty"})}}},
            {"TMainMenu",
             "MainMenu1",
             {},
             {{"TMenuItem",
               "Tiedosto1",
               {{"Caption", "Tiedosto"}},
               {{"TMenuItem",
                 "Asetukset1",
                 {{"Caption", "Asetukset"}, {"OnClick", Ident("BitBtn1Click")}}},
                {"TMenuItem",
                 "Valitys1",
                 {{"Caption", "V\xE4litys"}, {"OnClick", Ident("Valitys1Click")}}},
                {"TMenuItem",
                 "Seuranta1",
                 {{"Caption", "Seuranta"}, {"OnClick", Ident("Seuranta1Click")}}},
                {"TMenuItem",
                 "Sulje1",
                 {{"Caption", "Sulje"}, {"OnClick", Ident("Button1Click")}}}}},
              {"TMenuItem",
               "Apua1",
               {{"Caption", "Apua"}},
               {{"TMenuItem",
                 "Tietojaohjelmasta1",
                 {{"Caption", "Tietoja ohjelmasta"},
                  {"OnClick", Ident("Tietojaohjelmasta1Click")}}}}}}},
        }};
    return layout;
}

bool ReadConvProperty(TDdeClientConv& conv, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) {
    if (name == "DdeService") {
        conv.SetDdeService(value.AsString());
    } else if (name == "DdeTopic") {
        conv.SetDdeTopic(value.AsString());
    } else if (name == "ServiceApplication") {
        conv.SetServiceApplication(value.AsString());
    } else if (name == "OnClose") {
        conv.OnClose = reader.FindMethod<TNotifyEvent>(value);
    } else if (name == "OnOpen") {
        conv.OnOpen = reader.FindMethod<TNotifyEvent>(value);
    } else if (name == "LinkInfo") {
        conv.ReadLinkInfo(value.AsStrings());
    } else {
        return false;
    }
    return true;
}

bool ReadItemProperty(TDdeClientItem& item, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) {
    if (name == "DdeConv") {
        reader.Reference<TDdeClientConv>(value,
                                         [&item](TDdeClientConv* conv) { item.SetDdeConv(conv); });
    } else if (name == "Lines") {
        item.Lines() = value.AsStrings();
    } else if (name == "OnChange") {
        item.OnChange = reader.FindMethod<TNotifyEvent>(value);
    } else {
        return false;
    }
    return true;
}

namespace {

TCommEventType CommEventByName(const std::string& name) {
    static const char* const names[] = {"evBreak", "evCts",    "evDsr",    "evError",  "evRing",
                                        "evRlsd",  "evRxChar", "evRxFlag", "evTxEmpty"};
    for (int i = 0; i < 9; ++i) {
        if (name == names[i]) return static_cast<TCommEventType>(i);
    }
    throw EReadError("Invalid property value " + name);
}

}  // namespace

bool ReadCommProperty(TComm& comm, TLayoutReader&, const std::string& name,
                      const TLayoutValue& value) {
    if (name == "DeviceName") {
        comm.SetDeviceName(value.AsString());
    } else if (name == "MonitorEvents") {
        TCommEventTypes events;
        for (const std::string& member : value.AsSet()) events.Include(CommEventByName(member));
        comm.SetMonitorEvents(events);
    } else {
        return false;
    }
    return true;
}
