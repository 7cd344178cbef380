// SPDX-License-Identifier: MIT
// The station window with real widgets: opened from the main window or by a
// second start's request, it runs a simulated line to PASS.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <stdlib.h>
#include "support/posix_shim.h"

#include <filesystem>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "cli/temp_folder.h"
#include "dialog_view.h"
#include "platform/instance_request.h"
#include "platform/recording_prompter.h"
#include "resources/resource_ids.h"
#include "session/simulated_session.h"
#include "session/tool_session.h"
#include "station/station_dlg.h"
#include "station_window.h"
#include "tool_window.h"

namespace tovrik::gui {
namespace {

// Runs the event loop until `done` holds; gives up after a minute (a hang, not a measurement).
template <typename Condition>
bool WaitFor(Condition done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class StationWindowTest : public ::testing::Test {
protected:
    StationWindowTest() : session(SimulatedToolSession(recording)) {}

    void SetUp() override
    {
        cli::test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
        ASSERT_EQ(session->Start(false), 1);
        window = std::make_unique<ToolWindow>(*session->MainWindow(),
                                              [this] { return session->WindowTitle(); });
        StationArguments arguments;
        arguments.image = folder / "golden.bin";
        arguments.log = folder / "log.csv";
        arguments.serialFormat = "W%03d";
        arguments.simulateUnits = "4";
        arguments.simulateParallel = "2";
        station = std::make_unique<CStationDlg>(session->Ui(), arguments);
        stationWindow = std::make_unique<StationWindow>(*station);
        station->SetShowHandler([this] { stationWindow->ShowView(); });
        session->MainWindow()->SetStationOpener([this] { station->Open(); });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        stationWindow.reset();
        station.reset();
    }

    QWidget* StationWidget(int id) { return stationWindow->View()->WidgetFor(id); }

    cli::test::TempFolder folder;
    RecordingPrompter recording;
    std::unique_ptr<ToolSession> session;
    std::unique_ptr<ToolWindow> window;
    std::unique_ptr<CStationDlg> station;
    std::unique_ptr<StationWindow> stationWindow;
};

TEST_F(StationWindowTest, TheMainWindowsButtonOpensItAndStartRunsTheLineToPass)
{
    auto* open = qobject_cast<QAbstractButton*>(window->MainView().WidgetFor(IDC_STATION));
    ASSERT_NE(open, nullptr);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(stationWindow.get()));
    auto* image = qobject_cast<QLineEdit*>(StationWidget(IDC_STATION_IMAGE));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->text().toStdString(), std::string(folder / "golden.bin"));

    QTest::mouseClick(qobject_cast<QAbstractButton*>(StationWidget(IDC_STATION_START)),
                      Qt::LeftButton);
    EXPECT_FALSE(image->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !station->IsRunning(); }));
    auto* rows = qobject_cast<QListWidget*>(StationWidget(IDC_STATION_SLOTS));
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->count(), 2);
    for (int i = 0; i < rows->count(); ++i) {
        EXPECT_TRUE(rows->item(i)->text().contains("PASS   W00")) << i;
    }
    auto* counts = qobject_cast<QLabel*>(StationWidget(IDC_STATION_COUNTS));
    ASSERT_NE(counts, nullptr);
    EXPECT_EQ(counts->text().toStdString(), "Passed: 4   Failed: 0   Skipped: 0");
    EXPECT_TRUE(image->isEnabled());
}

TEST_F(StationWindowTest, ASecondStartsRequestOpensTheStationWindow)
{
    std::string error;
    auto listener = InstanceRequestListener::Listen("tool", error, folder.Path().string());
    ASSERT_TRUE(listener) << error;
    InstanceRequestWatcher watcher(std::move(listener), [&](const std::string& request) {
        if (request == "station") {
            session->MainWindow()->OpenStation();
        }
    });
    EXPECT_FALSE(stationWindow->isVisible());
    ASSERT_TRUE(SendInstanceRequest("tool", "station", folder.Path().string()));
    ASSERT_TRUE(WaitFor([&] { return stationWindow->isVisible(); }));
    EXPECT_TRUE(station->IsWindow());
}

}  // namespace
}  // namespace tovrik::gui
