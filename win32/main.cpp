// SPDX-License-Identifier: MIT
// tovrik-config.exe: the configuration tool as a native Windows program.
#include "windows_api.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "command_line.h"
#include "platform/instance_request.h"
#include "platform/win32/wide_text.h"
#include "session/platform_devices.h"
#include "session/tool_session.h"
#include "session/win32/windows_devices.h"
#include "station/station_dlg.h"
#include "station_frame.h"
#include "tool_frame.h"
#include "win32_prompter.h"

namespace {

constexpr const char* kVersion = "2.0.1.2";
// The exit status of a wrong command line, or of input it names (a --simulate
// file, a device library) that cannot be used, as on every system.
constexpr int kBadInput = 2;
// The name under which the running tool takes a second start's requests.
constexpr const char* kRequestName = "tovrik-config";
constexpr const char* kStationRequest = "station";

// Help, version and mistakes go to the console the program was started
// from; started from the desktop it has none, and a message box says it.
void Tell(const std::string& text, bool error)
{
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        }
    }
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE &&
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return;
    }
    MessageBoxW(nullptr, tovrik::Widen(text).c_str(), L"tovrik-config",
                error ? MB_OK | MB_ICONERROR : MB_OK);
}

std::vector<std::string> Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(tovrik::Narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show)
{
    using namespace tovrik;
    using namespace tovrik::win32;

    const CommandLine line = ParseCommandLine(Arguments());
    if (!line.error.empty()) {
        Tell(
            "tovrik-config: " + line.error + "\nTry 'tovrik-config --help' for more information.\n",
            true);
        return kBadInput;
    }
    if (line.help) {
        Tell(UsageText(), false);
        return 0;
    }
    if (line.version) {
        Tell(std::string("tovrik-config ") + kVersion + "\n", false);
        return 0;
    }
    std::string error;
    ChipChoice choice;
    choice.simulate = line.simulate;
    choice.backingFile = line.simulateFile;
    choice.deviceCode = line.simCode;
    choice.realTiming = line.simRealTiming;
    choice.vendorLibrary = line.vendorLibrary;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    RegisterWindowsDevices(SystemDevices());
    Win32Prompter prompter;
    SessionDescription description;
    description.chip = choice;
    // The window's commands go into the day's log file as well as its Log view.
    description.keepLog = true;
    description.libraryWaitsForWindow = true;
    const std::unique_ptr<ToolSession> built = ToolSession::Build(description, prompter, error);
    if (!built) {
        Tell("tovrik-config: " + error + "\n", true);
        return kBadInput;
    }
    ToolSession& session = *built;
    // A second instance ends here, silently; with --station the running one opens its station
    // window.
    if (session.Start(true) == 0) {
        if (line.station) {
            SendInstanceRequest(kRequestName, kStationRequest);
        }
        return 0;
    }
    if (line.demoFeatures) {
        session.MainWindow()->ShowModeSwitch();
    }
    ToolFrame frame(*session.MainWindow(), [&session] { return session.WindowTitle(); });
    if (frame.Handle() == nullptr) {
        Tell("tovrik-config: the main window could not be created\n", true);
        return 1;
    }
    // The chip maker's library posts its messages to this window.
    if (!session.ConnectExternalLibrary(frame.Handle())) {
        Tell("tovrik-config: the device library's messages cannot reach the main window\n", true);
        return kBadInput;
    }
    frame.WatchProgress(session.Directory());
    prompter.SetOwner(frame.Handle());
    prompter.SetBeforePrompt([&frame] { frame.PauseBusyDisplay(); });

    CStationDlg station(session.Ui(), line.stationArguments);
    StationFrame stationFrame(station, frame.Handle());
    station.SetShowHandler([&stationFrame] { stationFrame.ShowView(); });
    session.MainWindow()->SetStationOpener([&station] { station.Open(); });
    // A second start's requests arrive through this thread's message loop.
    std::string requestError;
    const std::unique_ptr<InstanceRequestListener> requests =
        InstanceRequestListener::Listen(kRequestName, requestError);

    frame.Show(show);
    if (line.station) {
        session.MainWindow()->OpenStation();
        frame.SyncFromModel();
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The keyboard of the main window, the station window and every open view
        // works as in a dialog.
        HWND stationWindow = stationFrame.Handle();
        bool handled = stationWindow != nullptr && IsDialogMessageW(stationWindow, &message) != FALSE;
        handled = handled || IsDialogMessageW(frame.Handle(), &message) != FALSE;
        for (HWND view : frame.OpenViews()) {
            handled = handled || IsDialogMessageW(view, &message) != FALSE;
        }
        if (!handled) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (requests) {
            for (const std::string& request : requests->Take()) {
                SetForegroundWindow(frame.Handle());
                if (request == kStationRequest) {
                    session.MainWindow()->OpenStation();
                    frame.SyncFromModel();
                }
            }
        }
        frame.CollectRetired();
        stationFrame.CollectRetired();
    }
    prompter.SetBeforePrompt({});
    prompter.SetOwner(nullptr);
    return 0;
}
