// The spot view's trimming in wine's real RichEdit, through the main window:
// the program's windows built as at start-up on the real Win32 widget set,
// the view filled fast to just under its maximum, then new spots delivered
// through the DDE item's change event, as the link delivers them. Shows that
// the oldest lines go, that the counter and its label stay right, and that a
// dropped row is taken as new again while a shown one is not.
//
// The decoder is absent: every connect fails and its start command is not
// found, without asking the system. Any decoder simulator of another test in
// the same wine session is thus never reached, and nothing is started.
// Message boxes are recorded instead of shown, so none is left waiting and
// every error the frame would have reported is seen.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "asetus/settings_dialog.h"
#include "bench/win32/null_speaker.h"
#include "platform/seam.h"
#include "platform/win32/comm_win32.h"
#include "platform/win32/ddeml_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/sync_win32.h"
#include "platform/win32/threads_win32.h"
#include "rtl/date_time_text.h"
#include "rtl/main_thread.h"
#include "ui/win32/widget_set_win32.h"
#include "vareli/program.h"
#include "vplusdde/main_window.h"
#include "win32_windows.h"

namespace {

// A block of the decoder's page. The fill stops one block short of the
// maximum: the first block reaches it, the next passes it.
constexpr int kBlockRows = 19;
constexpr int kFilled = SpotView::kMaxLines - kBlockRows;
// Wine's RichEdit takes one insertion of many lines in a time that grows with
// the square of their number; parts of 2,000 go in seconds.
constexpr int kFillPart = 2000;

// A 42-character spot row unique to its serial (0 <= serial < 100,000),
// inside the band, never an "OH" call.
std::string Row(int serial) {
    char row[64];
    std::snprintf(row, sizeof row, "%6d Q%05d %-15s%-6s %04d  ", 1800 + serial % 28000, serial,
                  "view", "Q9ZZZ", serial % 10000);
    return row;
}

class NoDecoderDdeml : public Win32Ddeml {
  public:
    std::uintptr_t DdeConnect(std::uint32_t, std::uintptr_t, std::uintptr_t,
                              const DdeConvContext*) override {
        return 0;
    }
    std::uint32_t WinExec(const char*, std::uint32_t) override { return ERROR_FILE_NOT_FOUND; }
};

class BoxRecordingWidgetSet : public TWin32WidgetSet {
  public:
    using TWin32WidgetSet::TWin32WidgetSet;
    std::vector<std::string> boxes;
    void MessageBoxA(const std::string& text, const std::string&, TMessageBoxIcon) override {
        boxes.push_back(text);
    }
};

// A fresh working folder under %TEMP% holding a vareli.ini with the band wide
// open and forwarding off; removed afterwards.
class WorkingFolder {
  public:
    WorkingFolder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "vareli-view-" + std::to_string(GetCurrentProcessId());
        GetCurrentDirectoryA(sizeof previous_, previous_);
        CreateDirectoryA(folder_.c_str(), nullptr);
        ready_ = SetCurrentDirectoryA(folder_.c_str()) != 0 && WriteSettings();
    }
    ~WorkingFolder() {
        SetCurrentDirectoryA(previous_);
        DeleteFileA((folder_ + "\\vareli.ini").c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    bool Ready() const { return ready_; }

  private:
    static bool WriteSettings() {
        const std::string ini = "[COMPort]Com1\r\n[AlaMHZ]0\r\n[YlaMHZ]500000\r\n[Com]0\r\n";
        HANDLE file = CreateFileA("vareli.ini", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok =
            WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr) != 0 &&
            written == ini.size();
        CloseHandle(file);
        return ok;
    }

    std::string folder_;
    char previous_[MAX_PATH] = {};
    bool ready_ = false;
};

// The whole text as the named file in the working folder.
bool PutFile(const char* name, const std::string& text) {
    HANDLE file =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
        written == text.size();
    CloseHandle(file);
    return ok;
}

std::string ExeFileName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

class SpotViewOnWine : public ::testing::Test {
  protected:
    SpotViewOnWine() { MainThread::SetCurrentAsMain(); }

    void SetUp() override {
        ASSERT_TRUE(folder.Ready());
        program = std::make_unique<VareliProgram>(widgets, ExeFileName());
        form1 = program->Form1;
        form1->Show();
        program->Application().ProcessMessages();
        view = form1->memo1;
        today = DateToStr(locale.GetLocalTime());
    }

    void TearDown() override {
        if (program) {
            form1->Close();
            program->Application().ProcessMessages();
            program.reset();
        }
        EXPECT_EQ(widgets.boxes, std::vector<std::string>{}) << "no message box appears";
    }

    // Straight into the control, as the benchmark fills it: many lines per
    // append, each a spot line in navy.
    void Fill(const std::vector<std::string>& lines) {
        for (std::size_t first = 0; first < lines.size(); first += kFillPart) {
            std::string text;
            for (std::size_t i = first; i < lines.size() && i < first + kFillPart; ++i) {
                if (i > first) text += "\r\n";
                text += lines[i];
            }
            view->AppendLine(text, clNavy);
        }
        program->Application().ProcessMessages();
    }

    // As the DDE link delivers a block: the text as the item's only line,
    // then the item's change event.
    void Deliver(const std::vector<std::string>& rows) {
        std::string text;
        for (const std::string& row : rows) text += row;
        form1->DdeClientItem1->Lines().assign(1, text);
        form1->DdeClientItem1->NotifyChange();
        program->Application().ProcessMessages();
    }

    std::string ShownCount() const { return WindowText(WindowOf(form1->Label4)); }

    Win32Locale locale;
    Win32ThreadControl threads;
    Win32Files files;
    Win32Sync sync;
    Win32Comm comm;
    NullSpeaker speaker;
    NoDecoderDdeml ddeml;
    ScopedSeam<ILocale> localeSeam{&locale};
    ScopedSeam<IThreadControl> threadSeam{&threads};
    ScopedSeam<IFiles> filesSeam{&files};
    ScopedSeam<ISync> syncSeam{&sync};
    ScopedSeam<IComm> commSeam{&comm};
    ScopedSeam<ISpeaker> speakerSeam{&speaker};
    ScopedSeam<IDdeml> ddemlSeam{&ddeml};
    BoxRecordingWidgetSet widgets{GetModuleHandleA(nullptr)};
    ScopedSeam<IWidgetSet> widgetSeam{&widgets};
    WorkingFolder folder;
    std::unique_ptr<VareliProgram> program;
    TForm1* form1 = nullptr;
    TRichEdit* view = nullptr;
    std::string today;
};

TEST_F(SpotViewOnWine, PastTheMaximumTheOldestLinesGoAndTheirRowsAreNewAgain) {
    // The first show loaded the band from the settings file.
    ASSERT_EQ(program->Form3->ComboBox1->Text(), "0");
    ASSERT_EQ(program->Form3->ComboBox2->Text(), "500000");
    ASSERT_FALSE(program->Form3->CheckBox1->Checked());
    ASSERT_EQ(view->LineCount(), 0);

    std::vector<std::string> filled;
    filled.reserve(kFilled);
    for (int i = 0; i < kFilled; ++i) filled.push_back(Row(i) + today);
    Fill(filled);
    ASSERT_EQ(view->LineCount(), kFilled);
    ASSERT_EQ(view->Line(kFilled - 1), filled.back());

    std::vector<std::string> first, second;
    for (int i = 0; i < kBlockRows; ++i) {
        first.push_back(Row(50000 + i));
        second.push_back(Row(60000 + i));
    }
    // Up to the maximum itself nothing goes.
    EXPECT_NO_THROW(Deliver(first));
    ASSERT_EQ(view->LineCount(), SpotView::kMaxLines);
    EXPECT_EQ(view->Line(0), filled[0]);
    EXPECT_EQ(ShownCount(), "19 vihjett\xE4");

    // Past it, at the block's first row, the oldest lines go at once; the
    // rows after it are appended to what remains.
    EXPECT_NO_THROW(Deliver(second));
    const int trimmed = SpotView::kMaxLines + kBlockRows - SpotView::kTrimBy;
    ASSERT_EQ(view->LineCount(), trimmed);
    EXPECT_EQ(view->Line(0), filled[SpotView::kTrimBy]);
    EXPECT_EQ(view->Line(kFilled - SpotView::kTrimBy - 1), filled.back());
    for (int i = 0; i < kBlockRows; ++i) {
        EXPECT_EQ(view->Line(trimmed - 2 * kBlockRows + i), first[i] + today) << "row " << i;
        EXPECT_EQ(view->Line(trimmed - kBlockRows + i), second[i] + today) << "row " << i;
    }
    EXPECT_EQ(form1->SpotCounter(), 2 * kBlockRows);
    EXPECT_EQ(ShownCount(), "38 vihjett\xE4");

    // Rows of dropped lines (the first and the last dropped) are new again;
    // rows still shown (the new first line, one in the middle, one of each
    // block) are not.
    const std::vector<std::string> again{
        filled[0].substr(0, 42),
        filled[SpotView::kTrimBy].substr(0, 42),
        filled[SpotView::kTrimBy - 1].substr(0, 42),
        filled[kFilled / 2].substr(0, 42),
        first[0],
        second[kBlockRows - 1],
    };
    EXPECT_NO_THROW(Deliver(again));
    ASSERT_EQ(view->LineCount(), trimmed + 2);
    EXPECT_EQ(view->Line(0), filled[SpotView::kTrimBy]);
    EXPECT_EQ(view->Line(trimmed), filled[0]);
    EXPECT_EQ(view->Line(trimmed + 1), filled[SpotView::kTrimBy - 1]);
    EXPECT_EQ(form1->SpotCounter(), 2 * kBlockRows + 2);
    EXPECT_EQ(ShownCount(), "40 vihjett\xE4");

    // Appended once more, and shown from then on.
    EXPECT_NO_THROW(Deliver(again));
    EXPECT_EQ(view->LineCount(), trimmed + 2);
    EXPECT_EQ(form1->SpotCounter(), 2 * kBlockRows + 2);
    EXPECT_EQ(speaker.beeps, 2 * kBlockRows + 2);
}

// A restart over a day's file with a NUL in one line (zeros where its line
// end was, after a power loss; the next spot's repair ended the line): the
// real view refuses a NUL, so the row comes back with a blank there, and all
// seven lines are shown; the page's six rows that the file holds are not
// taken again, and no box appears.
class RestartOnWine : public SpotViewOnWine {
  protected:
    void SetUp() override {
        const LocalTime now = locale.GetLocalTime();
        char name[32];
        std::snprintf(name, sizeof name, "vihjeet-%04d%02d%02d.txt", now.year, now.month, now.day);
        dayFile = name;
        // Stamped at midnight: never ahead of the clock, whenever run.
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d 00:00:00 ", now.year, now.month,
                      now.day);
        std::string lines;
        for (int i = 0; i < 7; ++i) {
            rows.push_back(Row(70000 + i));
            lines += stamp + rows.back() + (i == 3 ? std::string(2, '\0') : "") + "\r\n";
        }
        ASSERT_TRUE(PutFile(dayFile.c_str(), lines));
        ASSERT_TRUE(PutFile(
            "vareli.ini", "[COMPort]Com1\r\n[AlaMHZ]0\r\n[YlaMHZ]500000\r\n[Com]0\r\n[Loki]1\r\n"));
        SpotViewOnWine::SetUp();
    }
    void TearDown() override {
        SpotViewOnWine::TearDown();
        DeleteFileA(dayFile.c_str());
    }

    std::string dayFile;
    std::vector<std::string> rows;
};

TEST_F(RestartOnWine, ANulInTheDaysFileCostsNoLineAndTakesNoSpotAgain) {
    ASSERT_EQ(view->LineCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(view->Line(i), rows[i] + (i == 3 ? "  " : "") + today) << i;
    EXPECT_NO_THROW(Deliver(std::vector<std::string>(rows.begin() + 1, rows.end())));
    EXPECT_EQ(view->LineCount(), 7);
    EXPECT_EQ(form1->SpotCounter(), 0);
    EXPECT_EQ(ShownCount(), "0 vihjett\xE4");
    EXPECT_EQ(speaker.beeps, 0);
}

}  // namespace
