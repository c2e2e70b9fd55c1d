// The intake benchmark; see the header.
#include "bench/intake_bench.h"

#include <algorithm>
#include <string>

#include "bench/clock.h"
#include "bench/naive_intake.h"
#include "bench/report.h"
#include "bench/spot_text.h"
#include "platform/locale.h"
#include "platform/seam.h"
#include "rtl/date_time_text.h"
#include "rtl/sysutils.h"
#include "vplusdde/spot_intake.h"
#include "vplusdde/spot_view.h"

namespace {

constexpr int kBlockRows = 19;
constexpr int kScanSample = 200;
constexpr int kFillPart = 2000;

// The window's side of a run: a band that takes every made-up row, tones
// counted instead of sounded, no forwarding, the labels of the form.
class BenchHost : public ISpotIntakeHost {
  public:
    explicit BenchHost(TBenchForm& form) : form_(form) {}
    int tones = 0;

    std::string UpperLimitText() override { return "500000"; }
    std::string LowerLimitText() override { return "0"; }
    bool ForwardingOn() override { return false; }
    void PlayTone(std::uint16_t, std::int32_t) override { ++tones; }
    void Relay(const std::string&) override {}
    void Forward(const std::string&) override {}
    std::string TodayText() override { return DateToStr(Seam<ILocale>::Get().GetLocalTime()); }
    std::string NowText() override { return TimeToStr(Seam<ILocale>::Get().GetLocalTime()); }
    void SetLastSpotTime(const std::string& caption) override { form_.Label1->SetCaption(caption); }
    void SetSpotCount(const std::string& caption) override { form_.Label4->SetCaption(caption); }

  private:
    TBenchForm& form_;
};

// The view as the main window hands it to SpotView. While a copy is given,
// a new SpotView's first look is answered from it instead of the control.
class ViewLines : public ISpotLines {
  public:
    explicit ViewLines(TRichEdit& view) : view_(view) {}
    void AnswerFrom(const std::vector<std::string>* copy) { copy_ = copy; }

    int LineCount() override {
        return copy_ != nullptr ? static_cast<int>(copy_->size()) : view_.LineCount();
    }
    std::string Line(int index) override {
        return copy_ != nullptr ? (*copy_)[static_cast<std::size_t>(index)] : view_.Line(index);
    }
    void AppendLine(const std::string& text, std::uint32_t color) override {
        view_.AppendLine(text, static_cast<TColor>(color));
    }
    void DeleteFirstLines(int count) override { view_.DeleteFirstLines(count); }

  private:
    TRichEdit& view_;
    const std::vector<std::string>* copy_ = nullptr;
};

// The naive scan's reads go straight to the control's peer, the cheapest
// line read the toolkit has (no index check per line), so the baseline is
// not made slower than it must be. Past its deadline a read raises
// EBudgetSpent, which ends the run where it stands.
class EBudgetSpent : public Exception {
  public:
    EBudgetSpent() : Exception("the naive scan passed its time budget") {}
};

class PeerLines : public ISpotLines {
  public:
    PeerLines(TRichEdit& view, IRichEditPeer& peer) : view_(view), peer_(peer) {}
    void SetDeadline(double deadline) {
        deadline_ = deadline;
        reads_ = 0;
    }
    long long Reads() const { return reads_; }

    int LineCount() override { return peer_.LineCount(); }
    std::string Line(int index) override {
        if (BenchNow() > deadline_) throw EBudgetSpent();
        ++reads_;
        return peer_.Line(index);
    }
    void AppendLine(const std::string& text, std::uint32_t color) override {
        view_.AppendLine(text, static_cast<TColor>(color));
    }
    void DeleteFirstLines(int count) override { view_.DeleteFirstLines(count); }

  private:
    TRichEdit& view_;
    IRichEditPeer& peer_;
    double deadline_ = 0;
    long long reads_ = 0;
};

enum class Case { Shown, New };

struct NaiveOutcome {
    double elapsed = 0;
    bool stopped = false;
    double projected = 0;  // of a stopped run: the whole update at the rate it read
};

class IntakeBench {
  public:
    IntakeBench(TBenchForm& form, const IntakeBenchConfig& config,
                const std::function<void()>& pump)
        : view_(*form.memo1),
          peer_(dynamic_cast<IRichEditPeer&>(*form.memo1->Peer())),
          config_(config),
          pump_(pump),
          host_(form),
          viewLines_(view_),
          peerLines_(view_, peer_) {}

    bool Run() {
        for (int size : config_.sizes) RunSize(size);
        return ok_;
    }

  private:
    int Size() const { return static_cast<int>(known_.size()); }

    void Check(bool condition, const std::string& what) {
        if (condition) return;
        Say("CHECK FAILED: " + what);
        ok_ = false;
    }

    std::vector<std::string> NewRows() {
        std::vector<std::string> rows;
        rows.reserve(kBlockRows);
        for (int i = 0; i < kBlockRows; ++i) rows.push_back(BenchSpotRow(nextSerial_++));
        return rows;
    }

    void Fill(int size) {
        view_.DeleteFirstLines(view_.LineCount());
        known_.clear();
        const std::string today = host_.TodayText();
        for (int i = 0; i < size; ++i) known_.push_back(BenchSpotRow(nextSerial_++) + today);
        shownBlock_.clear();
        for (int i = size - kBlockRows; i < size; ++i)
            shownBlock_ += known_[static_cast<std::size_t>(i)].substr(0, 42);
        // Room for the fill and every update; the program's own limit holds
        // about 80,000 lines.
        const int room = (size + 4 * kBlockRows * config_.runs) * 64 + 4096;
        view_.SetTextLimit(std::max(TRichEdit::kDefaultTextLimit, room));
        // Appended in parts: wine's RichEdit takes one insertion of many lines
        // in a time that grows with the square of their number (100,000 lines
        // in one: minutes), parts of 2,000 in seconds.
        const double start = BenchNow();
        for (int first = 0; first < size; first += kFillPart) {
            std::string text;
            for (int i = first; i < std::min(size, first + kFillPart); ++i) {
                if (i > first) text += "\r\n";
                text += known_[static_cast<std::size_t>(i)];
            }
            view_.AppendLine(text, clNavy);
        }
        const double fill = BenchNow() - start;
        pump_();
        Check(view_.LineCount() == size, "the view holds the lines filled");
        Check(view_.Line(0) == known_.front() && view_.Line(size - 1) == known_.back() &&
                  view_.Line(size / 2) == known_[static_cast<std::size_t>(size / 2)],
              "the view's lines read back as filled");
        PrintRecord("fill", {{"lines", std::to_string(size)}, {"seconds", Number(fill)}});
    }

    // Mean time of one line read over `count` lines from `from`, read in
    // order as a scan reads them.
    template <class Read>
    double ScanCost(int from, int count, Read read) {
        const double start = BenchNow();
        std::size_t total = 0;
        for (int i = from; i < from + count; ++i) total += read(i).size();
        const double cost = (BenchNow() - start) / count;
        Check(total > 0, "line reads return text");
        return cost;
    }

    void RunSize(int size) {
        Say("-- " + std::to_string(size) + " lines in the view");
        Fill(size);
        // What a line read costs at the start and at the end of the view, read
        // in order as a scan reads them; through the peer, and through the
        // view as SpotView reads (with its index check).
        const int sample = std::min(size, kScanSample);
        auto peerRead = [this](int i) { return peer_.Line(i); };
        auto viewRead = [this](int i) { return view_.Line(i); };
        PrintRecord("lineread",
                    {{"lines", std::to_string(size)},
                     {"first", Number(ScanCost(0, sample, peerRead))},
                     {"last", Number(ScanCost(size - sample, sample, peerRead))},
                     {"last_checked", Number(ScanCost(size - sample, sample, viewRead))}});

        MeasureIndex(Case::Shown);
        MeasureNaive(Case::Shown);
        MeasureIndex(Case::New);
        MeasureNaive(Case::New);
    }

    Fields Head(const char* method, Case which) const {
        return {{"lines", std::to_string(Size())},
                {"method", method},
                {"case", which == Case::Shown ? "shown" : "new"}};
    }

    void MeasureIndex(Case which) {
        std::vector<double> times;
        times.reserve(static_cast<std::size_t>(config_.runs));
        for (int r = 0; r < config_.runs; ++r) times.push_back(TimeIndexRun(which));
        Fields fields = Head("index", which);
        for (const auto& f : SummaryFields(Summarize(times))) fields.push_back(f);
        PrintRecord("intake", fields);
    }

    // Up to `runs` runs while the budget lasts; a run that passes it is
    // stopped, and the naive scan is not tried again at this size or above.
    void MeasureNaive(Case which) {
        Fields fields = Head("naive", which);
        if (naiveStopped_) {
            fields.push_back({"skipped", "1"});
            PrintRecord("intake", fields);
            return;
        }
        std::vector<double> times;
        double spent = 0;
        for (int r = 0; r < config_.runs; ++r) {
            if (r > 0 && spent + times.back() > config_.naiveBudget) break;
            const NaiveOutcome outcome = TimeNaiveRun(which, config_.naiveBudget);
            if (outcome.stopped) {
                naiveStopped_ = true;
                fields.push_back({"stopped", "1"});
                fields.push_back({"after", Number(outcome.elapsed)});
                fields.push_back({"projected", Number(outcome.projected)});
                PrintRecord("intake", fields);
                return;
            }
            times.push_back(outcome.elapsed);
            spent += outcome.elapsed;
        }
        for (const auto& f : SummaryFields(Summarize(times))) fields.push_back(f);
        PrintRecord("intake", fields);
    }

    std::string UpdateText(Case which, std::vector<std::string>& rows) {
        if (which == Case::Shown) return shownBlock_;
        rows = NewRows();
        return BenchBlockText(rows);
    }

    double TimeIndexRun(Case which) {
        const int size = Size();
        std::vector<std::string> rows;
        const std::string text = UpdateText(which, rows);
        host_.tones = 0;
        SpotView spotView(viewLines_, std::max(SpotView::kMaxLines, 2 * size), SpotView::kTrimBy);
        viewLines_.AnswerFrom(&known_);
        spotView.IsShown(std::string());  // its first look, from the copy
        viewLines_.AnswerFrom(nullptr);
        SpotIntake intake(host_, spotView);
        const double start = BenchNow();
        intake.Run(text);
        const double elapsed = BenchNow() - start;
        CheckOutcome(size, which, intake.Counter(), rows);
        return elapsed;
    }

    NaiveOutcome TimeNaiveRun(Case which, double budget) {
        const int size = Size();
        std::vector<std::string> rows;
        const std::string text = UpdateText(which, rows);
        host_.tones = 0;
        NaiveIntake intake(host_, peerLines_);
        NaiveOutcome outcome;
        const double start = BenchNow();
        peerLines_.SetDeadline(start + budget);
        try {
            intake.Run(text);
            outcome.elapsed = BenchNow() - start;
        } catch (const EBudgetSpent&) {
            outcome.elapsed = BenchNow() - start;
            outcome.stopped = true;
            const double wholeReads = static_cast<double>(kBlockRows) * size;
            outcome.projected = outcome.elapsed * wholeReads /
                                static_cast<double>(std::max(1LL, peerLines_.Reads()));
        }
        peerLines_.SetDeadline(1e300);
        if (outcome.stopped) {
            TakeBack(size);
        } else {
            CheckOutcome(size, which, intake.Counter(), rows);
        }
        return outcome;
    }

    void CheckOutcome(int size, Case which, std::int32_t counter,
                      const std::vector<std::string>& rows) {
        const int added = which == Case::Shown ? 0 : kBlockRows;
        Check(counter == added && host_.tones == added, "the run accepts exactly the new rows");
        Check(view_.LineCount() == size + added, "the run adds a line for each new row only");
        if (which == Case::New) {
            const std::string today = host_.TodayText();
            for (int i = 0; i < kBlockRows; ++i) {
                Check(view_.Line(size + i) == rows[static_cast<std::size_t>(i)] + today,
                      "an added line is its row and the date, in block order");
            }
        }
        TakeBack(size);
        pump_();
    }

    // Brings the view back to `size` lines by dropping its oldest, keeping
    // the copy in step.
    void TakeBack(int size) {
        const int count = view_.LineCount();
        for (int i = size; i < count; ++i) known_.push_back(view_.Line(i));
        if (count > size) {
            view_.DeleteFirstLines(count - size);
            known_.erase(known_.begin(), known_.begin() + (count - size));
        }
        Check(view_.LineCount() == size, "the view is back to its size");
    }

    TRichEdit& view_;
    IRichEditPeer& peer_;
    IntakeBenchConfig config_;
    std::function<void()> pump_;
    BenchHost host_;
    ViewLines viewLines_;
    PeerLines peerLines_;
    std::vector<std::string> known_;  // the view's lines, as filled and appended
    std::string shownBlock_;          // an update whose rows are all in the view
    int nextSerial_ = 0;
    bool naiveStopped_ = false;
    bool ok_ = true;
};

}  // namespace

bool RunIntakeBench(TBenchForm& form, const IntakeBenchConfig& config,
                    const std::function<void()>& pump) {
    IntakeBench bench(form, config, pump);
    return bench.Run();
}
