// SPDX-License-Identifier: MIT
#include "session/simulated_session.h"
#include "session/tool_session.h"
#include "support/posix_shim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/demo_dlg.h"
#include "platform/fitted_line.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

class ToolSessionJournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "session-journal-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    // A session on a simulated chip whose EEPROM is kept in a file, as the
    // desktop tool's --simulate=FILE runs.
    std::unique_ptr<ToolSession> FileBackedSession()
    {
        SessionDescription description;
        description.chip.simulate = true;
        description.chip.backingFile = dir + "/chip.bin";
        description.callLog = true;
        description.backupFolder = dir + "/backups";
        description.journalFolder = dir + "/journal";
        std::string error;
        auto session = ToolSession::Build(description, prompter, error);
        if (!session || session->Start(false) == 0) {
            ADD_FAILURE() << error;
            return nullptr;
        }
        return session;
    }

    static void Click(ToolSession& session, int id)
    {
        CDemoDlg& window = *session.MainWindow();
        user_input::Click(window, *window.GetDlgItem(id));
        session.Ui().DispatchPending();
    }

    static void Connect(ToolSession& session)
    {
        CDemoDlg& window = *session.MainWindow();
        user_input::Type(window, *window.GetDlgItem(IDC_VID), "1209");
        user_input::Type(window, *window.GetDlgItem(IDC_PID), "0001");
        Click(session, IDC_CONNECT);
    }

    std::string dir;
    RecordingPrompter prompter;
};

TEST_F(ToolSessionJournalTest, AnEraseCutOffIsNamedAtTheNextConnectionAndOkWritesItsBackupBack)
{
    auto session = FileBackedSession();
    ASSERT_TRUE(session);
    Connect(*session);
    ASSERT_EQ(session->MainWindow()->IsConnected(), 1);
    const std::vector<std::uint8_t> before = session->Chip()->Eeprom();
    // The third page stores nothing: the erase stops half done.
    session->Chip()->DropEepromWriteCycle(3);
    Click(*session, IDC_ERASE);
    ASSERT_NE(session->Chip()->Eeprom(), before);
    ASSERT_EQ(session->Journal()->Records().size(), 1u);
    EXPECT_EQ(session->Journal()->Records()[0].command, "Erase");

    // Stop, then connect again and decline: the status line keeps naming it.
    prompter.QueueAnswer(true);
    Click(*session, IDC_CONNECT);
    prompter.QueueAnswer(false);
    Connect(*session);
    CDemoDlg& window = *session->MainWindow();
    const std::string backup = session->Journal()->Records()[0].backup;
    // The window shows paths with the system's separator.
    const std::string shown = WithSystemSeparators(backup);
    EXPECT_NE(window.GetDlgItemText(IDC_STATUS_CHIP)
                  .find("A write to this chip was not finished (Erase); " + shown +
                        " holds what it replaced"),
              std::string::npos)
        << window.GetDlgItemText(IDC_STATUS_CHIP);
    const auto asked =
        std::find_if(prompter.Prompts().begin(), prompter.Prompts().end(), [&](const auto& prompt) {
            return prompt.text.find("Write back " + shown) != std::string::npos;
        });
    ASSERT_NE(asked, prompter.Prompts().end());
    EXPECT_EQ(asked->answer, "cancel");

    prompter.QueueAnswer(true);
    Click(*session, IDC_CONNECT);
    prompter.QueueAnswer(true);
    Connect(*session);
    EXPECT_EQ(session->Chip()->Eeprom(), before);
    EXPECT_TRUE(session->Journal()->Records().empty());
    EXPECT_NE(window.GetDlgItemText(IDC_STATUS_CHIP).find("Written back from " + shown),
              std::string::npos)
        << window.GetDlgItemText(IDC_STATUS_CHIP);
    // What the write-back replaced, the half-erased EEPROM, is the newest backup.
    EXPECT_NE(session->Backups().List().front().name, fs::path(backup).filename().string());
}

TEST_F(ToolSessionJournalTest, AVerifiedSaveLeavesNoRecordAndAnInMemoryChipHasNoJournal)
{
    auto session = FileBackedSession();
    ASSERT_TRUE(session);
    Connect(*session);
    Click(*session, IDC_SAVE_EEPROM);
    EXPECT_EQ(session->Backups().List().size(), 1u) << "the save kept no backup";
    EXPECT_TRUE(session->Journal()->Records().empty());

    auto inMemory = SimulatedToolSession(prompter);
    EXPECT_EQ(inMemory->Journal(), nullptr);
}

}  // namespace
}  // namespace tovrik
