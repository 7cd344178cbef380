// SPDX-License-Identifier: MIT
#include "script/script_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/posix_shim.h"

namespace tovrik {
namespace {

// One scripted run: the transcript, the exit status and the error.
struct RunResult {
    int status = 0;
    std::string transcript;
    ScriptError error;
};

RunResult RunScript(const std::string& script, ScriptDriverOptions options = {})
{
    std::ostringstream out;
    ScriptDriver driver(out, std::move(options));
    RunResult result;
    result.status = driver.Run(script);
    result.transcript = out.str();
    result.error = driver.Error();
    return result;
}

void ExpectError(const std::string& script, int line, const std::string& reason)
{
    const RunResult r = RunScript(script);
    EXPECT_EQ(r.status, ScriptDriver::kExitScriptError) << script;
    EXPECT_EQ(r.error.line, line) << script;
    EXPECT_EQ(r.error.reason, reason) << script;
}

const char* const kConnect =
    "start\n"
    "type main:1016 1209\n"
    "type main:1018 0001\n"
    "click main:1017\n";

TEST(ScriptDriverTest, WritesKeepBackupsInTheStateFolderThatPrintBackupsLists)
{
    std::string state = (std::filesystem::temp_directory_path() / "script-state-XXXXXX").string();
    ASSERT_NE(mkdtemp(state.data()), nullptr);
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    ScriptDriverOptions options;
    options.backupClock = [] { return std::time_t{1796739303}; };  // 2026-12-08 14:15:03 UTC
    // The factory image, then the erased one; the third erase replaces nothing new.
    const RunResult r = RunScript(
        std::string(kConnect) + "click main:4\nclick main:4\nclick main:4\nprint backups\n",
        std::move(options));
    old != nullptr ? setenv("XDG_STATE_HOME", saved.c_str(), 1) : unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(r.status, ScriptDriver::kExitOk) << r.error.reason;
    EXPECT_NE(r.transcript.find("> print backups\nbackups: 2\n"
                                "  20261208-141503-1209-0001-2.bin 256\n"
                                "  20261208-141503-1209-0001.bin 256\n"),
              std::string::npos)
        << r.transcript;
    EXPECT_TRUE(std::filesystem::exists(state + "/tovrik/backups/20261208-141503-1209-0001.bin"));
    std::filesystem::remove_all(state);
}

TEST(ScriptDriverTest, EchoesCommandsButNotCommentsOrBlankLines)
{
    const RunResult r =
        RunScript("# a comment\n\n   start   \r\n  # indented comment\nprint main:1017\n");
    EXPECT_EQ(r.status, ScriptDriver::kExitOk);
    EXPECT_EQ(r.transcript,
              "> start\n> print main:1017\n1017 button text=\"Connect\" enabled=1 visible=1\n");
}

TEST(ScriptDriverTest, ErrorsNameTheLineCountingCommentsAndBlankLines)
{
    ExpectError("start\n# comment\n\nfrobnicate 1\n", 4, "unknown command \"frobnicate\"");
    ExpectError("start\ntype main:1016 \"open\n", 2, "unterminated quote");
    ExpectError("sim poke 10 1g\n", 1, "bad byte \"1g\"");
    ExpectError("sim poke 0x10 01\n", 1, "bad address \"0x10\"");
    ExpectError("sim poke ff 01 02\n", 1, "the EEPROM has 256 bytes");
    ExpectError("sim code 256\n", 1, "bad device code \"256\"");
    ExpectError("sim eeprom-size 300\n", 1, "bad EEPROM size \"300\"");
    ExpectError("sim event key-middle 1 2\n", 1, "unknown event kind \"key-middle\"");
    ExpectError("sim load no_such_file.bin\n", 1, "cannot read no_such_file.bin");
    ExpectError("print eeprom f0 17\n", 1, "the EEPROM has 256 bytes");
    ExpectError("answer yes\n", 1, "usage: answer ok|cancel");
    ExpectError("start now\n", 1, "usage: start");
}

TEST(ScriptDriverTest, TheToolMustBeStartedOnceAndStillOpen)
{
    ExpectError("click main:1017\n", 1, "the tool is not started yet (start comes first)");
    ExpectError("page About\n", 1, "the tool is not started yet (start comes first)");
    ExpectError("start\nstart\n", 2, "the tool is already started");
    ExpectError("start\nanswer ok\nclose\nprint main:1017\n", 4, "the main window is closed");
    // Neither the chip nor the image needs the window.
    const RunResult r = RunScript("sim fill 00\nprint eeprom 0 2\nprint strings\nprint calls\n");
    EXPECT_EQ(r.status, ScriptDriver::kExitOk);
}

TEST(ScriptDriverTest, ControlsMustExistBeVisibleEnabledAndOfTheRightKind)
{
    ExpectError("start\nclick main:9999\n", 2, "no control 9999 on the main window");
    ExpectError("start\nclick 9999\n", 2, "no control 9999 on the page \"USB Config\"");
    ExpectError("start\nclick main:x\n", 2, "bad control \"main:x\"");
    ExpectError("start\nclick main:3\n", 2, "control 3 is disabled");
    ExpectError("start\nclick main:1131\n", 2, "control 1131 is hidden");
    ExpectError("start\nclick main:1016\n", 2, "control 1016 (edit) cannot be clicked");
    ExpectError("start\ntype main:1017 x\n", 2, "control 1017 is not an edit field");
    ExpectError("start\nselect main:1016 x\n", 2, "control 1016 is not a list");
    ExpectError("start\nslide main:1016 3\n", 2, "control 1016 is not a slider");
    ExpectError("start\nkey main:1016 tab\n", 2, "control 1016 does not take Tab");
    ExpectError("start\nkey main:1017 enter\n", 2, "control 1017 is not an edit field");
    ExpectError("start\nprint changes:1257\n", 2, "no view \"changes\" is open");
    ExpectError("start\nprint items main:1017\n", 2, "control 1017 is not a list");
    ExpectError("start\npage Nowhere\n", 2, "no page \"Nowhere\"");
    // Hidden and disabled controls can still be looked at.
    const RunResult r = RunScript("start\nprint main:3\nprint main:1131\nleave main:1016\n");
    EXPECT_EQ(r.status, ScriptDriver::kExitOk) << r.error.reason;
}

TEST(ScriptDriverTest, PagesFollowTheMode)
{
    const RunResult r = RunScript(
        "start\nmode demo\npage EEPROM\npage About\nmode config\n"
        "page \"Misc Config\"\n");
    EXPECT_EQ(r.status, ScriptDriver::kExitOk) << r.error.reason;
    ExpectError("start\nmode demo\npage \"USB Config\"\n", 3, "no page \"USB Config\"");
    ExpectError("start\npage \"HID Control\"\n", 2, "no page \"HID Control\"");
    ExpectError("start\nmode both\n", 2, "usage: mode config|demo");
}

TEST(ScriptDriverTest, AnUnansweredPromptEndsTheScriptWhereItWasShown)
{
    const RunResult r =
        RunScript(std::string(kConnect) + "click main:4\nclick main:5\nprint main:1017\n");
    EXPECT_EQ(r.status, ScriptDriver::kExitScriptError);
    EXPECT_EQ(r.error.line, 6);
    EXPECT_EQ(
        r.error.reason,
        "no answer queued for the question \"All changes before save will be discarded !!!\"");
    // The erase message is there; nothing of the refused refresh is.
    const std::string tail = "> click main:5\n";
    ASSERT_GE(r.transcript.size(), tail.size());
    EXPECT_EQ(r.transcript.substr(r.transcript.size() - tail.size()), tail);
    EXPECT_NE(r.transcript.find("message: Erase EEPROM completely."), std::string::npos);

    ExpectError(
        std::string(kConnect) + "click main:1017\nclick main:1161\n", 5,
        "no answer queued for the question \"Stop the connection without further saving ?\"");
}

TEST(ScriptDriverTest, AnswersNoPromptTookAreAnError)
{
    // Stop while disconnected asks nothing: the answer is left over.
    ExpectError("start\nsim code 1\nanswer ok\nfile x.bin\n", 3, "no prompt took this answer");
    ExpectError(std::string(kConnect) + "file cancel\nclick main:4\n", 5,
                "no prompt took this answer");
    // A quoted "cancel" is a file of that name, not a cancelled dialog.
    const RunResult r = RunScript(std::string(kConnect) + "file \"cancel\"\nclick main:1161\n");
    EXPECT_EQ(r.status, ScriptDriver::kExitOk) << r.error.reason;
    EXPECT_NE(
        r.transcript.find("open-file: \"EERPOM files (*.bin)|*.bin||\" \"bin\" -> \"cancel\"\n"
                          "message: Cannot read the file cancel\n"),
        std::string::npos);
}

TEST(ScriptDriverTest, FileNamesAreTakenFromTheFileFolder)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tovrik_script_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    {
        std::ofstream seed(folder / "seed.bin", std::ios::binary);
        seed << "TK";
    }
    ScriptDriverOptions options;
    options.fileFolder = folder.string();
    const RunResult r = RunScript(std::string(kConnect) +
                                      "file copy.bin\nclick main:1160\n"
                                      "sim load seed.bin\nprint eeprom 0 3\n",
                                  options);
    EXPECT_EQ(r.status, ScriptDriver::kExitOk) << r.error.reason;
    EXPECT_EQ(std::filesystem::file_size(folder / "copy.bin"), 256u);
    // The transcript names the file as the script wrote it.
    EXPECT_NE(r.transcript.find("\" -> copy.bin\nmessage: EEPROM -> File completely\n"),
              std::string::npos);
    EXPECT_NE(r.transcript.find("eeprom 0000: 54 4b ff\n"), std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST(ScriptDriverTest, SimulatedChipCommandsTakeEffectAtOnce)
{
    std::ostringstream out;
    ScriptDriver driver(out);
    ASSERT_EQ(driver.Run("sim ids abcd 0012\nsim code 7\nsim eeprom-size 1024\n"
                         "sim poke 3fe 12 34\nsim fill 5a\nsim poke 3ff 01\n"),
              ScriptDriver::kExitOk)
        << driver.Error().reason;
    SimulatedChip& chip = driver.Chip();
    const auto info = chip.Enumeration();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->vendorId, 0xABCD);
    EXPECT_EQ(info->productId, 0x0012);
    ASSERT_EQ(chip.EepromSize(), 1024);
    EXPECT_EQ(chip.Eeprom()[0x3FE], 0x5A);
    EXPECT_EQ(chip.Eeprom()[0x3FF], 0x01);
}

TEST(ScriptDriverTest, EventsAreReadBeforeTheNextCommand)
{
    std::ostringstream out;
    ScriptDriver driver(out);
    // Nobody reads the chip while the tool is not connected.
    ASSERT_EQ(driver.Run("sim event generic 0x04030201 0x08070605\n"), ScriptDriver::kExitOk);
    EXPECT_EQ(driver.Chip().PendingInputReports(), 1);
    // Connecting reads the waiting event along with the answers of the load.
    ASSERT_EQ(driver.Run(kConnect), ScriptDriver::kExitOk) << driver.Error().reason;
    EXPECT_EQ(driver.Chip().PendingInputReports(), 0);
    const int read = driver.Chip().GetCounters().inputReportsRead;
    ASSERT_EQ(driver.Run("sim event i2c 1 2\nsim event gpi 3 4\n"), ScriptDriver::kExitOk);
    EXPECT_EQ(driver.Chip().PendingInputReports(), 0);
    EXPECT_EQ(driver.Chip().GetCounters().inputReportsRead, read + 2);
}

TEST(ScriptDriverTest, UnplugWhileConnectedReadsTheSameEveryTime)
{
    // The system's notice and the library's own discovery of the loss race
    // each other; the transcript must not show which one won.
    const std::string expected =
        "> print calls\n"
        "rmHandleDeviceChangeNotification(32772, 0)\n"
        "rmDeviceClose()\n"
        "rmSetMixerKeyNotifyMessages(0, 0)\n"
        "rmSetGenericNotifyMessages(1131)\n"
        "> print main:1017\n"
        "1017 button text=\"Connect\" enabled=1 visible=1\n";
    for (int i = 0; i < 20; ++i) {
        const RunResult r = RunScript(std::string(kConnect) +
                                      "print calls\nsim unplug\nprint calls\nprint main:1017\n");
        ASSERT_EQ(r.status, ScriptDriver::kExitOk) << r.error.reason;
        ASSERT_GE(r.transcript.size(), expected.size());
        EXPECT_EQ(r.transcript.substr(r.transcript.size() - expected.size()), expected)
            << "run " << i;
    }
}

}  // namespace
}  // namespace tovrik
