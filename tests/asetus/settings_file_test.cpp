#include "asetus/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "CommInt/comm.h"
#include "fakes/fake_comm.h"
#include "fakes/fake_sync.h"
#include "settings_folder.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"

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
