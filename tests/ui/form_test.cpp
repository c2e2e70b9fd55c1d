// Forms on the in-memory window system: reading a stored layout, the first
// show, resizing, the close actions and modal dialogs with nested loops.
#include "ui/form.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/seam.h"
#include "sample_form.h"
#include "ui/application.h"
#include "ui/memory/memory_widget_set.h"

namespace {

std::vector<std::string>& ProbeLog() {
    static std::vector<std::string> log;
    return log;
}

// A component from outside the toolkit (like the DDE conversation): it does
// not read its own properties and acts when loading ends.
class TProbe : public TComponent {
  public:
    explicit TProbe(TComponent* owner) : TComponent(owner) {}
    void Loaded() override {
        TComponent::Loaded();
        ProbeLog().push_back("loaded " + Name() + (peer != nullptr ? " with " + peer->Name() : ""));
        RaiseEvent(OnOpen, this);
    }
    TProbe* peer = nullptr;
    TNotifyEvent OnOpen;
};

bool ProbeProperties(TProbe& probe, TLayoutReader& reader, const std::string& name,
                     const TLayoutValue& value) {
    if (name == "Alpha" || name == "Beta") {
        ProbeLog().push_back(probe.Name() + "." + name + "=" + value.AsString() +
                             (probe.Loading() ? " loading" : ""));
    } else if (name == "Peer") {
        reader.Reference<TProbe>(value, [&probe](TProbe* target) { probe.peer = target; });
    } else if (name == "OnOpen") {
        probe.OnOpen = reader.FindMethod<TNotifyEvent>(value);
    } else {
        return false;
    }
    return true;
}

class TProbeForm : public TForm {
  public:
    TProbeForm(TComponent* owner, const TLayoutObject& layout) : TForm(owner) {
        TLayoutReader reader(this);
        reader.Field("A", &A, TPropertySetter<TProbe>(ProbeProperties));
        reader.Field("B", &B, TPropertySetter<TProbe>(ProbeProperties));
        reader.Field("Label1", &Label1);
        reader.Field("Label2", &Label2);
        reader.Method("ProbeOpen", this, &TProbeForm::ProbeOpen);
        reader.Method("FormClose", this, &TProbeForm::FormClose);
        reader.Read(layout);
    }
    const char* ClassName() const override { return "TProbeForm"; }
    void Loaded() override {
        TForm::Loaded();
        ProbeLog().push_back("loaded form");
    }
    void ProbeOpen(TObject*) {
        ProbeLog().push_back("open");
        Label1->Show();
    }
    void FormClose(TObject*, TCloseAction&) {}

    TProbe* A = nullptr;
    TProbe* B = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
};

class Forms : public ::testing::Test {
  protected:
    Forms() {
        ProbeLog().clear();
        app.SetTitle("Vareli");
    }
    std::string ReadError(const TLayoutObject& layout) {
        try {
            TProbeForm form(nullptr, layout);
        } catch (const EReadError& e) {
            return e.Message();
        }
        return "no error";
    }

    TMemoryWidgetSet widgets;
    ScopedSeam<IWidgetSet> seam{&widgets};
    TApplication app{nullptr, widgets};
};

TEST_F(Forms, LayoutIsAppliedInStreamOrderWhileLoadingThenLoadedEndsIt) {
    const TLayoutObject layout{
        "TProbeForm",
        "ProbeForm",
        {{"Caption", "Probe"}},
        {{"TProbe",
          "A",
          {{"Alpha", "1"}, {"Beta", "2"}, {"Peer", Ident("B")}, {"OnOpen", Ident("ProbeOpen")}}},
         {"TLabel", "Label1", {{"Caption", "DDE link"}, {"Visible", false}}},
         {"TProbe", "B", {{"Alpha", "3"}}}}};
    TProbeForm form(nullptr, layout);
    // A's reference to B, which comes later, is there when A's loading ends;
    // its open event reaches a label that was still being read at that time.
    EXPECT_EQ(ProbeLog(), (std::vector<std::string>{"A.Alpha=1 loading", "A.Beta=2 loading",
                                                    "B.Alpha=3 loading", "loaded A with B", "open",
                                                    "loaded B", "loaded form"}));
    EXPECT_FALSE(form.Loading());
    EXPECT_FALSE(form.A->Loading());
    EXPECT_EQ(form.Name(), "ProbeForm");
    EXPECT_EQ(form.FindComponent("B"), form.B);
    EXPECT_EQ(form.A->Owner(), &form);
    EXPECT_TRUE(form.Label1->Visible());
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(form.Label1).visible);
    EXPECT_EQ(TMemoryWidgetSet::PeerOf(&form).className, "TProbeForm");
}

TEST_F(Forms, LayoutMistakesNameWhatIsWrong) {
    auto withLabel = [](std::vector<TLayoutProperty> properties) {
        return TLayoutObject{
            "TProbeForm", "ProbeForm", {}, {{"TLabel", "Label1", std::move(properties)}}};
    };
    EXPECT_EQ(ReadError(withLabel({{"Capton", "x"}})),
              "Error reading Label1.Capton: Property does not exist");
    EXPECT_EQ(ReadError(withLabel({{"Left", "8"}})),
              "Error reading Label1.Left: Invalid property value");
    EXPECT_EQ(ReadError(withLabel({{"Color", Ident("clNavvy")}})),
              "Error reading Label1.Color: Invalid property value");
    EXPECT_EQ(ReadError(withLabel({{"OnClick", Ident("Label1Click")}})),
              "Error reading Label1.OnClick: Method Label1Click does not exist");
    EXPECT_EQ(ReadError(withLabel({{"OnClick", Ident("FormClose")}})),
              "Error reading Label1.OnClick: Method FormClose does not fit the event");
    EXPECT_EQ(ReadError({"TProbeForm", "ProbeForm", {}, {{"TLabel", "Label9", {}}}}),
              "Error reading ProbeForm: no field for Label9 (TLabel)");
    EXPECT_EQ(ReadError({"TProbeForm", "ProbeForm", {}, {{"TProbe", "A", {{"Peer", Ident("C")}}}}}),
              "Error reading ProbeForm: component C does not exist");
    EXPECT_EQ(
        ReadError(
            {"TProbeForm", "ProbeForm", {}, {{"TLabel", "Label1", {}}, {"TLabel", "Label1", {}}}}),
        "A component named Label1 already exists");
    EXPECT_EQ(ReadError({"TProbeForm", "ProbeForm", {{"PixelsPerInch", 120}}, {}}),
              "Error reading ProbeForm.PixelsPerInch: Only layouts made at 96 dpi are read");
}

TEST_F(Forms, ControlsFollowTheFormsFontUntilGivenTheirOwn) {
    const TLayoutObject layout{"TProbeForm",
                               "ProbeForm",
                               {{"Font.Name", "MS Sans Serif"}, {"Font.Height", -11}},
                               {{"TLabel", "Label1", {{"Caption", "plain"}}},
                                {"TLabel",
                                 "Label2",
                                 {{"Caption", "own"},
                                  {"Font.Name", "Terminal"},
                                  {"Font.Height", -13},
                                  {"Font.Style", SetOf({"fsBold"})}}}}};
    TProbeForm form(nullptr, layout);
    EXPECT_TRUE(form.Label1->ParentFont());
    EXPECT_FALSE(form.Label2->ParentFont());
    const TFontData& own = TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(form.Label2).font;
    EXPECT_EQ(own.Name, "Terminal");
    EXPECT_EQ(own.Height, -13);
    EXPECT_EQ(own.Style, static_cast<TFontStyles>(fsBold));
    form.Font()->SetHeight(-16);
    EXPECT_EQ(TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(form.Label1).font.Height, -16);
    EXPECT_EQ(TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(form.Label2).font.Height, -13);
    // The auto-sized label took the new font's size.
    EXPECT_EQ(form.Label1->Height(), 18);
}

TEST_F(Forms, ClientSizeIsMeasuredUnderTheMenuBar) {
    TSampleForm form(nullptr);
    EXPECT_EQ(form.BoundsRect(), (TBounds{220, 166, 441, 360}));
    EXPECT_EQ(form.ClientHeight(), 314);
    // Taking the menu bar away gives its height to the client area.
    form.SetMenu(nullptr);
    EXPECT_EQ(form.ClientHeight(), 334);
    EXPECT_EQ(form.Height(), 360);
}

TEST_F(Forms, FirstShowRunsTheResizeRuleAndOnShowOnce) {
    TSampleForm form(nullptr);
    form.SetHeight(400);  // before the first show: not reported
    EXPECT_TRUE(form.log.empty());
    form.Show();
    form.Show();
    EXPECT_EQ(form.log, (std::vector<std::string>{"FormResize", "FormShow"}));
    form.log.clear();
    widgets.ResizeForm(&form, 441, 460);
    form.SetBounds(form.Left(), form.Top(), 441, 460);  // same size: nothing
    form.SetLeft(10);                                   // a move: nothing
    form.SetWidth(600);
    EXPECT_EQ(form.log, (std::vector<std::string>{"FormResize", "FormResize"}));
    EXPECT_EQ(form.Height(), 460);
    EXPECT_EQ(form.ClientHeight(), 414);
    // Hidden and shown again, it is shown anew.
    form.Hide();
    form.Show();
    EXPECT_EQ(form.log.back(), "FormShow");
}

TEST_F(Forms, ANegativeControlSizeIsTakenAsZero) {
    TSampleForm form(nullptr);
    form.memo1->SetHeight(-5);
    EXPECT_EQ(form.memo1->Height(), 0);
    EXPECT_EQ(TMemoryWidgetSet::PeerOf<TMemoryRichEditPeer>(form.memo1).bounds.Height, 0);
}

TEST_F(Forms, AControlOwnedElsewhereOutlivesItsFormSafely) {
    auto form = std::make_unique<TSampleForm>(nullptr);
    auto label = std::make_unique<TLabel>(nullptr);
    label->SetParent(form.get());
    label->SetCaption("stray");
    EXPECT_NE(label->Peer(), nullptr);
    EXPECT_EQ(form->ControlCount(), 10);
    form.reset();
    // The form took its window and the label's with it; the label goes on alone.
    EXPECT_EQ(label->Parent(), nullptr);
    EXPECT_EQ(label->Peer(), nullptr);
    label->SetCaption("still here");
    EXPECT_EQ(label->Caption(), "still here");
}

TEST_F(Forms, CloseCarriesOutTheActionOnClosePicks) {
    TSampleForm* main = nullptr;
    TSampleForm* other = nullptr;
    app.CreateForm(main);
    app.CreateForm(other);
    other->Show();
    other->closeAction = TCloseAction::caNone;
    other->Close();
    EXPECT_TRUE(other->Visible());
    other->closeAction = TCloseAction::caMinimize;
    other->Close();
    EXPECT_EQ(other->WindowState(), TWindowState::wsMinimized);
    EXPECT_TRUE(other->Visible());
    other->closeAction = TCloseAction::caHide;
    other->Close();
    EXPECT_FALSE(other->Visible());
    other->closeAction = TCloseAction::caFree;
    other->Show();
    other->Close();
    EXPECT_EQ(app.FormCount(), 2);  // freed from the loop, not inside its own handler
    app.ProcessMessages();
    EXPECT_EQ(app.FormCount(), 1);
    // Closing the main form ends the program whatever the action.
    main->Show();
    main->Close();
    app.ProcessMessages();
    EXPECT_TRUE(app.Terminated());
}

TEST_F(Forms, AFailingOnCloseCalledByTheProgramReachesTheCallerAndTheFormStays) {
    TSampleForm form(nullptr);
    form.Show();
    form.onHandler = [](const std::string& handler) {
        if (handler == "FormClose") throw EInOutError(5);
    };
    EXPECT_THROW(form.Close(), EInOutError);
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(widgets.messageBoxes.empty());
}

class Modal : public Forms {
  protected:
    Modal() {
        app.CreateForm(main);
        app.CreateForm(dialog);
        main->Show();
        // The dialog's OK button closes it, as a settings dialog's does.
        dialog->onHandler = [this](const std::string& handler) {
            if (handler == "BitBtn1Click") dialog->Close();
        };
    }
    TSampleForm* main = nullptr;
    TSampleForm* dialog = nullptr;
};

TEST_F(Modal, DialogDisablesTheOtherFormsUntilItsOkCloseGoesThrough) {
    bool checked = false;
    widgets.PostCall([&] {
        EXPECT_TRUE(dialog->Visible());
        EXPECT_TRUE(dialog->Modal());
        EXPECT_FALSE(TMemoryWidgetSet::PeerOf(main).enabled);
        EXPECT_THROW(widgets.ChooseMenu(main, {"Tiedosto", "Asetukset"}), std::logic_error);
        widgets.Click(dialog->BitBtn1);
        checked = true;
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(TMemoryWidgetSet::PeerOf(dialog).visible);
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(main).enabled);
    EXPECT_EQ(dialog->log,
              (std::vector<std::string>{"FormResize", "FormShow", "BitBtn1Click", "FormClose"}));
    EXPECT_TRUE(main->log.size() == 2u && main->log.back() == "FormShow");
}

TEST_F(Modal, CloseBoxAndSystemMenuCloseTheDialogTheSameWay) {
    widgets.PostCall([&] { widgets.PressCloseBox(dialog); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    widgets.PostCall([&] { widgets.SystemMenuClose(dialog); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(std::count(dialog->log.begin(), dialog->log.end(), "FormClose"), 2);
    EXPECT_FALSE(dialog->Visible());
}

TEST_F(Modal, AFailingCloseKeepsTheDialogOpenAndIsReported) {
    int failures = 2;
    dialog->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn1Click") dialog->Close();
        if (handler == "FormClose" && failures-- > 0) throw EInOutError(32);
    };
    widgets.PostCall([&] { widgets.Click(dialog->BitBtn1); });
    widgets.PostCall([&] {
        EXPECT_TRUE(dialog->Visible());
        EXPECT_EQ(widgets.messageBoxes.size(), 1u);
        widgets.PressCloseBox(dialog);
    });
    widgets.PostCall([&] {
        EXPECT_TRUE(dialog->Visible());
        widgets.Click(dialog->BitBtn1);
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(std::count(dialog->log.begin(), dialog->log.end(), "FormClose"), 3);
    ASSERT_EQ(widgets.messageBoxes.size(), 2u);
    EXPECT_EQ(widgets.messageBoxes[0].Text, "I/O error 32.");
    EXPECT_EQ(widgets.messageBoxes[0].Caption, "Vareli");
    EXPECT_EQ(widgets.messageBoxes[0].Icon, TMessageBoxIcon::miError);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(main).enabled);
}

TEST_F(Modal, DialogsNestAndEachLoopEndsWithItsOwnDialog) {
    TSampleForm* inner = nullptr;
    app.CreateForm(inner);
    inner->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn1Click") inner->Close();
    };
    std::vector<std::string> steps;
    dialog->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn2Click") {
            widgets.PostCall([&] {
                steps.push_back(
                    std::string("inner open, outer ") +
                    (TMemoryWidgetSet::PeerOf(dialog).enabled ? "enabled" : "disabled"));
                widgets.Click(inner->BitBtn1);
            });
            inner->ShowModal();
            steps.push_back(std::string("inner closed, outer ") +
                            (TMemoryWidgetSet::PeerOf(dialog).enabled ? "enabled" : "disabled") +
                            ", main " +
                            (TMemoryWidgetSet::PeerOf(main).enabled ? "enabled" : "disabled"));
            widgets.PostCall([&] { widgets.Click(dialog->BitBtn1); });
        }
        if (handler == "BitBtn1Click") dialog->Close();
    };
    widgets.PostCall([&] { widgets.Click(dialog->BitBtn2); });
    dialog->ShowModal();
    EXPECT_EQ(steps, (std::vector<std::string>{"inner open, outer disabled",
                                               "inner closed, outer enabled, main disabled"}));
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(main).enabled);
    EXPECT_FALSE(inner->Visible());
    EXPECT_FALSE(dialog->Visible());
}

TEST_F(Modal, AMessageBoxInsideTheDialogLetsWaitingMessagesRun) {
    std::vector<std::string> seen;
    widgets.OnMessageBox = [&](const TMemoryMessageBox&) { app.ProcessMessages(); };
    dialog->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn2Click") {
            widgets.PostCall([&] {
                seen.push_back("ran with " + std::to_string(widgets.openMessageBoxes) +
                               " box open");
            });
            app.ShowMessage("Error writing to: Com2");
            seen.push_back("box closed");
            widgets.PostCall([&] { widgets.Click(dialog->BitBtn1); });
        }
        if (handler == "BitBtn1Click") dialog->Close();
    };
    widgets.PostCall([&] { widgets.Click(dialog->BitBtn2); });
    dialog->ShowModal();
    EXPECT_EQ(seen, (std::vector<std::string>{"ran with 1 box open", "box closed"}));
    EXPECT_EQ(widgets.messageBoxes.size(), 1u);
}

TEST_F(Modal, EndingTheProgramEndsTheModalLoop) {
    widgets.PostCall([&] { app.Terminate(); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(TMemoryWidgetSet::PeerOf(main).enabled);
}

TEST_F(Modal, AVisibleFormCannotBeShownModally) {
    EXPECT_THROW(main->ShowModal(), EInvalidOperation);
    EXPECT_TRUE(main->Visible());
}

}  // namespace
