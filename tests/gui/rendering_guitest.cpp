// SPDX-License-Identifier: MIT
// How the window draws the dialogs: whole pages, multi-line fields, the
// fixed-pitch font where the templates ask for it, the busy state of a long
// command, and a status line that keeps to one line.
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "dialog_view.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/demo_ids.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"
#include "session/simulated_session.h"
#include "session/tool_session.h"
#include "sheet_view.h"
#include "support/posix_shim.h"
#include "tool_window.h"

namespace tovrik::gui {
namespace {

class RenderingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(session->Start(false), 1);
        window = std::make_unique<ToolWindow>(Dialog(), [] { return std::string("test"); });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        user_input::Select(Dialog(), *Dialog().GetDlgItem(IDC_DEVICE_LIST), 0);
        user_input::Click(Dialog(), *Dialog().GetDlgItem(IDC_CONNECT));
        window->SyncFromModel();
    }

    CDemoDlg& Dialog() { return *session->MainWindow(); }

    // Every page of both modes, made active and drawn in turn.
    template <typename Check>
    void ForEveryPage(Check check)
    {
        for (int mode : {IDC_MODE_CONFIG, IDC_MODE_DEMO}) {
            Dialog().OnCommand(mode, Notify::Clicked);
            for (PropertyPage* page : Dialog().Sheet().Pages()) {
                Dialog().Sheet().SetActivePage(page);
                window->SyncFromModel();
                DialogView* view = window->Sheet().PageView(page);
                ASSERT_NE(view, nullptr) << page->Title();
                check(*page, *view);
            }
        }
    }

    RecordingPrompter prompter;
    std::unique_ptr<ToolSession> session = SimulatedToolSession(prompter);
    std::unique_ptr<ToolWindow> window;
};

TEST_F(RenderingTest, NoControlOfAnyPageLiesOutsideThePageArea)
{
    // A desktop whose fixed-pitch font is larger than its window font, as many are.
    const QFont before = QApplication::font();
    QFont small = before;
    small.setPointSizeF(6);
    QApplication::setFont(small);
    window = std::make_unique<ToolWindow>(Dialog(), [] { return std::string("test"); });
    window->show();
    ForEveryPage([&](PropertyPage& page, DialogView& view) {
        // The tab's page may be larger than what the tab widget shows of it: the stack shows.
        QWidget* area = window->Sheet().currentWidget()->parentWidget();
        for (const auto& control : page.Controls()) {
            const QWidget* w = view.WidgetFor(control->Id());
            if (w == nullptr) {
                continue;  // labels without an id are checked through the page's own size
            }
            const QRect placed(w->mapTo(area, QPoint(0, 0)), w->size());
            EXPECT_TRUE(area->rect().contains(placed))
                << page.Title() << " control " << control->Id();
        }
        const QRect whole(view.mapTo(area, QPoint(0, 0)), view.size());
        EXPECT_TRUE(area->rect().contains(whole)) << page.Title();
    });
    // The status line lies below the pages, inside the window.
    const QRect sheet = window->Sheet().geometry();
    for (int id : {IDC_STATUS_CHIP, IDC_STATUS_OPERATION, IDC_STATUS_BACKUP, IDC_STATUS_NOTE}) {
        const QRect line = window->MainView().WidgetFor(id)->geometry();
        EXPECT_GT(line.top(), sheet.bottom()) << id;
        EXPECT_TRUE(window->rect().contains(line)) << id;
    }
    QApplication::setFont(before);
}

TEST_F(RenderingTest, TheFixedPitchFontIsUsedExactlyWhereTheTemplatesAskForIt)
{
    ForEveryPage([&](PropertyPage& page, DialogView& view) {
        EXPECT_EQ(QFontInfo(view.font()).fixedPitch(), page.Template().fixedFont) << page.Title();
    });
    EXPECT_FALSE(QFontInfo(window->MainView().font()).fixedPitch());
}

TEST_F(RenderingTest, ReadOnlyFieldsHaveTheWindowsBackgroundAndEditableOnesAFieldsOne)
{
    int readOnly = 0;
    int editable = 0;
    ForEveryPage([&](PropertyPage& page, DialogView& view) {
        for (const auto& control : page.Controls()) {
            QWidget* widget = view.WidgetFor(control->Id());
            if (control->Kind() != ControlKind::Edit || widget == nullptr) {
                continue;
            }
            const QPalette& palette = widget->palette();
            // Compared as the window shows them while it is active: a disabled
            // field may have the window's background whatever it is.
            const bool looksReadOnly = palette.color(QPalette::Active, QPalette::Base) ==
                                       palette.color(QPalette::Active, QPalette::Window);
            EXPECT_EQ(looksReadOnly, control->IsReadOnly()) << page.Title() << " " << control->Id();
            ++(control->IsReadOnly() ? readOnly : editable);
        }
    });
    EXPECT_GT(readOnly, 0);
    EXPECT_GT(editable, 0);
    // A field that stops being read-only looks editable again.
    PropertyPage* misc = Dialog().Sheet().FindPage("Misc Config");
    if (misc == nullptr) {
        Dialog().OnCommand(IDC_MODE_CONFIG, Notify::Clicked);
        misc = Dialog().Sheet().FindPage("Misc Config");
    }
    ASSERT_NE(misc, nullptr);
    Dialog().Sheet().SetActivePage(misc);
    window->SyncFromModel();
    DialogView* view = window->Sheet().PageView(misc);
    ASSERT_NE(view, nullptr);
    for (const auto& control : misc->Controls()) {
        if (control->Kind() == ControlKind::Edit && control->IsReadOnly()) {
            control->SetReadOnly(false);
            window->SyncFromModel();
            const QPalette& palette = view->WidgetFor(control->Id())->palette();
            EXPECT_NE(palette.color(QPalette::Active, QPalette::Base),
                      palette.color(QPalette::Active, QPalette::Window));
            break;
        }
    }
}

TEST_F(RenderingTest, AMultiLineFieldWrapsAndScrollsWhileASingleLineOneStaysALineEdit)
{
    Dialog().OnCommand(IDC_MODE_DEMO, Notify::Clicked);
    PropertyPage* eeprom = nullptr;
    for (PropertyPage* page : Dialog().Sheet().Pages()) {
        if (page->Template().id == IDD_EEPROM) {
            eeprom = page;
        }
    }
    ASSERT_NE(eeprom, nullptr);
    Dialog().Sheet().SetActivePage(eeprom);
    user_input::Type(*eeprom, *eeprom->GetDlgItem(IDC_EEPROM_ADDRESS), "0");
    user_input::Type(*eeprom, *eeprom->GetDlgItem(IDC_EEPROM_COUNT), "100");
    user_input::Click(*eeprom, *eeprom->GetDlgItem(IDC_EEPROM_READ));
    window->SyncFromModel();
    DialogView* view = window->Sheet().PageView(eeprom);
    ASSERT_NE(view, nullptr);
    EXPECT_NE(qobject_cast<QLineEdit*>(view->WidgetFor(IDC_EEPROM_ADDRESS)), nullptr);

    auto* data = qobject_cast<QPlainTextEdit*>(view->WidgetFor(IDC_EEPROM_DATA));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->toPlainText().toStdString(), eeprom->GetDlgItemText(IDC_EEPROM_DATA));
    QApplication::processEvents();
    const auto lineCount = [data] {
        int lines = 0;
        for (QTextBlock b = data->document()->begin(); b.isValid(); b = b.next()) {
            lines += b.layout()->lineCount();
            for (int i = 0; i < b.layout()->lineCount(); ++i) {
                EXPECT_LE(b.layout()->lineAt(i).naturalTextWidth(), data->viewport()->width());
            }
        }
        return lines;
    };
    // 256 bytes read: several lines, each as wide as the field at most.
    EXPECT_GT(lineCount(), 4);
    EXPECT_EQ(data->verticalScrollBar()->maximum(), 0);
    // More text than the field shows at once: it scrolls.
    eeprom->SetDlgItemText(IDC_EEPROM_DATA,
                           eeprom->GetDlgItemText(IDC_EEPROM_DATA) + std::string(4000, '0'));
    window->SyncFromModel();
    QApplication::processEvents();
    EXPECT_GT(lineCount(), 20);
    EXPECT_GT(data->verticalScrollBar()->maximum(), 0);

    // What the user types goes into the page's field.
    data->clear();
    data->setFocus();
    QTest::keyClicks(data, "01 02");
    EXPECT_EQ(eeprom->GetDlgItemText(IDC_EEPROM_DATA), "01 02");
}

TEST(BusyTest, ALongCommandShowsItsProgressAndKeepsTheWindowPainted)
{
    RecordingPrompter prompter;
    auto session = SimulatedToolSession(prompter, true);
    // Slow write cycles (the parts allow up to 10 ms) make "Erase" (32 pages) take a third of a
    // second.
    session->Chip()->SetWriteCycleUs(10000);
    ASSERT_EQ(session->Start(false), 1);
    CDemoDlg& dialog = *session->MainWindow();
    ToolWindow window(dialog, [] { return std::string("test"); });
    window.WatchProgress(session->Directory());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    user_input::Select(dialog, *dialog.GetDlgItem(IDC_DEVICE_LIST), 0);
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_CONNECT));
    window.SyncFromModel();
    ASSERT_EQ(dialog.IsConnected(), 1);

    auto* bar = window.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    // A timer only fires while the event loop runs: during the command, if it is kept running.
    int ticksWhileBusy = 0;
    bool barShown = false;
    bool busyCursor = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (window.IsBusy()) {
            ++ticksWhileBusy;
            barShown = barShown || bar->isVisible();
            busyCursor = busyCursor || QApplication::overrideCursor() != nullptr;
        }
    });
    ticker.start(40);
    QTest::mouseClick(qobject_cast<QPushButton*>(window.MainView().WidgetFor(IDC_ERASE)),
                      Qt::LeftButton);

    EXPECT_GT(ticksWhileBusy, 0);
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(busyCursor);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_OPERATION).rfind("Erase: done in ", 0), 0U);
}

TEST(StatusLineTest, ALongBackupPathIsShortenedInTheMiddleAndTheWindowKeepsItsSize)
{
    std::string folder = (std::filesystem::temp_directory_path() / "status-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    folder +=
        "/a-folder-whose-name-is-long-enough-to-need-shortening/and-one-more-level-below-it/"
        "and-another-one-to-be-sure";
    std::filesystem::create_directories(folder);
    RecordingPrompter prompter;
    SessionDescription description;
    description.chip.simulate = true;
    description.backupFolder = folder;
    std::string error;
    auto session = ToolSession::Build(description, prompter, error);
    ASSERT_NE(session, nullptr) << error;
    ASSERT_EQ(session->Start(false), 1);
    CDemoDlg& dialog = *session->MainWindow();
    ToolWindow window(dialog, [] { return std::string("test"); });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QSize before = window.size();
    user_input::Select(dialog, *dialog.GetDlgItem(IDC_DEVICE_LIST), 0);
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_CONNECT));
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_ERASE));
    window.SyncFromModel();
    QApplication::processEvents();

    const std::string whole = dialog.GetDlgItemText(IDC_STATUS_BACKUP);
    ASSERT_NE(whole.find(folder), std::string::npos) << whole;
    auto* line = qobject_cast<QLabel*>(window.MainView().WidgetFor(IDC_STATUS_BACKUP));
    ASSERT_NE(line, nullptr);
    const std::string shown = line->text().toStdString();
    EXPECT_LE(QFontMetrics(line->font()).horizontalAdvance(line->text()),
              line->contentsRect().width());
    EXPECT_NE(shown.find("/.../"), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.rfind('/')), whole.substr(whole.rfind('/'))) << shown;
    EXPECT_EQ(line->toolTip().toStdString(), whole);
    EXPECT_EQ(window.size(), before);
    // One line each, none over another.
    int above = -1;
    for (int id : {IDC_STATUS_CHIP, IDC_STATUS_OPERATION, IDC_STATUS_BACKUP, IDC_STATUS_NOTE}) {
        const QRect placed = window.MainView().WidgetFor(id)->geometry();
        EXPECT_GT(placed.top(), above) << id;
        above = placed.bottom();
    }
    EXPECT_FALSE(line->wordWrap());

    // Text with no path is cut at its end; a text that fits again shows whole, with no tooltip.
    auto* chip = qobject_cast<QLabel*>(window.MainView().WidgetFor(IDC_STATUS_CHIP));
    ASSERT_NE(chip, nullptr);
    dialog.SetDlgItemText(IDC_STATUS_CHIP, "Connected: " + std::string(300, 'x'));
    window.MainView().SyncFromModel();
    EXPECT_TRUE(chip->text().endsWith("x..."));
    EXPECT_EQ(chip->toolTip().size(), 311);
    dialog.SetDlgItemText(IDC_STATUS_CHIP, "No chip connected");
    window.MainView().SyncFromModel();
    EXPECT_EQ(chip->text(), "No chip connected");
    EXPECT_TRUE(chip->toolTip().isEmpty());
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path().parent_path());
}

}  // namespace
}  // namespace tovrik::gui
