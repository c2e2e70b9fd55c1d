// What the program relies on in each control, checked the same way on the
// in-memory window system and on real windows (the wine test links this file
// with its own driver).
#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/seam.h"
#include "rtl/error_report.h"
#include "sample_form.h"
#include "ui_driver.h"

namespace {

class Controls : public ::testing::Test {
  protected:
    void SetUp() override { form->Show(); }

    // Collects what reaches the error report instead of the frame's box.
    void CatchReports() {
        ErrorReport::SetHandler([this](const std::exception_ptr& error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                reports.push_back(e.what());
            }
        });
    }
    void TearDown() override { ErrorReport::SetHandler(nullptr); }

    std::unique_ptr<TUiDriver> driver = MakeUiDriver();
    ScopedSeam<IWidgetSet> seam{&driver->Widgets()};
    std::unique_ptr<TSampleForm> form = std::make_unique<TSampleForm>(nullptr);
    std::vector<std::string> reports;
};

TEST_F(Controls, SpotViewCountsLinesButNotTheEmptyOneAfterTheLastLineEnd) {
    TRichEdit* view = form->memo1;
    EXPECT_EQ(view->LineCount(), 0);
    view->AppendLine("first");
    EXPECT_EQ(view->LineCount(), 1);
    view->AppendLine("second", clRed);
    EXPECT_EQ(view->LineCount(), 2);
    EXPECT_EQ(view->Line(0), "first");
    EXPECT_EQ(view->Line(1), "second");
    // An empty line followed by its line end is a line like any other.
    view->AppendLine("");
    EXPECT_EQ(view->LineCount(), 3);
    EXPECT_EQ(view->Line(2), "");
    view->AppendLine("fourth");
    EXPECT_EQ(view->LineCount(), 4);
    EXPECT_EQ(view->Line(3), "fourth");
}

TEST_F(Controls, EachLineKeepsTheColourItWasAppendedIn) {
    TRichEdit* view = form->memo1;
    const TColor colours[] = {clNavy, clRed, clRed, clNavy, MakeColor(0, 128, 0)};
    for (int i = 0; i < 5; ++i) view->AppendLine("line " + std::to_string(i), colours[i]);
    view->AppendLine("default colour");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(view->LineColor(i), colours[i]) << "line " << i;
    EXPECT_EQ(view->LineColor(5), clNavy);  // the font's colour
    view->AppendLine("one more red", clRed);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(view->LineColor(i), colours[i]) << "line " << i;
}

TEST_F(Controls, LinesReadBackExactlyWithoutTheirLineEnd) {
    TRichEdit* view = form->memo1;
    const std::string spot = " 14025.0 OH2BH        cq dx            OH1AA 1234Z  1.2.2026";
    const std::string finnish = "7 vihjett\xE4";
    const std::string wide(300, 'w');
    view->AppendLine(spot, clRed);
    view->AppendLine(finnish);
    view->AppendLine(wide);
    EXPECT_EQ(view->Line(0), spot);
    EXPECT_EQ(view->Line(1), finnish);
    EXPECT_EQ(view->Line(2), wide);
    // Each line end counts once toward the text's length.
    EXPECT_EQ(view->TextLength(), static_cast<int>(spot.size() + finnish.size() + wide.size()) + 3);
}

TEST_F(Controls, LineEndsInsideAnAppendedTextBreakTheLine) {
    TRichEdit* view = form->memo1;
    view->AppendLine("a\r\nb", clRed);
    view->AppendLine("c");
    ASSERT_EQ(view->LineCount(), 3);
    EXPECT_EQ(view->Line(0), "a");
    EXPECT_EQ(view->Line(1), "b");
    EXPECT_EQ(view->LineColor(1), clRed);
    EXPECT_EQ(view->Line(2), "c");
}

TEST_F(Controls, AnAppendBeyondTheTextLimitFailsWholeAndLeavesTheView) {
    TRichEdit* view = form->memo1;
    view->SetTextLimit(30);
    view->AppendLine("0123456789");  // 11 with its line end
    view->AppendLine("abcdefghij");
    try {
        view->AppendLine("ABCDEFGHIJ", clRed);
        FAIL() << "the third line does not fit";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(e.Message(), "RichEdit line insertion error");
    }
    EXPECT_EQ(view->LineCount(), 2);
    EXPECT_EQ(view->TextLength(), 22);
    EXPECT_EQ(view->Line(1), "abcdefghij");
    // Dropping the oldest line makes room again.
    view->DeleteFirstLines(1);
    view->AppendLine("ABCDEFGHIJ", clRed);
    EXPECT_EQ(view->LineCount(), 2);
    EXPECT_EQ(view->Line(0), "abcdefghij");
    EXPECT_EQ(view->Line(1), "ABCDEFGHIJ");
    EXPECT_EQ(view->LineColor(1), clRed);
}

// Many lines in one go: each as AppendLine would have put it, in its own
// colour, read back in one go; all or none within the text limit.
TEST_F(Controls, LinesAppendedInOneGoAreWhatAppendingEachWouldGive) {
    TRichEdit* view = form->memo1;
    view->AppendLine("before", clRed);
    const std::vector<TColoredLine> lines = {
        {" 14025 OH2BH  cq dx          OH1AA  1234  7.12.2026", clRed},
        {"7 vihjett\xE4 {x} \\par \\'41", clNavy},
        {"a\r\nb", MakeColor(0, 128, 0)},
        {"", clRed},
        {std::string(300, 'w'), clNavy},
    };
    view->AppendLines(lines);
    const std::vector<std::string> expected = {"before", lines[0].Text, lines[1].Text, "a", "b",
                                               "",       lines[4].Text};
    const TColor colours[] = {clRed, clRed, clNavy, MakeColor(0, 128, 0), MakeColor(0, 128, 0),
                              clRed, clNavy};
    ASSERT_EQ(view->LineCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(view->Line(i), expected[i]) << i;
        if (!expected[i].empty()) {
            EXPECT_EQ(view->LineColor(i), colours[i]) << i;
        }
    }
    EXPECT_EQ(view->LinesFrom(3), std::vector<std::string>(expected.begin() + 3, expected.end()));
    EXPECT_EQ(view->LinesFrom(7), std::vector<std::string>{});
    int length = 0;
    for (const std::string& line : expected) length += static_cast<int>(line.size()) + 1;
    EXPECT_EQ(view->TextLength(), length);
    view->AppendLine("after");
    EXPECT_EQ(view->LineColor(7), clNavy);
    EXPECT_EQ(view->LineColor(1), clRed);
    // A day's file put back: more lines than one insertion takes, in order,
    // each in its colour, nothing between them.
    std::vector<TColoredLine> many;
    std::vector<std::string> manyTexts;
    const TColor manyColours[] = {clRed, clNavy, MakeColor(0, 128, 0)};
    for (int i = 0; i < 250; ++i) {
        many.push_back({" 14025 OH2BH  line " + std::to_string(i), manyColours[i % 3]});
        manyTexts.push_back(many.back().Text);
    }
    view->AppendLines(many);
    EXPECT_EQ(view->LinesFrom(8), manyTexts);
    for (const int i : {0, 99, 100, 101, 200, 249})
        EXPECT_EQ(view->LineColor(8 + i), many[i].Color) << i;
    view->DeleteFirstLines(250);

    view->SetTextLimit(view->TextLength() + 20);
    EXPECT_THROW(view->AppendLines({{"0123456789", clRed}, {"0123456789", clRed}}),
                 EOutOfResources);
    EXPECT_EQ(view->LineCount(), 8);
    view->AppendLines({{"0123456789", clRed}});
    EXPECT_EQ(view->LinesFrom(8), std::vector<std::string>{"0123456789"});
}

// What the real view holds: every byte but a NUL, which cuts RichEdit's text,
// so a line with one is refused whole, alone or among others, and the view
// stays as it was.
TEST_F(Controls, ALineWithANulIsRefusedWholeAndEveryOtherByteGoesIn) {
    TRichEdit* view = form->memo1;
    view->AppendLine("before", clRed);
    const std::string nul("Q1AAA\0\0 tail", 12);
    EXPECT_THROW(view->AppendLine(nul, clNavy), EOutOfResources);
    EXPECT_THROW(view->AppendLine(std::string(1, '\0')), EOutOfResources);
    EXPECT_THROW(view->AppendLines({{"fits", clNavy}, {nul, clRed}}), EOutOfResources);
    EXPECT_THROW(view->AppendLines({{nul, clRed}, {"fits", clNavy}}), EOutOfResources);
    ASSERT_EQ(view->LineCount(), 1);
    EXPECT_EQ(view->Line(0), "before");
    EXPECT_EQ(view->TextLength(), 7);

    // 0x01 to 0xFF but the line ends, one by one and in one go.
    std::string every;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n') every += static_cast<char>(byte);
    view->AppendLine(every, clNavy);
    view->AppendLines({{every, clRed}, {"after", clNavy}});
    EXPECT_EQ(view->LinesFrom(0), (std::vector<std::string>{"before", every, every, "after"}));
    EXPECT_EQ(view->LineColor(2), clRed);
    EXPECT_EQ(view->TextLength(), 7 + 2 * static_cast<int>(every.size() + 1) + 6);
}

TEST_F(Controls, DeletingTheFirstLinesKeepsTheRestAndTheirColours) {
    TRichEdit* view = form->memo1;
    view->AppendLine("one", clRed);
    view->AppendLine("two");
    view->AppendLine("three", clRed);
    view->AppendLine("four");
    view->DeleteFirstLines(2);
    ASSERT_EQ(view->LineCount(), 2);
    EXPECT_EQ(view->Line(0), "three");
    EXPECT_EQ(view->LineColor(0), clRed);
    EXPECT_EQ(view->Line(1), "four");
    EXPECT_EQ(view->LineColor(1), clNavy);
    view->DeleteFirstLines(0);
    EXPECT_EQ(view->LineCount(), 2);
    view->DeleteFirstLines(10);
    EXPECT_EQ(view->LineCount(), 0);
    EXPECT_EQ(view->TextLength(), 0);
    view->AppendLine("again", clRed);
    EXPECT_EQ(view->LineCount(), 1);
    EXPECT_EQ(view->Line(0), "again");
    EXPECT_EQ(view->LineColor(0), clRed);
}

TEST_F(Controls, ALineOutsideTheViewIsAnError) {
    TRichEdit* view = form->memo1;
    view->AppendLine("only");
    EXPECT_THROW(view->Line(1), EStringListError);
    EXPECT_THROW(view->Line(-1), EStringListError);
    EXPECT_THROW(view->LineColor(1), EStringListError);
    try {
        view->Line(5);
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
}

TEST_F(Controls, ComboBoxesKeepFreeTextOfAnyLength) {
    EXPECT_EQ(form->ComboBox1->Text(), "ComboBox1");
    EXPECT_EQ(form->ComboBox2->Text(), "ComboBox1");
    EXPECT_EQ(driver->ShownText(form->ComboBox2), "ComboBox1");
    driver->TypeText(form->ComboBox1, "abc");
    EXPECT_EQ(form->ComboBox1->Text(), "abc");
    driver->TypeText(form->ComboBox2, "14000 ");
    EXPECT_EQ(form->ComboBox2->Text(), "14000 ");
    const std::string longText = std::string(40000, '7') + "end";
    form->ComboBox1->SetText(longText);
    EXPECT_EQ(form->ComboBox1->Text(), longText);
    form->ComboBox1->SetText("Com10");
    EXPECT_EQ(form->ComboBox1->Text(), "Com10");
    EXPECT_EQ(form->ComboBox2->Items().front(), "1800");
    EXPECT_EQ(form->ComboBox2->Items().back(), "432000");
    form->ComboBox2->SetItemIndex(3);
    EXPECT_EQ(form->ComboBox2->Text(), "10000");
}

TEST_F(Controls, CheckBoxTellsWhatTheUserLeftIt) {
    TCheckBox* box = form->CheckBox1;
    EXPECT_FALSE(box->Checked());
    driver->Click(box);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(box->Checked());  // asking again changes nothing
    EXPECT_EQ(form->log, (std::vector<std::string>{"FormResize", "FormShow", "CheckBox1Click"}));
    box->SetChecked(false);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(driver->ShownText(box), "Ohjaa porttiin");
}

TEST_F(Controls, LabelsShowTheirCaptionAndTakeItsSize) {
    TLabel* label = form->Label3;
    EXPECT_EQ(driver->ShownText(label), "Label3");
    const TBounds before = driver->ShownBounds(label);
    label->SetCaption("Alkoi: 1.2.2026 12:34:56");
    const TBounds after = driver->ShownBounds(label);
    EXPECT_EQ(driver->ShownText(label), "Alkoi: 1.2.2026 12:34:56");
    EXPECT_GT(after.Width, before.Width);
    EXPECT_EQ(after.Height, before.Height);
    EXPECT_EQ(after.Left, 120);
    EXPECT_EQ(after.Top, 280);
    EXPECT_EQ(label->Width(), after.Width);
    // An empty caption keeps a line's height.
    label->SetCaption("");
    EXPECT_GT(driver->ShownBounds(label).Width, 0);
    EXPECT_EQ(driver->ShownBounds(label).Height, before.Height);
    // A label that does not size itself keeps the layout's size.
    EXPECT_EQ(driver->ShownBounds(form->Label2), (TBounds{0, 294, 51, 13}));
}

TEST_F(Controls, HiddenLabelShowsOnlyWhileVisible) {
    TLabel* link = form->Label2;
    EXPECT_FALSE(link->Visible());
    EXPECT_FALSE(driver->Showing(link));
    link->Show();
    EXPECT_TRUE(driver->Showing(link));
    EXPECT_EQ(driver->ShownText(link), "DDE link");
    link->Hide();
    EXPECT_FALSE(driver->Showing(link));
}

TEST_F(Controls, ControlsStandWhereTheLayoutPutsThem) {
    EXPECT_EQ(driver->ShownClientSize(form.get()), (TExtent{433, 314}));
    EXPECT_EQ(form->ClientWidth(), 433);
    EXPECT_EQ(form->ClientHeight(), 314);
    EXPECT_EQ(driver->ShownBounds(form->memo1), (TBounds{0, 0, 433, 200}));
    EXPECT_EQ(driver->ShownBounds(form->ComboBox1), (TBounds{8, 224, 105, 21}));
    EXPECT_EQ(driver->ShownBounds(form->ComboBox2), (TBounds{120, 224, 105, 21}));
    EXPECT_EQ(driver->ShownBounds(form->CheckBox1), (TBounds{240, 226, 105, 17}));
    EXPECT_EQ(driver->ShownBounds(form->BitBtn2), (TBounds{357, 284, 75, 25}));
    EXPECT_EQ(driver->ShownText(form->BitBtn1), "OK");
    EXPECT_EQ(driver->ShownText(form->Label1), "Taajuus yl\xE4raja");
    // The tab order comes from the layout, not from the order of the table.
    EXPECT_EQ(form->memo1->TabOrder(), 0);
    EXPECT_EQ(form->ComboBox1->TabOrder(), 1);
    EXPECT_EQ(form->ComboBox2->TabOrder(), 2);
    EXPECT_EQ(form->BitBtn2->TabOrder(), 5);
    EXPECT_EQ(form->Label1->TabOrder(), -1);
}

TEST_F(Controls, ClicksAndMenuChoicesReachTheirHandlers) {
    form->log.clear();
    driver->Click(form->BitBtn1);
    driver->ChooseMenu(form.get(), {"Tiedosto", "Asetukset"});
    driver->Click(form->BitBtn2);
    driver->ChooseMenu(form.get(), {"Tiedosto", "Sulje"});
    EXPECT_EQ(form->log, (std::vector<std::string>{"BitBtn1Click", "Asetukset1Click",
                                                   "BitBtn2Click", "Sulje1Click"}));
}

TEST_F(Controls, ACaptionChangeOfAMenuItemReachesTheMenuBar) {
    form->Asetukset1->SetCaption("Muuta");
    form->log.clear();
    driver->ChooseMenu(form.get(), {"Tiedosto", "Muuta"});
    EXPECT_EQ(form->log, (std::vector<std::string>{"Asetukset1Click"}));
}

TEST_F(Controls, CloseBoxRunsOnCloseAndCarriesOutItsAction) {
    form->closeAction = TCloseAction::caNone;
    driver->PressCloseBox(form.get());
    EXPECT_EQ(form->log.back(), "FormClose");
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(driver->FormShowing(form.get()));
    form->closeAction = TCloseAction::caHide;
    driver->PressCloseBox(form.get());
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(driver->FormShowing(form.get()));
}

TEST_F(Controls, AnErrorInAHandlerIsReportedAndTheNextClickWorks) {
    CatchReports();
    form->onHandler = [](const std::string& handler) {
        if (handler == "BitBtn1Click") throw Exception("'x' is not a valid integer value");
    };
    form->log.clear();
    driver->Click(form->BitBtn1);
    driver->Click(form->BitBtn2);
    EXPECT_EQ(reports, (std::vector<std::string>{"'x' is not a valid integer value"}));
    EXPECT_EQ(form->log, (std::vector<std::string>{"BitBtn1Click", "BitBtn2Click"}));
}

}  // namespace
