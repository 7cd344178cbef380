// SPDX-License-Identifier: MIT
// tovrik-pictures: renders every page of the tool, connected to the simulated
// chip, and the Changes view into PNG files for the documentation.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cctype>
#include <cstdio>
#include <string>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "dialog_view.h"
#include "message_pump.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/demo_ids.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"
#include "session/tool_session.h"
#include "tool_window.h"
#include "view_window.h"

namespace {

// "Volume Config" -> "volume-config".
std::string FileStem(const std::string& title)
{
    std::string stem;
    for (char c : title) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!stem.empty() && stem.back() != '-') {
            stem += '-';
        }
    }
    while (!stem.empty() && stem.back() == '-') {
        stem.pop_back();
    }
    return stem;
}

bool Save(tovrik::gui::ToolWindow& window, const QString& folder, const std::string& stem)
{
    window.SyncFromModel();
    // No text cursor in the pictures.
    if (QWidget* focused = QApplication::focusWidget()) {
        focused->clearFocus();
    }
    QApplication::processEvents();
    const QString path = folder + "/" + QString::fromStdString(stem) + ".png";
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "tovrik-pictures: cannot write %s\n", path.toStdString().c_str());
        return false;
    }
    std::printf("%s\n", path.toStdString().c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tovrik;
    using namespace tovrik::gui;

    if (argc != 2) {
        std::fprintf(stderr, "Usage: tovrik-pictures FOLDER\n");
        return 2;
    }
    // The pictures never need a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tovrik-pictures: cannot make %s\n", argv[1]);
        return 1;
    }

    // Prompts are recorded, not shown: nothing here waits for a user.
    RecordingPrompter prompter;
    SessionDescription description;
    description.chip.simulate = true;
    std::string error;
    const std::unique_ptr<ToolSession> built = ToolSession::Build(description, prompter, error);
    if (!built) {
        std::fprintf(stderr, "tovrik-pictures: %s\n", error.c_str());
        return 1;
    }
    ToolSession& session = *built;
    session.Start(false);
    CDemoDlg& dialog = *session.MainWindow();
    ToolWindow window(dialog, [&session] { return session.WindowTitle(); });
    window.show();

    // Connected the way a user connects: the chip picked from the list, then "Connect".
    user_input::Select(dialog, *dialog.GetDlgItem(IDC_DEVICE_LIST), 0);
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_CONNECT));
    window.Pump().DispatchNow();

    bool ok = true;
    const auto renderPages = [&](const std::string& prefix) {
        const std::vector<PropertyPage*> pages = dialog.Sheet().Pages();
        for (PropertyPage* page : pages) {
            dialog.Sheet().SetActivePage(page);
            ok = Save(window, folder, prefix + FileStem(page->Title())) && ok;
        }
    };
    renderPages("");
    // Two edits, the count they make and the Changes view that lists them.
    dialog.Sheet().SetActivePage(dialog.Sheet().FindPage("USB Config"));
    if (PropertyPage* usb = dialog.Sheet().GetActivePage()) {
        user_input::Type(*usb, *usb->GetDlgItem(IDC_USB_MANUFACTURER), "Bench Audio");
        user_input::Type(*usb, *usb->GetDlgItem(IDC_USB_SERIAL), "B-0007");
    }
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_CHANGES));
    window.SyncFromModel();
    if (window.Views().empty()) {
        std::fprintf(stderr, "tovrik-pictures: the Changes view did not open\n");
        ok = false;
    } else {
        QWidget* changes = window.Views().front();
        QApplication::processEvents();
        const QString path = folder + "/changes.png";
        ok = changes->grab().save(path) && ok;
        std::printf("%s\n", path.toStdString().c_str());
        Dialog& view = window.Views().front()->View().Model();
        user_input::Click(view, *view.GetDlgItem(IDC_CHANGES_CLOSE));
    }
    ok = Save(window, folder, "usb-config-changed") && ok;
    // The demo pages are part of the program too, behind its hidden mode switch;
    // the EEPROM page shows the bytes of a read.
    dialog.OnCommand(IDC_MODE_DEMO, Notify::Clicked);
    for (PropertyPage* page : dialog.Sheet().Pages()) {
        if (page->Template().id == IDD_EEPROM) {
            dialog.Sheet().SetActivePage(page);
            user_input::Type(*page, *page->GetDlgItem(IDC_EEPROM_ADDRESS), "0");
            user_input::Type(*page, *page->GetDlgItem(IDC_EEPROM_COUNT), "100");
            user_input::Click(*page, *page->GetDlgItem(IDC_EEPROM_READ));
        }
    }
    renderPages("demo-");
    dialog.OnCommand(IDC_MODE_CONFIG, Notify::Clicked);
    for (const std::string& message : prompter.Messages()) {
        std::fprintf(stderr, "tovrik-pictures: the tool said: %s\n", message.c_str());
    }
    return ok ? 0 : 1;
}
