// SPDX-License-Identifier: MIT
// The main window with real widgets over the simulated chip: what a user does
// with mouse and keyboard reaches the dialogs, and what the dialogs do shows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "dialog_view.h"
#include "platform/recording_prompter.h"
#include "qt_prompter.h"
#include "resources/resource_ids.h"
#include "session/simulated_session.h"
#include "resources/view_ids.h"
#include "session/tool_session.h"
#include "sheet_view.h"
#include "tool_window.h"
#include "view_window.h"

namespace tovrik::gui {
namespace {

// Runs the event loop until `done` holds or two seconds have passed.
template <typename Condition>
bool WaitFor(Condition done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class ToolWindowTest : public ::testing::Test {
protected:
    explicit ToolWindowTest(Prompter* prompter = nullptr)
        : session(SimulatedToolSession(prompter != nullptr ? *prompter : recording))
    {
    }

    void SetUp() override
    {
        ASSERT_EQ(session->Start(false), 1);
        window = std::make_unique<ToolWindow>(*session->MainWindow(),
                                              [this] { return session->WindowTitle(); });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    CDemoDlg& Dialog() { return *session->MainWindow(); }
    QWidget* Widget(int id) { return window->MainView().WidgetFor(id); }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(Widget(id)); }
    QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(Widget(id)); }

    void ConnectByHand()
    {
        QTest::keyClicks(Edit(IDC_VID), "1209");
        QTest::keyClicks(Edit(IDC_PID), "0001");
        QTest::mouseClick(Button(IDC_CONNECT), Qt::LeftButton);
    }

    RecordingPrompter recording;
    std::unique_ptr<ToolSession> session;
    std::unique_ptr<ToolWindow> window;
};

TEST_F(ToolWindowTest, TheLogOpensInAWindowOfItsOwnAndEscapeClosesItInTheModelToo)
{
    ConnectByHand();
    QTest::mouseClick(Button(IDC_LOG), Qt::LeftButton);
    ViewWindow* log = window->ViewWindowFor(Dialog().LogView());
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    auto* text = log->View().WidgetFor(IDC_LOG_TEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text->property("plainText").toString().indexOf("| Connect | done |"), -1);
    // Escape, like the title bar's close box, closes the view in the model.
    QTest::keyClick(log, Qt::Key_Escape);
    EXPECT_FALSE(Dialog().LogView().IsWindow());
    EXPECT_TRUE(WaitFor([&] { return window->ViewWindowFor(Dialog().LogView()) == nullptr; }));
    // Opened again, it is a new window showing the model's new window.
    QTest::mouseClick(Button(IDC_LOG), Qt::LeftButton);
    ASSERT_NE(window->ViewWindowFor(Dialog().LogView()), nullptr);
    EXPECT_FALSE(window->ViewWindowFor(Dialog().LogView())->View().IsStale());
}

TEST_F(ToolWindowTest, TypedIdsAndConnectRelabelTheButtonAndEnableTheCommands)
{
    const std::vector<int> commands = {IDC_SAVE_EEPROM, IDC_ERASE, IDC_REFRESH, IDC_EEPROM_TO_FILE,
                                       IDC_FILE_TO_EEPROM};
    for (int id : commands) {
        EXPECT_FALSE(Button(id)->isEnabled()) << id;
    }
    ConnectByHand();
    EXPECT_EQ(Dialog().GetDlgItemText(IDC_VID), "1209");
    EXPECT_EQ(Dialog().IsConnected(), 1);
    EXPECT_EQ(Button(IDC_CONNECT)->text(), "Stop");
    for (int id : commands) {
        EXPECT_TRUE(Button(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(recording.Messages().empty());
}

TEST_F(ToolWindowTest, EnterInThePidFieldConnects)
{
    QTest::keyClicks(Edit(IDC_VID), "1209");
    QTest::keyClicks(Edit(IDC_PID), "0001");
    QTest::keyClick(Edit(IDC_PID), Qt::Key_Return);
    EXPECT_EQ(Dialog().IsConnected(), 1);
    EXPECT_EQ(Button(IDC_CONNECT)->text(), "Stop");
    // Connected, Enter asks nothing.
    QTest::keyClick(Edit(IDC_VID), Qt::Key_Return);
    EXPECT_EQ(Dialog().IsConnected(), 1);
    EXPECT_TRUE(recording.Prompts().empty());
}

TEST_F(ToolWindowTest, ChangesOpensAWindowOfItsOwnThatFollowsTheCountAndClosesTheView)
{
    ConnectByHand();
    PropertyPage* usb = Dialog().Sheet().FindPage("USB Config");
    ASSERT_NE(usb, nullptr);
    window->SyncFromModel();
    auto* manufacturer = qobject_cast<QLineEdit*>(window->Sheet().PageView(usb)->WidgetFor(1017));
    ASSERT_NE(manufacturer, nullptr);
    manufacturer->selectAll();
    QTest::keyClicks(manufacturer, "Bench");
    EXPECT_EQ(qobject_cast<QLabel*>(Widget(IDC_CHANGES_COUNT))->text(), "1 setting changed");

    QTest::mouseClick(Button(IDC_CHANGES), Qt::LeftButton);
    ASSERT_EQ(window->Views().size(), 1u);
    ViewWindow* view = window->Views().front();
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->windowTitle(), "Changes");
    auto* list = qobject_cast<QListWidget*>(view->View().WidgetFor(IDC_CHANGES_LIST));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 1);
    QTest::keyClicks(manufacturer, "!");
    EXPECT_NE(list->item(0)->text().indexOf("Bench!"), -1) << list->item(0)->text().toStdString();
    // A second click brings the same window forward.
    QTest::mouseClick(Button(IDC_CHANGES), Qt::LeftButton);
    EXPECT_EQ(window->Views().size(), 1u);

    view->close();
    EXPECT_EQ(session->Ui().FindView(PendingChanges::kViewName), nullptr);
    EXPECT_TRUE(WaitFor([this] { return window->Views().empty(); }));
}

TEST_F(ToolWindowTest, TheVidFieldRefusesItsFifthCharacter)
{
    QTest::keyClicks(Edit(IDC_VID), "12345");
    EXPECT_EQ(Edit(IDC_VID)->text(), "1234");
    EXPECT_EQ(Dialog().GetDlgItemText(IDC_VID), "1234");
}

TEST_F(ToolWindowTest, HiddenControlsAreNotVisibleAndShownOnesAre)
{
    for (int id : {IDC_MODE_CONFIG, IDC_MODE_DEMO, IDC_MODE_FRAME}) {
        EXPECT_FALSE(Widget(id)->isVisible()) << id;
    }
    for (int id : {IDC_VID, IDC_PID, IDC_CONNECT, IDC_SAVE_EEPROM}) {
        EXPECT_TRUE(Widget(id)->isVisible()) << id;
    }
    // Shown again when the model shows them, as a mode switch made visible would.
    Dialog().GetDlgItem(IDC_MODE_DEMO)->Show(true);
    window->SyncFromModel();
    EXPECT_TRUE(Widget(IDC_MODE_DEMO)->isVisible());
}

TEST_F(ToolWindowTest, ControlsArePlacedByTheirRectanglesInDialogUnits)
{
    const DialogUnits& units = window->MainView().Units();
    // Units follow the font: a font twice as large gives units about twice as large.
    QFont large = window->MainView().font();
    large.setPointSizeF(large.pointSizeF() * 2);
    const DialogUnits scaled = DialogUnits::ForFont(large);
    EXPECT_NEAR(scaled.x / units.x, 2.0, 0.25);
    EXPECT_NEAR(scaled.y / units.y, 2.0, 0.25);
    EXPECT_EQ(Widget(IDC_CONNECT)->geometry(),
              units.ToPixels(Dialog().GetDlgItem(IDC_CONNECT)->Area()));
    const QRect vid = Widget(IDC_VID)->geometry();
    const QRect connect = Widget(IDC_CONNECT)->geometry();
    EXPECT_LT(vid.right(), connect.left());
}

TEST_F(ToolWindowTest, TabsFollowTheSheetAndAClickedTabActivatesItsPage)
{
    SheetView& sheet = window->Sheet();
    std::vector<std::string> tabs;
    for (int i = 0; i < sheet.count(); ++i) {
        tabs.push_back(sheet.tabText(i).toStdString());
    }
    EXPECT_EQ(tabs, (std::vector<std::string>{"USB Config", "Volume Config", "EQ Config",
                                              "Misc Config", "About"}));
    EXPECT_EQ(sheet.currentIndex(), 0);

    QTabBar* bar = sheet.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(4).center());
    ASSERT_NE(Dialog().Sheet().GetActivePage(), nullptr);
    EXPECT_EQ(Dialog().Sheet().GetActivePage()->Title(), "About");
    EXPECT_NE(sheet.PageView(Dialog().Sheet().GetActivePage()), nullptr);

    // The demo pages replace the configuration pages when the mode changes.
    Dialog().OnCommand(IDC_MODE_DEMO, Notify::Clicked);
    window->SyncFromModel();
    EXPECT_EQ(sheet.count(), 5);
    EXPECT_EQ(sheet.tabText(sheet.currentIndex()), "GPIO Control");
    EXPECT_EQ(sheet.tabText(0), "About");
}

TEST_F(ToolWindowTest, UnpluggingFromAnotherThreadReachesTheWindow)
{
    ConnectByHand();
    ASSERT_EQ(Button(IDC_CONNECT)->text(), "Stop");
    EXPECT_NE(window->windowTitle().indexOf("simulated chip 1209:0001"), -1);

    std::thread([this] { session->Chip()->Unplug(); }).join();
    EXPECT_TRUE(WaitFor([&] { return Button(IDC_CONNECT)->text() == "Connect"; }));
    EXPECT_EQ(Dialog().IsConnected(), 0);
    EXPECT_FALSE(Button(IDC_ERASE)->isEnabled());
    EXPECT_NE(window->windowTitle().indexOf("simulated chip (unplugged)"), -1);
    EXPECT_TRUE(recording.Messages().empty());
}

TEST_F(ToolWindowTest, ClosingAsksFirstAndOnlyOkClosesTheWindow)
{
    window->close();  // the question goes unanswered: Cancel
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Dialog().IsWindow());
    recording.QueueAnswer(true);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Dialog().IsWindow());
    ASSERT_EQ(recording.Prompts().size(), 2U);
    EXPECT_EQ(recording.Prompts()[1].text, "Exit the configuration tool without further saving ?");
}

// The same window with the real desktop prompts.
class DesktopPromptTest : public ToolWindowTest {
protected:
    DesktopPromptTest() : ToolWindowTest(&desktop) {}

    // Answers the next question box with `button` once it is up; records what it asked.
    void AnswerNextQuestion(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(10, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                AnswerNextQuestion(button);  // not up yet
                return;
            }
            askedText = box->text().toStdString();
            askedCaption = box->windowTitle().toStdString();
            box->button(button)->click();
        });
    }

    QtPrompter desktop;
    std::string askedText;
    std::string askedCaption;
};

TEST_F(DesktopPromptTest, StopAnsweredCancelChangesNothingAndOkDisconnects)
{
    ConnectByHand();
    ASSERT_EQ(Dialog().IsConnected(), 1);

    AnswerNextQuestion(QMessageBox::Cancel);
    QTest::mouseClick(Button(IDC_CONNECT), Qt::LeftButton);
    EXPECT_EQ(askedText, "Stop the connection without further saving ?");
    EXPECT_EQ(askedCaption, "Tovrik Configuration");
    EXPECT_EQ(Dialog().IsConnected(), 1);
    EXPECT_EQ(Button(IDC_CONNECT)->text(), "Stop");
    EXPECT_TRUE(Button(IDC_ERASE)->isEnabled());

    AnswerNextQuestion(QMessageBox::Ok);
    QTest::mouseClick(Button(IDC_CONNECT), Qt::LeftButton);
    EXPECT_EQ(Dialog().IsConnected(), 0);
    EXPECT_EQ(Button(IDC_CONNECT)->text(), "Connect");
}

}  // namespace
}  // namespace tovrik::gui
