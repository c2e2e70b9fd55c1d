// TApplication: the application frame — its title, its forms, the message
// loop and the error report.
//
// One instance, made on the main thread at start-up after the widget set is
// installed, and deleted at the end of the run; it owns the forms made by
// CreateForm and deletes them first in its destructor. While it exists it is
// the handler of ErrorReport (what escapes an event handler or a callback
// comes to HandleException) and MainThread's wake-up (a synchronised call from
// another thread posts a call into the message loop, which runs the queue).
//
// The error report: any mouse capture is cancelled; the silent EAbort is
// ignored; any other exception's message is shown with ErrorReportText's "."
// rule in a message box with the title as caption, an error icon and one OK;
// then the loop goes on.
//
// One box per text at a time: a box's own loop goes on dispatching, so a
// failure that repeats while its box is open (a port gone, a refused limit)
// would otherwise stack a box, and a nested loop, per repeat. A report or
// plain message whose text is that of a box still open is dropped, not
// queued; once that box is closed the text is shown again.
//
// Start-up, in the program's entry point (the widget set outlives the frame):
//   TWin32WidgetSet widgets(instance);
//   ScopedSeam<IWidgetSet> seam(&widgets);
//   TApplication application(nullptr, widgets);   // before the first form
//   application.SetTitle("Vareli");
//   SetProcessMessages([&] { application.ProcessMessages(); });   // tone waits
//   ddeManager.SetWindowCaptions([&] { return application.FormCaptions(); });
//   application.CreateForm(Form1);   // the main form
//   application.CreateForm(Form3);
//   application.Run();
//
// Main thread only.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "rtl/classes.h"
#include "rtl/error_report.h"
#include "ui/form.h"
#include "ui/widget_set.h"

class TApplication : public TComponent {
  public:
    TApplication(TComponent* AOwner, IWidgetSet& widgets);
    ~TApplication() override;

    const char* ClassName() const override { return "TApplication"; }

    // The caption of the frame's message boxes.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Makes a form of class T owned by the application and points reference
    // at it; the first form made becomes the main form.
    template <class T>
    void CreateForm(T*& reference) {
        T* form = new T(this);
        reference = form;
        if (mainForm_ == nullptr) mainForm_ = form;
    }
    TForm* MainForm() const { return mainForm_; }
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TForm* Forms(int index) const { return forms_.at(index); }
    // Whether one of the forms has that caption; all their captions.
    bool IsFormCaption(const std::string& caption) const;
    std::vector<std::string> FormCaptions() const;

    // Shows the main form as the start request asks (minimised without
    // activation for 2, 6, 7 and 11, maximised for 3, else normally) and runs
    // the message loop until Terminate. What the loop's work raises has been
    // reported at its boundary already.
    void Run();
    // Dispatches one message, waiting for one when none is waiting.
    void HandleMessage();
    // Dispatches every waiting message, then returns.
    void ProcessMessages();
    // Asks the loop to end; Terminated becomes true when the request arrives.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The error report (see above).
    void HandleException(const std::exception_ptr& error);
    // A plain message box: the title as caption, the text, one OK, no icon;
    // dropped like a report while a box with that text is open.
    void ShowMessage(const std::string& text);

    IWidgetSet& WidgetSet() const { return widgets_; }

  private:
    friend class TForm;
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);
    void ShowBox(const std::string& text, TMessageBoxIcon icon);

    IWidgetSet& widgets_;
    std::string title_;
    TForm* mainForm_ = nullptr;
    std::vector<TForm*> forms_;
    bool terminated_ = false;
    std::vector<std::string> openBoxTexts_;  // the boxes open now, outermost first
    ErrorReport::Handler previousHandler_;
};
