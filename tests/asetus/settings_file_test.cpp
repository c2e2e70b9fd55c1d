#include "asetus/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CommInt/comm.h"
#include "fakes/fake_comm.h"
#include "fakes/fake_sync.h"
#include "settings_folder.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"

namespace {

class SettingsFileTest : public ::testing::Test {
  protected:
    FakeSync fakeSync;
    FakeComm fakeComm{fakeSync};
    ScopedSeam<IComm> commSeam{&fakeComm};
    ScopedSeam<ISync> syncSeam{&fakeSync};
    SettingsFolder folder;
    TComboBox lower{nullptr};
    TComboBox upper{nullptr};
    TComboBox port{nullptr};
    TCheckBox forwarding{nullptr};
    TComm comm{nullptr};
    SettingsControls controls{lower, upper, port, forwarding};

    void SetUp() override {
        lower.SetText("ComboBox1");
        upper.SetText("ComboBox1");
        port.SetText("ComboBox3");
    }
    void Read() { ReadSettingsFile(controls, comm); }
};

// The "Seuranta" dialog's controls beside the four.
class WatchOptionsFileTest : public SettingsFileTest {
  protected:
    TEdit entries{nullptr};
    TCheckBox flash{nullptr};
    TCheckBox quiet{nullptr};
    TCheckBox showCountry{nullptr};
    TEdit countries{nullptr};
    TEdit adifPath{nullptr};
    TCheckBox newCountry{nullptr};
    TCheckBox newBand{nullptr};
    TCheckBox confirmed{nullptr};
    const std::string four = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";

    void SetUp() override {
        controls.watch = {&entries,  &flash,      &quiet,   &showCountry, &countries,
                          &adifPath, &newCountry, &newBand, &confirmed};
        port.SetText("Com4");
        lower.SetText("1800");
        upper.SetText("3500");
    }
    std::vector<TCheckBox*> NewSwitches() {
        return {&showCountry, &newCountry, &newBand, &confirmed};
    }
    // Every new control set to what a file without them leaves, or the opposite.
    void SetAll(bool on) {
        for (TCheckBox* box : NewSwitches()) box->SetChecked(on);
        countries.SetText(on ? "x" : "");
        adifPath.SetText(on ? "x" : "");
    }
};

TEST_F(SettingsFileTest, WritesTheFourLinesAndReadsThemBack) {
    port.SetText("Com3");
    lower.SetText("7000");
    upper.SetText("14350");
    forwarding.SetChecked(true);
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get(),
              "[COMPort]Com3\r\n[AlaMHZ]7000\r\n[YlaMHZ]14350\r\n[Com]1\r\n");
    lower.SetText("x");
    upper.SetText("y");
    port.SetText("z");
    forwarding.SetChecked(false);
    Read();
    EXPECT_EQ(lower.Text(), "7000");
    EXPECT_EQ(upper.Text(), "14350");
    EXPECT_EQ(port.Text(), "Com3");
    EXPECT_TRUE(forwarding.Checked());
    EXPECT_EQ(comm.DeviceName(), "Com3");

    forwarding.SetChecked(false);
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get().substr(SettingsFolder::Get().size() - 8), "[Com]0\r\n");
}

TEST_F(SettingsFileTest, ValuesOfAnyLengthComeBackWholeAndEmptyOnesStayEmpty) {
    port.SetText("Com12");
    lower.SetText("1234567890");
    upper.SetText("");
    WriteSettingsFile(controls);
    EXPECT_NE(SettingsFolder::Get().find("[YlaMHZ]\r\n"), std::string::npos);
    Read();
    EXPECT_EQ(port.Text(), "Com12");
    EXPECT_EQ(lower.Text(), "1234567890");
    EXPECT_EQ(upper.Text(), "");
    EXPECT_EQ(comm.DeviceName(), "Com12");
}

TEST_F(SettingsFileTest, AValueRunsFromItsKeyToTheLineEndOrTheNextKeyWithoutBlanks) {
    SettingsFolder::Put(
        " [AlaMHZ] 7000 \r\n"  // blanks around key and value shift nothing
        "[ylamhz]9999\r\n"     // other letter case: not a key
        "[Com]0 [Com]1\r\n"    // both: the last test wins
        "[COMPort]Com5\r\n"
        "[COMPort]Com6[YlaMHZ]50000");  // two keys on a line; the last line ends the file
    Read();
    EXPECT_EQ(lower.Text(), "7000");
    EXPECT_EQ(upper.Text(), "50000");
    EXPECT_TRUE(forwarding.Checked());
    EXPECT_EQ(port.Text(), "Com6");

    // The value that ends exactly where its line ends, with and without one
    // character, and a key with nothing after it at the end of the file.
    SettingsFolder::Put("[AlaMHZ]7\r\n[COMPort]\r\n[YlaMHZ]");
    Read();
    EXPECT_EQ(lower.Text(), "7");
    EXPECT_EQ(port.Text(), "");
    EXPECT_EQ(upper.Text(), "");
}

TEST_F(SettingsFileTest, LoneLineFeedsMakeOneLineAndCtrlZEndsTheFile) {
    SettingsFolder::Put("[AlaMHZ]1800\n[YlaMHZ]3500\n[Com]1\n");
    Read();
    // One line, but each key still takes the text up to the next one.
    EXPECT_EQ(lower.Text(), "1800");
    EXPECT_EQ(upper.Text(), "3500");
    EXPECT_TRUE(forwarding.Checked());

    SettingsFolder::Put("[AlaMHZ]7000\r\n\x1a[YlaMHZ]14000\r\n[Com]0\r\n");
    Read();
    EXPECT_EQ(lower.Text(), "7000");
    EXPECT_EQ(upper.Text(), "3500");
    EXPECT_TRUE(forwarding.Checked());
}

TEST_F(SettingsFileTest, AnEmptyFileChangesNoControlButSetsTheDeviceName) {
    SettingsFolder::Put("");
    Read();
    EXPECT_EQ(lower.Text(), "ComboBox1");
    EXPECT_EQ(port.Text(), "ComboBox3");
    EXPECT_EQ(comm.DeviceName(), "ComboBox3");
}

TEST_F(SettingsFileTest, AMissingFileChangesNothing) {
    try {
        Read();
        FAIL() << "a missing file was read";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "File not found");
        EXPECT_EQ(e.ErrorCode(), 2);
    }
    EXPECT_EQ(lower.Text(), "ComboBox1");
    EXPECT_EQ(comm.DeviceName(), "Com2");
}

TEST_F(SettingsFileTest, AReadThatFailsHalfWayKeepsWhatWasSetAndSetsNoDeviceName) {
    // The first read of the file's buffer ends inside the long second line.
    SettingsFolder::Put("[AlaMHZ]3500\r\n" + std::string(5000, 'x') +
                        "\r\n[YlaMHZ]7000\r\n[COMPort]Com5\r\n");
    folder.Files().failReadCall = 2;
    folder.Files().readError = 30;
    EXPECT_THROW(Read(), EInOutError);
    EXPECT_EQ(lower.Text(), "3500");
    EXPECT_EQ(upper.Text(), "ComboBox1");
    EXPECT_EQ(port.Text(), "ComboBox3");
    EXPECT_EQ(comm.DeviceName(), "Com2");
}

TEST_F(SettingsFileTest, ADeviceNameTheOpenPortRefusesComesOutAsAnError) {
    fakeComm.AddDevice("Com2");
    comm.Open();
    SettingsFolder::Put("[COMPort]Com5\r\n");
    EXPECT_THROW(Read(), ECommError);
    EXPECT_EQ(port.Text(), "Com5");
    EXPECT_EQ(comm.DeviceName(), "Com2");
    comm.Close();
}

TEST_F(SettingsFileTest, AFailureHalfWayThroughWritingKeepsTheOldFile) {
    const std::string old = "[COMPort]Com4\r\n[AlaMHZ]1800\r\n[YlaMHZ]3500\r\n[Com]0\r\n";
    SettingsFolder::Put(old);
    port.SetText("Com9");
    folder.Files().failWriteCall = 3;  // the third line falls short: the disk is full
    try {
        WriteSettingsFile(controls);
        FAIL() << "the short write went unnoticed";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Disk full");
    }
    EXPECT_EQ(SettingsFolder::Get(), old);

    folder.Files().failWriteCall = 0;
    folder.Files().createError = 5;  // a read-only file or folder
    EXPECT_THROW(WriteSettingsFile(controls), EInOutError);
    EXPECT_EQ(SettingsFolder::Get(), old);
}

TEST_F(SettingsFileTest, OtherProgramsMayReadTheFileWhileItIsOpenButNotWriteIt) {
    SettingsFolder::Put("[Com]1\r\n");
    Read();
    WriteSettingsFile(controls);
    for (const std::string& call : folder.Files().calls) {
        if (call.rfind("CreateFileA", 0) == 0) {
            EXPECT_NE(call.find(" 1 "), std::string::npos) << call;
        }
    }
}

// A save that lost the old file and could not move the new one into its place
// leaves it in "vareli.ini.tmp", or in "vareli.ini.new" when even that move
// failed (see TextFileWriter); the next start puts the newer back, and only
// then, and names it; a copy that cannot be moved is reported and stays.
TEST_F(SettingsFileTest, AtStartAKeptCopyIsPutBackOnlyWhenTheFileIsMissing) {
    const std::string kept = "[COMPort]Com7\r\n[Com]1\r\n";
    SettingsFolder::Put(kept, "vareli.ini.tmp");
    const KeptCopy restored = RestoreKeptSettingsFile();
    EXPECT_EQ(restored, KeptCopy::kTmp);
    EXPECT_STREQ(SettingsRestoredText(restored),
                 "Asetukset palautettiin tiedostosta vareli.ini.tmp.");
    EXPECT_EQ(SettingsFolder::Get(), kept);
    EXPECT_FALSE(std::filesystem::exists("vareli.ini.tmp"));

    // The file there, with or without a kept copy: nothing moves.
    EXPECT_EQ(RestoreKeptSettingsFile(), KeptCopy::kNone);
    EXPECT_EQ(SettingsRestoredText(KeptCopy::kNone), nullptr);
    const std::string older = "[COMPort]Com3\r\n";
    SettingsFolder::Put(older, "vareli.ini.tmp");
    EXPECT_EQ(RestoreKeptSettingsFile(folder.Files()), KeptCopy::kNone);
    EXPECT_EQ(SettingsFolder::Get("vareli.ini.tmp"), older);
    EXPECT_EQ(SettingsFolder::Get(), kept);

    std::filesystem::remove("vareli.ini");
    folder.Files().moveError = 32;
    try {
        RestoreKeptSettingsFile();
        FAIL() << "the failed move went unreported";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 32);
    }
    EXPECT_EQ(SettingsFolder::Get("vareli.ini.tmp"), older);

    folder.Files().moveError = 0;
    std::filesystem::remove("vareli.ini.tmp");
    SettingsFolder::Put(kept, "vareli.ini.new");
    EXPECT_STREQ(SettingsRestoredText(RestoreKeptSettingsFile()),
                 "Asetukset palautettiin tiedostosta vareli.ini.new.");
    EXPECT_EQ(SettingsFolder::Get(), kept);
}

// Each new option alone is stored as its own line after the older ones and
// read back alone; a file without it clears it.
TEST_F(WatchOptionsFileTest, EachNewOptionAloneIsStoredAfterTheOlderLinesAndReadBack) {
    struct Option {
        const char* line;
        std::function<void()> set;
        std::function<bool()> isSet;
    };
    const std::vector<Option> options = {
        {"[NaytaMaa]1", [&] { showCountry.SetChecked(true); },
         [&] { return showCountry.Checked(); }},
        {"[SeuraaMaat]VP8/g, 3Y/b", [&] { countries.SetText(" VP8/g, 3Y/b\t"); },
         [&] { return countries.Text() == "VP8/g, 3Y/b"; }},
        {"[ADIF]C:\\Lokit\\oh2bh.adi", [&] { adifPath.SetText("  C:\\Lokit\\oh2bh.adi "); },
         [&] { return adifPath.Text() == "C:\\Lokit\\oh2bh.adi"; }},
        {"[UusiMaa]1", [&] { newCountry.SetChecked(true); }, [&] { return newCountry.Checked(); }},
        {"[UusiBandi]1", [&] { newBand.SetChecked(true); }, [&] { return newBand.Checked(); }},
        {"[Vahvistetut]1", [&] { confirmed.SetChecked(true); },
         [&] { return confirmed.Checked(); }},
    };
    for (const Option& option : options) {
        // An older option beside it, which it must not disturb.
        quiet.SetChecked(true);
        SetAll(false);
        option.set();
        WriteSettingsFile(controls);
        EXPECT_EQ(SettingsFolder::Get(), four + "[Hiljaa]1\r\n" + option.line + "\r\n")
            << option.line;
        SetAll(true);
        Read();
        EXPECT_TRUE(option.isSet()) << option.line;
        int set = 0;
        for (TCheckBox* box : NewSwitches()) set += box->Checked() ? 1 : 0;
        set += countries.Text().empty() ? 0 : 1;
        set += adifPath.Text().empty() ? 0 : 1;
        EXPECT_EQ(set, 1) << option.line;
        EXPECT_TRUE(quiet.Checked()) << option.line;
    }
    SetAll(true);
    SettingsFolder::Put(four);
    Read();
    EXPECT_EQ(countries.Text(), "");
    EXPECT_EQ(adifPath.Text(), "");
    for (TCheckBox* box : NewSwitches()) EXPECT_FALSE(box->Checked());
}

TEST_F(WatchOptionsFileTest, AllOptionsStandInTheDialogsOrderAfterTheWatchList) {
    entries.SetText("OH2BH");
    flash.SetChecked(true);
    quiet.SetChecked(true);
    SetAll(true);
    countries.SetText("VP8/g");
    adifPath.SetText("oh.adi");
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get(),
              four +
                  "[Seuraa]OH2BH\r\n[Vilkuta]1\r\n[Hiljaa]1\r\n[NaytaMaa]1\r\n"
                  "[SeuraaMaat]VP8/g\r\n[ADIF]oh.adi\r\n[UusiMaa]1\r\n[UusiBandi]1\r\n"
                  "[Vahvistetut]1\r\n");
}

// A user who never turns a new option on keeps the file byte for byte; a
// country text of separators only and a blank path are no option.
TEST_F(WatchOptionsFileTest, WithEveryNewOptionOffTheFileIsWhatItWas) {
    entries.SetText("3Y0J");
    flash.SetChecked(true);
    const std::string old = four + "[Seuraa]3Y0J\r\n[Vilkuta]1\r\n";
    SetAll(false);
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get(), old);
    countries.SetText(" , ,\t");
    adifPath.SetText(" \t ");
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get(), old);
    // One character of either is stored.
    countries.SetText(" ,x");
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get(), old + "[SeuraaMaat],x\r\n");
    countries.SetText("");
    adifPath.SetText("a");
    WriteSettingsFile(controls);
    EXPECT_EQ(SettingsFolder::Get(), old + "[ADIF]a\r\n");
}

// "[Seuraa]" and "[SeuraaMaat]" begin alike: neither is read for the other.
TEST_F(WatchOptionsFileTest, TheCallEntriesAndTheCountriesAreReadApart) {
    SettingsFolder::Put(four + "[SeuraaMaat]VP8/g\r\n");
    entries.SetText("stale");
    Read();
    EXPECT_EQ(entries.Text(), "");
    EXPECT_EQ(countries.Text(), "VP8/g");

    SettingsFolder::Put(four + "[Seuraa]VP8*\r\n");
    Read();
    EXPECT_EQ(entries.Text(), "VP8*");
    EXPECT_EQ(countries.Text(), "");

    // On one line, in either order.
    SettingsFolder::Put("[SeuraaMaat]OJ0 [Seuraa]OH0* \r\n[Seuraa]OH2BH[SeuraaMaat]3Y/b");
    Read();
    EXPECT_EQ(entries.Text(), "OH2BH");
    EXPECT_EQ(countries.Text(), "3Y/b");
}

// A path's value runs to the next of the file's keys, not to any "[": a
// folder named with brackets comes back whole, a key after it on the line
// (a hand edit, or lone line feeds) is still a key; the last line wins.
TEST_F(WatchOptionsFileTest, APathKeepsItsBracketsAndEndsAtTheNextKey) {
    adifPath.SetText("C:\\Lokit [vanhat]\\oh[1].adi");
    WriteSettingsFile(controls);
    adifPath.SetText("");
    Read();
    EXPECT_EQ(adifPath.Text(), "C:\\Lokit [vanhat]\\oh[1].adi");

    SettingsFolder::Put("[ADIF] a [b].adi [UusiMaa]1\n[Seuraa]OH2BH [ADIF]c.adi[Loki]");
    Read();
    EXPECT_EQ(adifPath.Text(), "a [b].adi");
    EXPECT_TRUE(newCountry.Checked());
    EXPECT_EQ(entries.Text(), "OH2BH");

    // Every key of the file ends it, each alone.
    for (const char* key :
         {"[COMPort]", "[AlaMHZ]", "[YlaMHZ]", "[Com]", "[SarjaDX]", "[Loki]", "[Klusteri]",
          "[KlusteriPortti]", "[KlusteriLAN]", "[Uudelleen]", "[Seuraa]", "[Vilkuta]", "[Hiljaa]",
          "[NaytaMaa]", "[SeuraaMaat]", "[ADIF]", "[UusiMaa]", "[UusiBandi]", "[Vahvistetut]"}) {
        SettingsFolder::Put(std::string("[ADIF]x.adi") + key + "y\r\n");
        Read();
        EXPECT_EQ(adifPath.Text(), "x.adi") << key;
    }
    SettingsFolder::Put("[ADIF]first.adi\r\n[ADIF]\r\n");
    Read();
    EXPECT_EQ(adifPath.Text(), "");
    SettingsFolder::Put("[ADIF]\r\n[ADIF]last.adi");
    Read();
    EXPECT_EQ(adifPath.Text(), "last.adi");
}

// The one list of keys: each key the reader and the writer know makes a
// settings line, also the six of the country and log options; a line
// without a key at its start does not, nor a key cut short.
TEST_F(SettingsFileTest, ASettingsLineStartsWithAKeyOfTheFile) {
    for (const char* line : {"[COMPort]Com5",
                             "[AlaMHZ]1800",
                             "[YlaMHZ]30000",
                             "[Com]0",
                             "[Com]1",
                             "[SarjaDX]1",
                             "[Loki]1",
                             "[Klusteri]1",
                             "[KlusteriPortti]7301",
                             "[KlusteriLAN]1",
                             "[Uudelleen]1",
                             "[Seuraa]VP8* 3Y0J",
                             "[Vilkuta]1",
                             "[Hiljaa]1",
                             "[NaytaMaa]1",
                             "[SeuraaMaat]VP8",
                             "[ADIF]c:\\loki.adi",
                             "[UusiMaa]1",
                             "[UusiBandi]1",
                             "[Vahvistetut]1"})
        EXPECT_TRUE(IsSettingsLine(line)) << line;
    for (const char* line : {"", " [Com]1", "x[Com]1", "[COMPort", "[Com", "COMPort]Com5",
                             "[KlusteriPort]7301", "[Tuntematon]1"})
        EXPECT_FALSE(IsSettingsLine(line)) << line;
}

// A crash cut "vareli.ini.new" while "vareli.ini" was missing: the cut copy
// is newer, but the whole "vareli.ini.tmp" goes back. With both cut, none
// does, both stay, and the box says so; the start then reads no settings.
TEST_F(SettingsFileTest, AtStartACopyCutShortIsNotPutBack) {
    const std::string whole = "[COMPort]Com7\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]1\r\n";
    const std::string cut = "[COMPort]Com9\r\n[AlaMHZ]18";
    SettingsFolder::Put(whole, "vareli.ini.tmp");
    SettingsFolder::Put(cut, "vareli.ini.new");
    const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time("vareli.ini.tmp", then);
    const KeptCopy restored = RestoreKeptSettingsFile();
    EXPECT_EQ(restored, KeptCopy::kTmp);
    EXPECT_STREQ(SettingsRestoredText(restored),
                 "Asetukset palautettiin tiedostosta vareli.ini.tmp.");
    EXPECT_EQ(SettingsFolder::Get(), whole);
    EXPECT_EQ(SettingsFolder::Get("vareli.ini.new"), cut);

    std::filesystem::remove("vareli.ini");
    SettingsFolder::Put(whole + "[Loki", "vareli.ini.tmp");
    const KeptCopy none = RestoreKeptSettingsFile();
    EXPECT_EQ(none, KeptCopy::kNoneWhole);
    EXPECT_STREQ(SettingsRestoredText(none),
                 "Asetuksia ei voitu palauttaa: yksik\xE4\xE4n kopio ei ole ehj\xE4.");
    EXPECT_FALSE(std::filesystem::exists("vareli.ini"));
    EXPECT_EQ(SettingsFolder::Get("vareli.ini.tmp"), whole + "[Loki");
    EXPECT_EQ(SettingsFolder::Get("vareli.ini.new"), cut);

    // A line the reader does not know, though the copy ends whole.
    SettingsFolder::Put(whole + "[Tuntematon]1\r\n", "vareli.ini.tmp");
    EXPECT_EQ(RestoreKeptSettingsFile(), KeptCopy::kNoneWhole);
    // What the writer writes reads whole.
    std::filesystem::remove("vareli.ini.tmp");
    std::filesystem::remove("vareli.ini.new");
    port.SetText("Com4");
    WriteSettingsFile(controls);
    std::filesystem::rename("vareli.ini", "vareli.ini.new");
    EXPECT_EQ(RestoreKeptSettingsFile(), KeptCopy::kNew);
}

}  // namespace
