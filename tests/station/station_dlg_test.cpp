// SPDX-License-Identifier: MIT
#include "station/station_dlg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/factory_image.h"
#include "cli/temp_folder.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik {
namespace {

using cli::test::TempFolder;

constexpr std::chrono::seconds kRunLimit{120};

struct Window {
    TempFolder folder;
    RecordingPrompter prompter;
    MessageQueue queue;
    UiContext ui{prompter, queue};
    std::unique_ptr<CStationDlg> dialog;

    explicit Window(StationArguments arguments = {})
    {
        cli::test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
        if (arguments.image.empty()) {
            arguments.image = (folder / "golden.bin");
            arguments.log = (folder / "log.csv");
        }
        dialog = std::make_unique<CStationDlg>(ui, arguments);
        dialog->Open();
    }
    void Type(int id, const std::string& text)
    {
        Control* control = dialog->GetDlgItem(id);
        ASSERT_TRUE(control && control->IsEnabled()) << id;
        user_input::Type(*dialog, *control, text);
    }
    void Click(int id)
    {
        Control* control = dialog->GetDlgItem(id);
        ASSERT_TRUE(control && control->IsEnabled()) << id;
        user_input::Click(*dialog, *control);
    }
    std::string Text(int id) { return dialog->GetDlgItemText(id); }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        const Control* list = dialog->GetDlgItem(IDC_STATION_SLOTS);
        for (int i = 0; i < list->GetCount(); ++i) {
            rows.push_back(list->GetItemText(i));
        }
        return rows;
    }
    // The serial column of every line of the log after its head.
    std::vector<std::string> LoggedSerials()
    {
        std::ifstream in(folder / "log.csv");
        std::vector<std::string> serials;
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::vector<std::string> fields;
            std::size_t start = 0;
            for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
                 start = comma + 1) {
                fields.push_back(line.substr(start, comma - start));
            }
            serials.push_back(fields.size() > 4 ? fields[4] : "");
        }
        return serials;
    }
};

TEST(StationWindowTest, StartRunsTheLineToPassWithDistinctSerialsAndCounts)
{
    StationArguments arguments;
    arguments.simulateUnits = "8";
    arguments.simulateParallel = "4";
    arguments.serialFormat = "TK-%04d";
    arguments.serialStart = "40";
    Window w;
    // The command line's values are the fields' first texts; the fields are what counts.
    w.dialog = std::make_unique<CStationDlg>(w.ui, [&] {
        StationArguments a = arguments;
        a.image = (w.folder / "golden.bin");
        a.log = (w.folder / "log.csv");
        return a;
    }());
    w.dialog->Open();
    EXPECT_EQ(w.Text(IDC_STATION_SIM_UNITS), "8");
    EXPECT_EQ(w.Text(IDC_STATION_SERIAL_FORMAT), "TK-%04d");
    w.Type(IDC_STATION_SERIAL_START, "500");

    w.Click(IDC_STATION_START);
    ASSERT_TRUE(w.dialog->IsRunning()) << w.Text(IDC_STATION_STATUS);
    ASSERT_TRUE(w.dialog->WaitForEnd(kRunLimit));

    EXPECT_FALSE(w.dialog->IsRunning());
    const std::vector<std::string> rows = w.Rows();
    ASSERT_EQ(rows.size(), 4u);
    std::set<std::string> shown;
    for (const std::string& row : rows) {
        EXPECT_NE(row.find("   PASS   TK-05"), std::string::npos) << row;
        shown.insert(row.substr(row.rfind(' ') + 1));
    }
    EXPECT_EQ(shown.size(), 4u);
    const std::vector<std::string> logged = w.LoggedSerials();
    ASSERT_EQ(logged.size(), 8u);
    EXPECT_EQ(std::set<std::string>(logged.begin(), logged.end()),
              (std::set<std::string>{"TK-0500", "TK-0501", "TK-0502", "TK-0503", "TK-0504",
                                     "TK-0505", "TK-0506", "TK-0507"}));
    EXPECT_EQ(w.Text(IDC_STATION_COUNTS), "Passed: 8   Failed: 0   Skipped: 0");
    EXPECT_EQ(w.Text(IDC_STATION_NEXT_SERIAL), "TK-0508");
    EXPECT_EQ(w.Text(IDC_STATION_CHECKSUM), w.dialog->CurrentStation()->ImageChecksum());
    EXPECT_EQ(w.Text(IDC_STATION_CHECKSUM).size(), 16u);
    EXPECT_EQ(w.Text(IDC_STATION_STATUS), "Done");
    EXPECT_TRUE(w.dialog->GetDlgItem(IDC_STATION_START)->IsEnabled());
    EXPECT_FALSE(w.dialog->GetDlgItem(IDC_STATION_STOP)->IsEnabled());
}

TEST(StationWindowTest, FieldsRefuseEditsFromStartToTheEndOfTheRun)
{
    Window w;
    w.Type(IDC_STATION_SIM_UNITS, "100000");
    w.Type(IDC_STATION_SERIAL_FORMAT, "S%06d");
    w.Click(IDC_STATION_START);
    ASSERT_TRUE(w.dialog->IsRunning());
    for (int id : {IDC_STATION_IMAGE, IDC_STATION_VID, IDC_STATION_PID, IDC_STATION_SERIAL_FORMAT,
                   IDC_STATION_SERIAL_START, IDC_STATION_COUNT, IDC_STATION_SIM_UNITS,
                   IDC_STATION_SIM_PARALLEL, IDC_STATION_LOG, IDC_STATION_START}) {
        EXPECT_FALSE(w.dialog->GetDlgItem(id)->IsEnabled()) << id;
    }
    // Stop ends the run: no new unit starts, those in progress are finished.
    w.Click(IDC_STATION_STOP);
    EXPECT_FALSE(w.dialog->GetDlgItem(IDC_STATION_STOP)->IsEnabled());
    ASSERT_TRUE(w.dialog->WaitForEnd(kRunLimit));
    const StationCounts counts = w.dialog->CurrentStation()->Counts();
    EXPECT_LT(counts.passed, 100000);
    EXPECT_EQ(static_cast<int>(w.LoggedSerials().size()), counts.passed + counts.failed);
    EXPECT_EQ(w.Text(IDC_STATION_STATUS), "Stopped");
    EXPECT_TRUE(w.dialog->GetDlgItem(IDC_STATION_IMAGE)->IsEnabled());
    // A run that has ended lets the window close.
    EXPECT_TRUE(w.dialog->OnClose());
}

TEST(StationWindowTest, ProgressReachesTheWindowWhileTheLineRuns)
{
    Window w;
    w.Type(IDC_STATION_SIM_UNITS, "100000");
    w.Type(IDC_STATION_SERIAL_FORMAT, "S%06d");
    w.Click(IDC_STATION_START);
    ASSERT_TRUE(w.dialog->IsRunning());
    // Delivered as the window's loop would, until passed units show during the run.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline) {
        w.ui.DispatchPending();
        seen = w.Text(IDC_STATION_COUNTS).rfind("Passed: 0 ", 0) != 0 && w.dialog->IsRunning();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(seen) << w.Text(IDC_STATION_COUNTS);
    const std::vector<std::string> rows = w.Rows();
    EXPECT_EQ(rows.size(), 1u);
    w.Click(IDC_STATION_STOP);
    ASSERT_TRUE(w.dialog->WaitForEnd(kRunLimit));
}

TEST(StationWindowTest, CloseIsRefusedWhileRunningAndDestructionStopsTheRun)
{
    Window w;
    w.Type(IDC_STATION_SIM_UNITS, "100000");
    w.Type(IDC_STATION_SERIAL_FORMAT, "S%06d");
    w.Click(IDC_STATION_START);
    ASSERT_TRUE(w.dialog->IsRunning());
    EXPECT_FALSE(w.dialog->OnClose());
    EXPECT_TRUE(w.dialog->IsWindow());
    EXPECT_EQ(w.prompter.Messages().size(), 1u);
    w.dialog.reset();  // must stop and join, not run on or crash
    EXPECT_LT(w.LoggedSerials().size(), 100000u);
}

TEST(StationWindowTest, WrongFieldsAreToldAndStartNothing)
{
    const std::vector<std::pair<int, std::string>> wrong = {
        {IDC_STATION_COUNT, "0"},          {IDC_STATION_SERIAL_START, "-1"},
        {IDC_STATION_SIM_UNITS, "x"},      {IDC_STATION_SIM_PARALLEL, "65"},
        {IDC_STATION_VID, "12G4"},         {IDC_STATION_IMAGE, "  "},
        {IDC_STATION_IMAGE, "missing.bin"}};
    for (const auto& [id, text] : wrong) {
        Window w;
        w.Type(IDC_STATION_SIM_UNITS, "2");
        w.Type(id, text);
        w.Click(IDC_STATION_START);
        EXPECT_FALSE(w.dialog->IsRunning()) << id << " " << text;
        ASSERT_EQ(w.prompter.Messages().size(), 1u) << id << " " << text;
        EXPECT_EQ(w.Text(IDC_STATION_STATUS), w.prompter.Messages()[0]);
        EXPECT_TRUE(w.dialog->GetDlgItem(IDC_STATION_IMAGE)->IsEnabled());
    }
}

TEST(StationWindowTest, RowsShowProgressSerialAndReason)
{
    StationSlot slot;
    slot.name = "slot 2";
    EXPECT_EQ(CStationDlg::RowText(slot), "slot 2   waiting");
    slot.state = SlotState::Programming;
    slot.progress = 40;
    slot.serial = "A7";
    EXPECT_EQ(CStationDlg::RowText(slot), "slot 2   programming 40%   A7");
    slot.state = SlotState::Passed;
    EXPECT_EQ(CStationDlg::RowText(slot), "slot 2   PASS   A7");
    slot.state = SlotState::Failed;
    slot.result = "failed: verify: byte 3, read 00";
    EXPECT_EQ(CStationDlg::RowText(slot), "slot 2   FAIL   verify: byte 3, read 00");
    slot.state = SlotState::Skipped;
    slot.result = "skipped: holds B1";
    EXPECT_EQ(CStationDlg::RowText(slot), "slot 2   SKIPPED   holds B1");
}

}  // namespace
}  // namespace tovrik
