// SPDX-License-Identifier: MIT
// The main window's count of pending changes and its Changes view, over the
// simulated chip: what they list is what a save writes, measured against the
// image the pages were loaded from.
#include "session/pending_changes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/demo_dlg.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"
#include "session/config_models.h"
#include "session/tool_session.h"

namespace tovrik {
namespace {

std::string Describe(const std::vector<SettingChange>& changes)
{
    std::string text;
    for (const SettingChange& c : changes) {
        text += c.key + ": " + c.before + " -> " + c.after + "\n";
    }
    return text;
}

class PendingChangesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("pending-changes-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        SessionDescription description;
        description.chip.simulate = true;
        description.backupFolder = folder_.string();
        std::string error;
        session = ToolSession::Build(description, prompter, error);
        ASSERT_NE(session, nullptr) << error;
        ASSERT_EQ(session->Start(false), 1);
        ASSERT_NE(session->Changes(), nullptr);
        Connect();
    }

    void TearDown() override
    {
        session.reset();
        std::filesystem::remove_all(folder_);
    }

    CDemoDlg& Window() { return *session->MainWindow(); }
    PendingChanges& Changes() { return *session->Changes(); }
    std::string Count() { return Window().GetDlgItemText(IDC_CHANGES_COUNT); }

    void Connect()
    {
        user_input::Type(Window(), *Window().GetDlgItem(IDC_VID), "1209");
        user_input::Type(Window(), *Window().GetDlgItem(IDC_PID), "0001");
        Click(IDC_CONNECT);
        ASSERT_EQ(Window().IsConnected(), 1);
    }

    void Click(int id) { user_input::Click(Window(), *Window().GetDlgItem(id)); }

    PropertyPage& Page(const std::string& title)
    {
        PropertyPage* page = Window().Sheet().FindPage(title);
        EXPECT_NE(page, nullptr) << title;
        Window().Sheet().SetActivePage(page);
        return *page;
    }

    void Type(const std::string& page, int id, const std::string& text)
    {
        PropertyPage& p = Page(page);
        user_input::Type(p, *p.GetDlgItem(id), text);
    }

    void Toggle(const std::string& page, int id)
    {
        PropertyPage& p = Page(page);
        user_input::Click(p, *p.GetDlgItem(id));
    }

    // The settings the chip holds now, read from it afresh as `device diff` reads them.
    std::vector<SettingValue> ChipSettings()
    {
        prompter.QueueAnswer(true);
        Click(IDC_REFRESH);
        SilentPrompter silent;
        ConfigModels models(session->Config(), silent);
        models.Create(session->App().CurrentDeviceProfile());
        return models.Table().Read();
    }

    std::filesystem::path folder_;
    RecordingPrompter prompter;
    std::unique_ptr<ToolSession> session;
};

TEST_F(PendingChangesTest, TheCountFollowsEditsOnTwoPagesAndTheirUndoing)
{
    // The pages not opened yet change nothing.
    EXPECT_EQ(Count(), "");
    EXPECT_TRUE(Window().GetDlgItem(IDC_CHANGES)->IsEnabled());
    Type("USB Config", IDC_USB_MANUFACTURER, "Bench Audio");
    EXPECT_EQ(Count(), "1 setting changed");
    Page("Volume Config");
    EXPECT_EQ(Count(), "1 setting changed");
    Toggle("Volume Config", IDC_VOL_PLAYBACK_MUTE);
    EXPECT_EQ(Count(), "2 settings changed");
    Type("USB Config", IDC_USB_SERIAL, "B-7");
    EXPECT_EQ(Count(), "3 settings changed");
    Type("USB Config", IDC_USB_MANUFACTURER, "Tovrik Audio");
    Toggle("Volume Config", IDC_VOL_PLAYBACK_MUTE);
    EXPECT_EQ(Count(), "1 setting changed");
    EXPECT_EQ(Describe(Changes().Changes()), "usb.serial: TK23-000001 -> B-7\n");
}

TEST_F(PendingChangesTest, WhatItListsIsExactlyWhatTheSaveChangesOnTheChip)
{
    const std::vector<SettingValue> before = ChipSettings();
    Type("USB Config", IDC_USB_PRODUCT, "Bench Headset");
    Toggle("Volume Config", IDC_VOL_PLAYBACK_MUTE);
    const std::vector<SettingChange> listed = Changes().Changes();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].page, "USB Config");
    EXPECT_EQ(listed[0].label, "Product String");

    Click(IDC_SAVE_EEPROM);
    // Saved, the pages hold what the chip holds.
    EXPECT_EQ(Count(), "");
    EXPECT_EQ(Describe(DiffSettings(before, ChipSettings())), Describe(listed));
}

TEST_F(PendingChangesTest, TheValueOnTheChipIsWhatThePagesWereLoadedFromNotANewRead)
{
    Type("USB Config", IDC_USB_MANUFACTURER, "Bench Audio");
    Click(IDC_ERASE);
    // The chip is blank now, but the pages were loaded from the factory image.
    EXPECT_EQ(Count(), "1 setting changed");
    EXPECT_EQ(Describe(Changes().Changes()), "usb.manufacturer: Tovrik Audio -> Bench Audio\n");
    // A refresh loads the blank chip: the edit is gone and the pages equal it.
    prompter.QueueAnswer(true);
    Click(IDC_REFRESH);
    EXPECT_EQ(Count(), "");
    Type("USB Config", IDC_USB_MANUFACTURER, "Bench Audio");
    EXPECT_EQ(Describe(Changes().Changes()), "usb.manufacturer:  -> Bench Audio\n");
}

TEST_F(PendingChangesTest, StopAndTheDemoPagesLeaveNothingPending)
{
    Type("USB Config", IDC_USB_MANUFACTURER, "Bench Audio");
    Window().OnCommand(IDC_MODE_DEMO, Notify::Clicked);
    EXPECT_EQ(Count(), "");
    Window().OnCommand(IDC_MODE_CONFIG, Notify::Clicked);
    EXPECT_EQ(Count(), "");
    Type("USB Config", IDC_USB_MANUFACTURER, "Bench Audio");
    EXPECT_EQ(Count(), "1 setting changed");
    prompter.QueueAnswer(true);
    Click(IDC_CONNECT);
    ASSERT_EQ(Window().IsConnected(), 0);
    EXPECT_EQ(Count(), "");
    EXPECT_TRUE(Changes().Changes().empty());
    EXPECT_FALSE(Window().GetDlgItem(IDC_CHANGES)->IsEnabled());
}

TEST_F(PendingChangesTest, TheViewListsTheRowsFollowsEditsAndCloses)
{
    std::vector<Dialog*> shown;
    session->Ui().SetViewShower([&shown](Dialog& view) { shown.push_back(&view); });
    Click(IDC_CHANGES);
    Dialog* view = session->Ui().FindView(PendingChanges::kViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(shown, std::vector<Dialog*>{view});
    EXPECT_EQ(view->GetDlgItemText(IDC_CHANGES_SUMMARY), "The pages change nothing on the chip");
    EXPECT_EQ(view->GetDlgItem(IDC_CHANGES_LIST)->GetCount(), 0);

    Type("USB Config", IDC_USB_MANUFACTURER, "Bench Audio");
    EXPECT_EQ(view->GetDlgItemText(IDC_CHANGES_SUMMARY), "1 setting changed against the chip");
    EXPECT_EQ(view->GetDlgItem(IDC_CHANGES_LIST)->Items(),
              std::vector<std::string>{
                  "USB Config  Manufacturer String  \"Tovrik Audio\"  \"Bench Audio\""});
    EXPECT_EQ(view->GetDlgItemText(IDC_CHANGES_HEADER),
              "Page        Setting              On the chip     To be written");

    user_input::Click(*view, *view->GetDlgItem(IDC_CHANGES_CLOSE));
    EXPECT_EQ(session->Ui().FindView(PendingChanges::kViewName), nullptr);
    // Opened again, it shows the changes of now.
    Toggle("Volume Config", IDC_VOL_PLAYBACK_MUTE);
    Click(IDC_CHANGES);
    view = session->Ui().FindView(PendingChanges::kViewName);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDlgItem(IDC_CHANGES_LIST)->GetCount(), 2);
    EXPECT_EQ(shown.size(), 2u);
}

TEST(ChangesRowsTest, ColumnsLineUpWhateverTheirWidthsAndEmptyValuesShow)
{
    const std::vector<std::string> rows =
        ChangesDialog::Rows({{"k1", "EQ Config", "Band-1 Gain (dB)", "0", ""},
                             {"k2", "USB Config", "VID", "1209", "ABCD"}});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "Page        Setting           On the chip  To be written");
    EXPECT_EQ(rows[1], "EQ Config   Band-1 Gain (dB)  \"0\"          \"\"");
    EXPECT_EQ(rows[2], "USB Config  VID               \"1209\"       \"ABCD\"");
}

}  // namespace
}  // namespace tovrik
