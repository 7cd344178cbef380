// tovrik-config: the configuration tool on the desktop.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "app_icon.h"
#include "command_line.h"
#include "qt_prompter.h"
#include "tool_session.h"
#include "tool_window.h"

namespace {

constexpr const char* kProgram = "tovrik-config";
constexpr const char* kVersion = "2.0.1.2";

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

    DeviceChoice choice{line.simulate, line.simulateFile, line.simCode, line.simRealTiming};
    std::string error;
    const std::optional<SimulatedChipOptions> chipOptions = SimulatedChipFor(choice, error);
    if (!chipOptions) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kProgram));
    QApplication::setApplicationVersion(QString::fromUtf8(kVersion));
    QApplication::setWindowIcon(AppIcon());
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kProgram));

    QtPrompter prompter;
    ToolSession session(choice, *chipOptions, prompter);
    // A second instance ends here, silently.
    if (session.Start(true) == 0) {
        return 0;
    }
    if (const std::string& problem = session.App().InstanceLockProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
    }
    if (line.demoFeatures) {
        session.MainWindow()->ShowModeSwitch();
    }
    ToolWindow window(*session.MainWindow(), [&session] { return session.WindowTitle(); });
    prompter.SetParentWindow(&window);
    window.show();
    return QApplication::exec();
}
