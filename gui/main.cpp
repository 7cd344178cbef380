// SPDX-License-Identifier: MIT
// tovrik-config: the configuration tool on the desktop.
#include <QApplication>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "app_icon.h"
#include "command_line.h"
#include "hardware_transport.h"
#include "platform/instance_request.h"
#include "platform/single_instance_lock.h"
#include "qt_prompter.h"
#include "remembered_ids.h"
#include "session/platform_devices.h"
#include "session/tool_session.h"
#include "station/station_dlg.h"
#include "station_window.h"
#include "tool_window.h"

namespace {

constexpr const char* kProgram = "tovrik-config";
constexpr const char* kVersion = "2.0.1.2";
constexpr const char* kNoDisplay =
    "tovrik-config: no display to open the window on; use tovrik-cli for scripts and "
    "images, or QT_QPA_PLATFORM=offscreen to run the window unseen";
// What a second start asks of the running tool.
constexpr const char* kRaiseRequest = "raise";
constexpr const char* kStationRequest = "station";

// True while the toolkit connects to the window system, which it cannot survive failing.
bool startingToolkit = false;

void OnToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (startingToolkit && type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", kNoDisplay);
        std::_Exit(2);
    }
    // Complaints about the missing display come before the fatal one; the line above says it all.
    if (startingToolkit && context.category != nullptr &&
        std::string(context.category).rfind("qt.qpa", 0) == 0) {
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool PlatformChosen(int argc, char** argv)
{
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform != nullptr && *platform) {
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "-platform") {
            return true;
        }
    }
    return false;
}

bool DisplayNamed()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tovrik;
    using namespace tovrik::gui;

    // Help, version and mistakes are answered before any window system is needed.
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
                     line.error.c_str(), kProgram);
        return 2;
    }
    if (line.help) {
        std::fputs(UsageText(kProgram).c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("%s %s\n", kProgram, kVersion);
        return 0;
    }

    ChipChoice choice;
    choice.simulate = line.simulate;
    choice.backingFile = line.simulateFile;
    choice.deviceCode = line.simCode;
    choice.realTiming = line.simRealTiming;
    std::string error;
    // Checked before the display: a mistake in the options is told without a window.
    if (choice.simulate && !SimulatedChipFor(choice, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 2;
    }
    if (!PlatformChosen(argc, argv) && !DisplayNamed()) {
        std::fprintf(stderr, "%s\n", kNoDisplay);
        return 2;
    }

    qInstallMessageHandler(OnToolkitMessage);
    startingToolkit = true;
    QApplication application(argc, argv);
    startingToolkit = false;
    QApplication::setApplicationName(QString::fromUtf8(kProgram));
    QApplication::setOrganizationName(QStringLiteral("tovrik"));
    QApplication::setApplicationVersion(QString::fromUtf8(kVersion));
    QApplication::setWindowIcon(AppIcon());
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kProgram));

    QtPrompter prompter;
    RegisterHardwareTransports(SystemDevices());
    SessionDescription description;
    description.chip = choice;
    // The window's commands go into the day's log file as well as its Log view.
    description.keepLog = true;
    const std::unique_ptr<ToolSession> built = ToolSession::Build(description, prompter, error);
    if (!built) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 2;
    }
    ToolSession& session = *built;
    if (session.Start(true) == 0) {
        // With --station the running tool opens its station window, and this start ends silently.
        if (line.station && SendInstanceRequest(kProgram, kStationRequest)) {
            return 0;
        }
        if (!line.station && SendInstanceRequest(kProgram, kRaiseRequest)) {
            std::fprintf(stderr, "%s: already running; its window was brought to the front\n",
                         kProgram);
            return 0;
        }
        std::fprintf(stderr, "%s: already running, but its window could not be reached\n",
                     kProgram);
        return 1;
    }
    if (const std::string& problem = session.App().InstanceLockProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
    }
    if (line.demoFeatures) {
        session.MainWindow()->ShowModeSwitch();
    }
    QSettings settings;
    RestoreIds(*session.MainWindow(), settings);
    ToolWindow window(*session.MainWindow(), [&session] { return session.WindowTitle(); });
    window.WatchProgress(session.Directory());
    prompter.SetParentWindow(&window);
    prompter.SetBeforePrompt([&window] { window.PauseBusyDisplay(); });

    CStationDlg station(session.Ui(), line.stationArguments);
    StationWindow stationWindow(station);
    station.SetShowHandler([&stationWindow] { stationWindow.ShowView(); });
    session.MainWindow()->SetStationOpener([&station] { station.Open(); });

    // A second start's requests: "raise" brings this window to the front,
    // "station" also opens the station window (after the usual question).
    std::unique_ptr<InstanceRequestWatcher> requests;
    if (auto listener = InstanceRequestListener::Listen(kProgram, error)) {
        requests = std::make_unique<InstanceRequestWatcher>(
            std::move(listener), [&](const std::string& request) {
                window.BringToFront();
                if (request == kStationRequest) {
                    session.MainWindow()->OpenStation();
                    window.SyncFromModel();
                }
            });
    } else {
        std::fprintf(stderr, "%s: a second start cannot reach this window: %s\n", kProgram,
                     error.c_str());
    }

    QObject::connect(&window, &ToolWindow::Connected, &window,
                     [&] { RememberIds(*session.MainWindow(), settings); });
    window.show();
    if (line.station) {
        session.MainWindow()->OpenStation();
    }
    return QApplication::exec();
}
