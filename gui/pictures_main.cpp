// SPDX-License-Identifier: MIT
// tovrik-pictures: renders every page of the tool, connected to the simulated
// chip, and the Changes view into PNG files for the documentation.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
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
#include "resources/view_ids.h"
#include "session/tool_session.h"
#include "station/station_dlg.h"
#include "station_window.h"
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

bool Save(QWidget& window, const QString& folder, const std::string& stem,
          QWidget* shown = nullptr)
{
    // No text cursor in the pictures.
    if (QWidget* focused = QApplication::focusWidget()) {
        focused->clearFocus();
    }
    QApplication::processEvents();
    const QString path = folder + "/" + QString::fromStdString(stem) + ".png";
    if (!(shown != nullptr ? shown : &window)->grab().save(path)) {
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
    // The backups of the pictures' own writes go nowhere the user keeps any;
    // the log is only listed.
    QTemporaryDir state;
    description.backupFolder = state.path().toStdString() + "/backups";
    description.backupClock = [] { return std::time_t{1796739303}; };
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
            window.SyncFromModel();
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

    // The Backups view after a save that changed the serial string, compared,
    // and the Log view of the session.
    dialog.Sheet().SetActivePage(dialog.Sheet().Pages().front());
    if (Dialog* usb = dialog.Sheet().GetActivePage()) {
        user_input::Type(*usb, *usb->GetDlgItem(IDC_USB_SERIAL), "TK23-000002");
        user_input::Leave(*usb, *usb->GetDlgItem(IDC_USB_SERIAL));
    }
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_SAVE_EEPROM));
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_BACKUPS));
    Dialog& backups = dialog.BackupsView();
    user_input::Select(backups, *backups.GetDlgItem(IDC_BACKUPS_LIST), 0);
    user_input::Click(backups, *backups.GetDlgItem(IDC_BACKUPS_COMPARE));
    window.SyncFromModel();
    ok = Save(window, folder, "backups", window.ViewWindowFor(backups)) && ok;
    user_input::Click(backups, *backups.GetDlgItem(IDC_BACKUPS_CLOSE));
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_LOG));
    window.SyncFromModel();
    ok = Save(window, folder, "log", window.ViewWindowFor(dialog.LogView())) && ok;
    user_input::Click(dialog.LogView(), *dialog.LogView().GetDlgItem(IDC_LOG_CLOSE));
    window.SyncFromModel();
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

    // The station window after a simulated line of eight units, four at a time,
    // run in a folder of its own so the picture shows short file names.
    QTemporaryDir line;
    const QString here = QDir::currentPath();
    if (line.isValid() && QDir::setCurrent(line.path())) {
        std::ofstream("golden.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(FactoryEepromImage().data()),
                   static_cast<std::streamsize>(FactoryEepromImage().size()));
        StationArguments arguments;
        arguments.image = "golden.bin";
        arguments.log = "station.csv";
        arguments.serialFormat = "TK23-%06d";
        arguments.serialStart = "100";
        arguments.simulateUnits = "8";
        arguments.simulateParallel = "4";
        CStationDlg station(session.Ui(), arguments);
        StationWindow stationWindow(station);
        station.SetShowHandler([&stationWindow] { stationWindow.ShowView(); });
        dialog.SetStationOpener([&station] { station.Open(); });
        prompter.QueueAnswer(true);  // "Stop the connection ...?"
        dialog.OpenStation();
        user_input::Click(station, *station.GetDlgItem(IDC_STATION_START));
        ok = station.WaitForEnd(std::chrono::minutes(2)) && ok;
        stationWindow.SyncFromModel();
        ok = Save(stationWindow, folder, "station") && ok;
        dialog.SetStationOpener({});
        QDir::setCurrent(here);
    } else {
        ok = false;
    }
    for (const std::string& message : prompter.Messages()) {
        std::fprintf(stderr, "tovrik-pictures: the tool said: %s\n", message.c_str());
    }
    return ok ? 0 : 1;
}
