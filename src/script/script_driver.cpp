// SPDX-License-Identifier: MIT
#include "script/script_driver.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <tuple>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "device/command_protocol.h"
#include "platform/control.h"
#include "platform/file_manager.h"
#include "platform/latin1_text.h"
#include "platform/property_sheet.h"
#include "platform/safe_file.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"
#include "resources/view_ids.h"

namespace tovrik {

namespace {

// Delivering messages may make the device send more; this many rounds of
// waiting and delivering without going quiet means the tool is in a loop.
constexpr int kMaxSettleRounds = 1000;
constexpr int kBytesPerEepromLine = 16;
// How long `wait station` waits for a run to end before the script fails.
constexpr std::chrono::seconds kStationRunLimit{120};

SessionDescription RunSession(const ScriptDriverOptions& options, FileManager& folders,
                              std::function<std::time_t()> wallClock)
{
    SessionDescription description;
    // The factory chip, or a device outside the run with a simulated chip kept for `sim`.
    description.chip.simulate = options.deviceTransport.empty() && options.vendorLibrary.empty();
    description.chip.transport = options.deviceTransport;
    description.chip.vendorLibrary = options.vendorLibrary;
    if (description.chip.simulate) {
        description.chip.backingFile = options.simulateFile;
    }
    description.callLog = true;
    description.keepSimulatedChip = true;
    // The pages keep backups before their writes, but a failed write is told
    // only by its own message, so transcripts do not depend on the folder.
    description.backupsBeforeWrites = true;
    description.backupFolder = options.backupFolder;
    description.backupClock = std::move(wallClock);
    description.external = options.external;
    // The log is kept as the desktop tool keeps it; the folder is shown in the transcript.
    description.keepLog = true;
    description.fileManager = &folders;
    return description;
}

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

const char* KindName(ControlKind kind)
{
    switch (kind) {
        case ControlKind::Static:
            return "static";
        case ControlKind::GroupBox:
            return "group";
        case ControlKind::PushButton:
            return "button";
        case ControlKind::CheckBox:
            return "check";
        case ControlKind::RadioButton:
            return "radio";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::ComboBox:
            return "combo";
        case ControlKind::ListBox:
            return "list";
        case ControlKind::Slider:
            return "slider";
    }
    return "static";
}

std::string Describe(const Control& c)
{
    std::string line = std::to_string(c.Id()) + ' ' + KindName(c.Kind()) + ' ';
    const std::string text = "text=" + QuoteScriptText(c.Text());
    switch (c.Kind()) {
        case ControlKind::Static:
        case ControlKind::GroupBox:
        case ControlKind::PushButton:
            line += text;
            break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            line += text + " checked=" + (c.IsChecked() ? "1" : "0");
            break;
        case ControlKind::Edit:
            line += text + " readonly=" + (c.IsReadOnly() ? "1" : "0");
            break;
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
            line += "sel=" + std::to_string(c.GetCurSel()) +
                    " selected=" + QuoteScriptText(c.GetItemText(c.GetCurSel())) +
                    " items=" + std::to_string(c.GetCount());
            break;
        case ControlKind::Slider:
            line += "pos=" + std::to_string(c.GetPos()) + " min=" + std::to_string(c.RangeMin()) +
                    " max=" + std::to_string(c.RangeMax());
            break;
    }
    line += std::string(" enabled=") + (c.IsEnabled() ? "1" : "0") +
            " visible=" + (c.IsVisible() ? "1" : "0");
    return line;
}

// `YYYY-MM-DDTHH:MM:SS` (UTC) as seconds since 1970; nothing for another form.
std::optional<std::time_t> ParseUtcTime(const std::string& text)
{
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2u-%2uT%2u:%2u:%2u%c", &year, &month,
                                         &day, &hour, &minute, &second, &end) != 6) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                              std::chrono::day{day}};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    const sys_seconds at = sys_days{date} + hours{hour} + minutes{minute} + seconds{second};
    return static_cast<std::time_t>(at.time_since_epoch().count());
}

std::string Hex2(unsigned value, bool upper)
{
    char text[8];
    std::snprintf(text, sizeof text, upper ? "%02X" : "%02x", value & 0xFFu);
    return text;
}

}  // namespace

// "Open folder" in a scripted run writes the request into the transcript
// instead of starting a file manager.
class ScriptDriver::FolderRecorder : public FileManager {
public:
    explicit FolderRecorder(std::function<void(const std::string&)> show) : show_(std::move(show))
    {
    }
    bool ShowFolder(const std::string& folder, std::string&) override
    {
        show_(folder);
        return true;
    }

private:
    std::function<void(const std::string&)> show_;
};

ScriptDriver::ScriptDriver(std::ostream& out, ScriptDriverOptions options)
    : out_(out), options_(std::move(options)), prompter_(out)
{
    std::error_code ec;
    prompter_.ShowPathsWithin(!options_.fileFolder.empty()
                                  ? options_.fileFolder
                                  : std::filesystem::current_path(ec).string());
    folders_ = std::make_unique<FolderRecorder>([this](const std::string& folder) {
        if (prompter_.Failure().empty()) {
            out_ << "open-folder: " << prompter_.WithinFolder(folder) << '\n';
        }
    });
    auto wallClock = [this] {
        if (fixedTime_) {
            return *fixedTime_;
        }
        return options_.backupClock ? options_.backupClock() : std::time(nullptr);
    };
    session_ =
        ToolSession::Build(RunSession(options_, *folders_, wallClock), prompter_, buildError_);
    if (!session_) {
        // A run that cannot reach its device still has a tool, on the simulated chip,
        // so that the driver's parts exist; Run refuses to start.
        std::string ignored;
        SessionDescription fallback;
        fallback.chip.simulate = true;
        fallback.callLog = true;
        fallback.backupFolder = options_.backupFolder;
        session_ = ToolSession::Build(fallback, prompter_, ignored);
    }
    ToolSession& session = *session_;
    // Durations in the status line are the chip's modelled time, the same on every run.
    session.App().Context().SetTellBackupAfterFailure(false);
    session.App().Context().SetBackupObserver([this](bool done) {
        FollowChip();
        const SimTraffic now = session_->Chip()->Traffic();
        if (!done) {
            backupStart_ = now;
            return;
        }
        const SimTraffic d = now - backupStart_;
        backupTraffic_.reportsOut += d.reportsOut;
        backupTraffic_.reportsIn += d.reportsIn;
        backupTraffic_.controlTransfers += d.controlTransfers;
        backupTraffic_.i2cBytes += d.i2cBytes;
        backupTraffic_.writeCycles += d.writeCycles;
        backupTraffic_.timeUs += d.timeUs;
    });
    session.SetChipObserver([this] {
        handledBefore_ = InputReportsHandled();
        SimulatedChip* chip = session_->Chip();
        readBefore_ =
            chip != nullptr ? static_cast<std::uint64_t>(chip->GetCounters().inputReportsRead) : 0;
    });
    session.CallLog()->SetWindowNamer([this](WindowHandle window) { return WindowName(window); });
    session.App().SetClock([this] {
        SimulatedChip* chip = session_->Chip();
        const std::uint64_t now = chip->Traffic().timeUs;
        if (chip != clockChip_) {
            // The time of the chip left behind is kept, so no duration runs backwards.
            clockOffsetUs_ = clockLastUs_ - now;
            clockChip_ = chip;
        }
        clockLastUs_ = now + clockOffsetUs_;
        return std::chrono::microseconds(clockLastUs_);
    });
}

void ScriptDriver::FollowChip()
{
    SimulatedChip* chip = session_->Chip();
    if (chip != trafficChip_) {
        if (trafficChip_ != nullptr) {
            lastTraffic_ = {};
            backupTraffic_ = {};
        }
        trafficChip_ = chip;
    }
}

ScriptDriver::~ScriptDriver() = default;

std::string ScriptDriver::WindowName(WindowHandle window)
{
    if (CDemoDlg* main = session_->App().MainWindow(); main != nullptr && window != kNoWindow) {
        if (window == main->Handle()) {
            return "main";
        }
        if (window == main->BackupsView().Handle()) {
            return "backups";
        }
        if (window == main->LogView().Handle()) {
            return "log";
        }
        if (station_ && window == station_->Handle()) {
            return "station";
        }
        for (PropertyPage* page : main->AllPages()) {
            if (window == page->Handle()) {
                return page->Title();
            }
        }
    }
    return std::to_string(window);
}

// --- Running ---

int ScriptDriver::Run(std::string_view script)
{
    lineNumber_ = 0;
    if (!buildError_.empty()) {
        return Fail(buildError_) ? kExitOk : kExitScriptError;
    }
    while (!script.empty()) {
        const std::size_t end = script.find('\n');
        const std::string_view line = script.substr(0, end);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
        ++lineNumber_;
        if (!RunLine(line)) {
            return kExitScriptError;
        }
    }
    // An answer nobody asked for means the tool did not prompt as the script expected.
    const auto unused = prompter_.UnusedAnswers();
    if (!unused.empty()) {
        lineNumber_ = unused.front().line;
        Fail("no prompt took this answer");
        return kExitScriptError;
    }
    return kExitOk;
}

bool ScriptDriver::RunLine(std::string_view rawLine)
{
    const std::string_view line = Trim(rawLine);
    if (line.empty() || line.front() == '#') {
        return true;
    }
    out_ << "> " << line << '\n';
    std::vector<ScriptToken> tokens;
    std::string syntaxError;
    if (!TokenizeScriptLine(line, tokens, syntaxError)) {
        return Fail(syntaxError);
    }
    if (!Execute(tokens)) {
        return false;
    }
    if (!prompter_.Failure().empty()) {
        return Fail(prompter_.Failure());
    }
    if (!Settle()) {
        return false;
    }
    if (!prompter_.Failure().empty()) {
        return Fail(prompter_.Failure());
    }
    return true;
}

bool ScriptDriver::Fail(std::string reason)
{
    error_.line = lineNumber_;
    error_.reason = std::move(reason);
    out_.flush();
    return false;
}

bool ScriptDriver::Usage(const std::vector<ScriptToken>& t, std::size_t minArgs,
                         std::size_t maxArgs, const char* usage)
{
    const std::size_t args = t.size() - 1;
    if (args < minArgs || args > maxArgs) {
        return Fail(std::string("usage: ") + usage);
    }
    return true;
}

bool ScriptDriver::Execute(const std::vector<ScriptToken>& t)
{
    const std::string& command = t[0].text;
    if (command == "sim") {
        return Sim(t);
    }
    if (command == "clock") {
        return Clock(t);
    }
    if (command == "start") {
        return Start(t);
    }
    if (command == "type") {
        return Type(t);
    }
    if (command == "click") {
        return Click(t);
    }
    if (command == "select") {
        return Select(t);
    }
    if (command == "slide") {
        return Slide(t);
    }
    if (command == "leave") {
        return Leave(t);
    }
    if (command == "key") {
        return Key(t);
    }
    if (command == "page") {
        return Page(t);
    }
    if (command == "mode") {
        return Mode(t);
    }
    if (command == "close") {
        return Close(t);
    }
    if (command == "wait") {
        return Wait(t);
    }
    if (command == "answer") {
        return Answer(t);
    }
    if (command == "file") {
        return File(t);
    }
    if (command == "print") {
        return Print(t);
    }
    return Fail("unknown command " + QuoteScriptText(command));
}

bool ScriptDriver::Settle()
{
    // A running station posts as its units go; what the window shows would then
    // depend on timing, so its messages wait for `wait station`, which delivers them.
    if (station_ && station_->IsRunning()) {
        return true;
    }
    for (int round = 0; round < kMaxSettleRounds; ++round) {
        if (!WaitForQuietDevice()) {
            return Fail("the simulated device did not go quiet");
        }
        if (session_->HasExternalLibrary()) {
            session_->DeliverExternalMessages();
        }
        if (session_->Queue().Size() == 0) {
            return true;
        }
        session_->Ui().DispatchPending();
    }
    return Fail("window messages keep coming");
}

bool ScriptDriver::WaitForQuietDevice()
{
    // Only the script and the tool (both on this thread) make the chip queue
    // reports, so once everything queued was read and handled nothing more
    // arrives until the next step.
    if (OutsideDevice()) {
        // A device outside the run cannot be watched; only its answers count,
        // and every transfer waits for those itself.
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + options_.settleTimeout;
    while (LibraryOpen()) {
        if (session_->Chip()->PendingInputReports() == 0 &&
            InputReportsHandled() - handledBefore_ ==
                static_cast<std::uint64_t>(session_->Chip()->GetCounters().inputReportsRead) -
                    readBefore_) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// --- Targets ---

bool ScriptDriver::OutsideDevice() const
{
    return session_->OutsideDevice();
}

bool ScriptDriver::LibraryOpen()
{
    if (session_->HasExternalLibrary()) {
        return options_.external.isOpen && options_.external.isOpen();
    }
    return session_->OwnLibrary().IsOpen();
}

std::uint64_t ScriptDriver::InputReportsHandled()
{
    if (session_->HasExternalLibrary()) {
        return options_.external.inputReportsHandled ? options_.external.inputReportsHandled() : 0;
    }
    return session_->OwnLibrary().InputReportsHandled();
}

void ScriptDriver::ForgetEepromContent()
{
    if (session_->HasExternalLibrary()) {
        session_->DeviceLibraryInUse().ForgetEepromContent();
        if (options_.external.forgetEepromContent) {
            options_.external.forgetEepromContent();
        }
        return;
    }
    session_->OwnLibrary().ForgetEepromContent();
}

bool ScriptDriver::RequireSimulatedChip()
{
    if (OutsideDevice()) {
        return Fail("this run has no simulated chip (it uses a device)");
    }
    return true;
}

bool ScriptDriver::RequireWindow()
{
    if (!started_) {
        return Fail("the tool is not started yet (start comes first)");
    }
    if (!session_->App().MainWindow()->IsWindow()) {
        return Fail("the main window is closed");
    }
    return true;
}

Control* ScriptDriver::FindTarget(const ScriptToken& target, Dialog*& owner)
{
    if (!RequireWindow()) {
        return nullptr;
    }
    CDemoDlg& main = *session_->App().MainWindow();
    std::string_view idText = target.text;
    constexpr std::string_view kMainPrefix = "main:";
    constexpr std::string_view kStationPrefix = "station:";
    const std::size_t colon = idText.find(':');
    std::string viewName;
    if (idText.substr(0, kMainPrefix.size()) == kMainPrefix) {
        idText.remove_prefix(kMainPrefix.size());
        owner = &main;
    } else if (idText.substr(0, kStationPrefix.size()) == kStationPrefix) {
        idText.remove_prefix(kStationPrefix.size());
        if (!station_ || !station_->IsWindow()) {
            Fail("the station window is not open");
            return nullptr;
        }
        owner = station_.get();
    } else if (Dialog* view = ViewOf(idText, viewName)) {
        if (!view->IsWindow()) {
            Fail("the " + viewName + " view is not open");
            return nullptr;
        }
        owner = view;
    } else if (colon != std::string_view::npos) {
        // A view the user opened, by its name ("changes:1257").
        viewName = std::string(idText.substr(0, colon));
        owner = session_->Ui().FindView(viewName);
        if (owner == nullptr) {
            Fail("no view " + QuoteScriptText(viewName) + " is open");
            return nullptr;
        }
        idText.remove_prefix(colon + 1);
    } else {
        owner = main.Sheet().GetActivePage();
    }
    const auto id = ParseScriptNumber(idText, INT_MAX);
    if (!id) {
        Fail("bad control " + QuoteScriptText(target.text));
        return nullptr;
    }
    Control* control = owner != nullptr ? owner->GetDlgItem(static_cast<int>(*id)) : nullptr;
    if (control == nullptr) {
        Fail("no control " + std::to_string(*id) +
             (owner == &main ? std::string(" on the main window")
              : owner == station_.get()
                  ? std::string(" on the station window")
              : !viewName.empty()
                  ? " in the " + viewName + " view"
                  : " on the page " + QuoteScriptText(owner ? owner->Title() : "")));
    }
    return control;
}

Dialog* ScriptDriver::ViewOf(std::string_view& idText, std::string& viewName)
{
    CDemoDlg& main = *session_->App().MainWindow();
    for (auto [prefix, view, name] :
         {std::tuple{std::string_view("backups:"), &main.BackupsView(), "Backups"},
          std::tuple{std::string_view("log:"), &main.LogView(), "Log"}}) {
        if (idText.substr(0, prefix.size()) == prefix) {
            idText.remove_prefix(prefix.size());
            viewName = name;
            return view;
        }
    }
    return nullptr;
}

Control* ScriptDriver::FindUsableTarget(const ScriptToken& target, Dialog*& owner)
{
    Control* control = FindTarget(target, owner);
    if (control == nullptr) {
        return nullptr;
    }
    if (!control->IsVisible()) {
        Fail("control " + std::to_string(control->Id()) + " is hidden");
        return nullptr;
    }
    if (!control->IsEnabled()) {
        Fail("control " + std::to_string(control->Id()) + " is disabled");
        return nullptr;
    }
    return control;
}

std::string ScriptDriver::ResolvePath(const std::string& path) const
{
    const std::filesystem::path p(path);
    if (options_.fileFolder.empty() || p.is_absolute()) {
        return path;
    }
    return (std::filesystem::path(options_.fileFolder) / p).string();
}

// --- The tool ---

bool ScriptDriver::Start(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 0, 0, "start")) {
        return false;
    }
    if (started_) {
        return Fail("the tool is already started");
    }
    // A scripted run is not the desktop's single instance and never blocks it.
    if (session_->Start(false) == 0 || session_->App().MainWindow() == nullptr) {
        return Fail("the main window did not open");
    }
    started_ = true;
    station_ = std::make_unique<CStationDlg>(session_->Ui(), StationArguments{});
    session_->App().MainWindow()->SetStationOpener([this] { station_->Open(); });
    return true;
}

bool ScriptDriver::Type(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 2, 2, "type TARGET TEXT")) {
        return false;
    }
    Dialog* owner = nullptr;
    Control* control = FindUsableTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    if (control->Kind() != ControlKind::Edit) {
        return Fail("control " + std::to_string(control->Id()) + " is not an edit field");
    }
    if (control->IsReadOnly()) {
        return Fail("control " + std::to_string(control->Id()) + " is read-only");
    }
    control->TypeText(t[2].text);
    owner->OnCommand(control->Id(), Notify::Changed);
    return true;
}

bool ScriptDriver::Click(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "click TARGET")) {
        return false;
    }
    Dialog* owner = nullptr;
    Control* control = FindUsableTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    switch (control->Kind()) {
        case ControlKind::PushButton:
            break;
        case ControlKind::CheckBox:
            control->SetCheck(!control->IsChecked());
            break;
        case ControlKind::RadioButton: {
            // Like an automatic radio button: the others of its run of
            // consecutive radio buttons are unchecked.
            const auto& controls = owner->Controls();
            const auto at = std::find_if(controls.begin(), controls.end(),
                                         [&](const auto& c) { return c.get() == control; });
            auto first = at;
            while (first != controls.begin() &&
                   (*std::prev(first))->Kind() == ControlKind::RadioButton) {
                --first;
            }
            for (auto it = first; it != controls.end() && (*it)->Kind() == ControlKind::RadioButton;
                 ++it) {
                (*it)->SetCheck(it == at);
            }
            break;
        }
        default:
            return Fail("control " + std::to_string(control->Id()) + " (" +
                        KindName(control->Kind()) + ") cannot be clicked");
    }
    owner->OnCommand(control->Id(), Notify::Clicked);
    return true;
}

bool ScriptDriver::Select(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 2, 2, "select TARGET ITEM")) {
        return false;
    }
    Dialog* owner = nullptr;
    Control* control = FindUsableTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    if (control->Kind() != ControlKind::ComboBox && control->Kind() != ControlKind::ListBox) {
        return Fail("control " + std::to_string(control->Id()) + " is not a list");
    }
    const ScriptToken& item = t[2];
    int index = kListError;
    if (!item.quoted && !item.text.empty() && item.text[0] == '#') {
        const auto n = ParseScriptNumber(std::string_view(item.text).substr(1), INT_MAX);
        if (!n) {
            return Fail("bad entry index " + QuoteScriptText(item.text));
        }
        if (static_cast<int>(*n) >= control->GetCount()) {
            return Fail("control " + std::to_string(control->Id()) + " has no entry " + item.text);
        }
        index = static_cast<int>(*n);
    } else {
        index = control->FindStringExact(item.text);
        if (index == kListError) {
            return Fail("control " + std::to_string(control->Id()) + " has no entry " +
                        QuoteScriptText(item.text));
        }
    }
    control->SetCurSel(index);
    owner->OnCommand(control->Id(), Notify::SelChange);
    return true;
}

bool ScriptDriver::Slide(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 2, 2, "slide TARGET POS")) {
        return false;
    }
    Dialog* owner = nullptr;
    Control* control = FindUsableTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    if (control->Kind() != ControlKind::Slider) {
        return Fail("control " + std::to_string(control->Id()) + " is not a slider");
    }
    const auto pos = ParseScriptSignedNumber(t[2].text);
    if (!pos) {
        return Fail("bad number " + QuoteScriptText(t[2].text));
    }
    control->SetPos(static_cast<int>(std::clamp<std::int64_t>(*pos, INT_MIN, INT_MAX)));
    owner->OnCommand(control->Id(), Notify::Scroll);
    return true;
}

bool ScriptDriver::Leave(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "leave TARGET")) {
        return false;
    }
    Dialog* owner = nullptr;
    Control* control = FindUsableTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    owner->OnCommand(control->Id(), Notify::KillFocus);
    return true;
}

bool ScriptDriver::Key(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 2, 2, "key TARGET enter|tab")) {
        return false;
    }
    const std::string& key = t[2].text;
    if (key != "enter" && key != "tab") {
        return Fail("usage: key TARGET enter|tab");
    }
    Dialog* owner = nullptr;
    Control* control = FindUsableTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    if (control->Kind() != ControlKind::Edit) {
        return Fail("control " + std::to_string(control->Id()) + " is not an edit field");
    }
    // Enter in a field that does not take it is the dialog's: its default button.
    if (!control->TakesEnterAndTab() && key == "tab") {
        return Fail("control " + std::to_string(control->Id()) + " does not take Tab");
    }
    user_input::Key(*owner, *control, key == "enter");
    return true;
}

bool ScriptDriver::Page(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "page TITLE") || !RequireWindow()) {
        return false;
    }
    PropertySheet& sheet = session_->App().MainWindow()->Sheet();
    PropertyPage* page = sheet.FindPage(t[1].text);
    if (page == nullptr) {
        return Fail("no page " + QuoteScriptText(t[1].text));
    }
    // A page that refuses to be left has said why; the script goes on with it.
    sheet.SetActivePage(page);
    return true;
}

bool ScriptDriver::Mode(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "mode config|demo") || !RequireWindow()) {
        return false;
    }
    const std::string& mode = t[1].text;
    if (mode != "config" && mode != "demo") {
        return Fail("usage: mode config|demo");
    }
    session_->App().MainWindow()->OnCommand(mode == "config" ? IDC_MODE_CONFIG : IDC_MODE_DEMO,
                                            Notify::Clicked);
    return true;
}

bool ScriptDriver::Close(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 0, 0, "close") || !RequireWindow()) {
        return false;
    }
    session_->App().MainWindow()->OnClose();
    return true;
}

bool ScriptDriver::Wait(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "wait station") || !RequireWindow()) {
        return false;
    }
    if (t[1].text != "station") {
        return Fail("usage: wait station");
    }
    if (!station_ || !station_->WaitForEnd(kStationRunLimit)) {
        return Fail("the station did not end");
    }
    return true;
}

// --- Answers ---

bool ScriptDriver::Answer(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "answer ok|cancel")) {
        return false;
    }
    const std::string& answer = t[1].text;
    if (answer != "ok" && answer != "cancel") {
        return Fail("usage: answer ok|cancel");
    }
    prompter_.QueueQuestionAnswer(lineNumber_, answer == "ok");
    return true;
}

bool ScriptDriver::File(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "file PATH|cancel")) {
        return false;
    }
    if (!t[1].quoted && t[1].text == "cancel") {
        prompter_.QueueFileAnswer(lineNumber_, "cancel", std::nullopt);
    } else if (t[1].text.empty()) {
        return Fail("empty file name");
    } else {
        prompter_.QueueFileAnswer(lineNumber_, t[1].raw, ResolvePath(t[1].text));
    }
    return true;
}

// --- Output ---

bool ScriptDriver::Print(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 3,
               "print TARGET|items TARGET|registers|strings|eeprom ADDR COUNT|calls|traffic|"
               "backups|journal")) {
        return false;
    }
    const std::string& what = t[1].text;
    if (what == "journal" && t.size() == 2) {
        const WriteJournal* journal = session_->Journal();
        const std::vector<JournalRecord> records =
            journal != nullptr ? journal->Records() : std::vector<JournalRecord>();
        out_ << "journal: " << records.size() << '\n';
        for (const JournalRecord& r : records) {
            out_ << "  " << r.command << ", " << r.count << " bytes at " << r.address
                 << (FileExists(r.backup) ? ", its backup kept" : ", its backup missing") << '\n';
        }
        return true;
    }
    if (what == "backups" && t.size() == 2) {
        const std::vector<BackupEntry> backups = session_->Backups().List();
        out_ << "backups: " << backups.size() << '\n';
        for (const BackupEntry& b : backups) {
            out_ << "  " << b.name << ' ' << b.size << '\n';
        }
        return true;
    }
    if (what == "traffic" && t.size() == 2) {
        if (!RequireSimulatedChip()) {
            return false;
        }
        FollowChip();
        // The reads for backups are counted apart, so the figures stay the operations' own.
        const SimTraffic now = session_->Chip()->Traffic() - backupTraffic_;
        const SimTraffic d = now - lastTraffic_;
        lastTraffic_ = now;
        out_ << "traffic: out=" << d.reportsOut << " in=" << d.reportsIn
             << " control=" << d.controlTransfers << " i2c-bytes=" << d.i2cBytes
             << " write-cycles=" << d.writeCycles << " time-us=" << d.timeUs << '\n';
        return true;
    }
    if (what == "calls" && t.size() == 2) {
        for (const std::string& call : session_->CallLog()->TakeCalls()) {
            out_ << call << '\n';
        }
        return true;
    }
    if (what == "registers" && t.size() == 2) {
        out_ << "registers:";
        for (int reg = 0; reg < EepromConfig::kRegisterCount; ++reg) {
            const auto r = static_cast<std::uint8_t>(reg);
            if (session_->Config().IsRegisterPresent(r) != 0) {
                out_ << ' ' << Hex2(r, true) << '='
                     << Hex2(session_->Config().GetRegisterValue(r), true);
            }
        }
        out_ << '\n';
        return true;
    }
    if (what == "strings" && t.size() == 2) {
        for (int i = 0; i < 4; ++i) {
            std::string text;
            session_->Config().GetString(i, text);
            // The image holds Latin-1 bytes; a transcript is UTF-8 like the scripts.
            out_ << "string " << i << ": " << QuoteScriptText(Latin1ToUtf8(text)) << '\n';
        }
        return true;
    }
    if (what == "eeprom") {
        if (!RequireSimulatedChip() || !Usage(t, 3, 3, "print eeprom ADDR COUNT")) {
            return false;
        }
        const auto address = ParseScriptHex(t[2].text, 0xFFFF);
        const auto count = ParseScriptNumber(t[3].text, 0xFFFF);
        if (!address || !count) {
            return Fail("bad number " + QuoteScriptText(address ? t[3].text : t[2].text));
        }
        const std::vector<std::uint8_t> eeprom = session_->Chip()->Eeprom();
        if (*address + *count > eeprom.size()) {
            return Fail("the EEPROM has " + std::to_string(eeprom.size()) + " bytes");
        }
        for (std::uint32_t at = *address; at < *address + *count; at += kBytesPerEepromLine) {
            char head[32];
            std::snprintf(head, sizeof head, "eeprom %04x:", at);
            out_ << head;
            const std::uint32_t end = std::min(*address + *count, at + kBytesPerEepromLine);
            for (std::uint32_t i = at; i < end; ++i) {
                out_ << ' ' << Hex2(eeprom[i], false);
            }
            out_ << '\n';
        }
        return true;
    }
    if (what == "items") {
        if (!Usage(t, 2, 2, "print items TARGET")) {
            return false;
        }
        Dialog* owner = nullptr;
        const Control* control = FindTarget(t[2], owner);
        if (control == nullptr) {
            return false;
        }
        if (control->Kind() != ControlKind::ComboBox && control->Kind() != ControlKind::ListBox) {
            return Fail("control " + std::to_string(control->Id()) + " is not a list");
        }
        for (const std::string& item : control->Items()) {
            out_ << "  " << QuoteScriptText(prompter_.WithinFolder(item)) << '\n';
        }
        return true;
    }
    if (!Usage(t, 1, 1, "print TARGET")) {
        return false;
    }
    Dialog* owner = nullptr;
    const Control* control = FindTarget(t[1], owner);
    if (control == nullptr) {
        return false;
    }
    out_ << prompter_.WithinFolder(Describe(*control)) << '\n';
    return true;
}

// --- The wall clock ---

bool ScriptDriver::Clock(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 1, 1, "clock YYYY-MM-DDTHH:MM:SS")) {
        return false;
    }
    const std::optional<std::time_t> at = ParseUtcTime(t[1].text);
    if (!at) {
        return Fail("bad time " + QuoteScriptText(t[1].text) + " (give YYYY-MM-DDTHH:MM:SS)");
    }
    fixedTime_ = at;
    return true;
}

// --- The simulated chip ---

bool ScriptDriver::Sim(const std::vector<ScriptToken>& t)
{
    if (!RequireSimulatedChip()) {
        return false;
    }
    if (t.size() < 2) {
        return Fail(
            "usage: sim ids|code|eeprom-size|fill|poke|load|unplug|plug|fail-transfer|event|"
            "timing|twr|i2c-khz");
    }
    const std::string& what = t[1].text;
    if (what == "unplug" || what == "plug") {
        if (!Usage(t, 1, 1, what == "plug" ? "sim plug" : "sim unplug")) {
            return false;
        }
        what == "plug" ? session_->Chip()->Plug() : session_->Chip()->Unplug();
        return true;
    }
    if (what == "ids") {
        if (!Usage(t, 3, 3, "sim ids VID PID")) {
            return false;
        }
        const auto vid = ParseScriptHex(t[2].text, 0xFFFF);
        const auto pid = ParseScriptHex(t[3].text, 0xFFFF);
        if (!vid || !pid) {
            return Fail("bad id " + QuoteScriptText(vid ? t[3].text : t[2].text));
        }
        session_->Chip()->SetIds(static_cast<std::uint16_t>(*vid),
                                 static_cast<std::uint16_t>(*pid));
        return true;
    }
    if (what == "code") {
        if (!Usage(t, 2, 2, "sim code N")) {
            return false;
        }
        const auto code = ParseScriptNumber(t[2].text, 0xFF);
        if (!code) {
            return Fail("bad device code " + QuoteScriptText(t[2].text));
        }
        session_->Chip()->SetDeviceCode(static_cast<std::uint8_t>(*code));
        return true;
    }
    if (what == "eeprom-size") {
        if (!Usage(t, 2, 2, "sim eeprom-size 256|512|1024|2048")) {
            return false;
        }
        const auto size = ParseScriptNumber(t[2].text, 0xFFFF);
        if (!size || !protocol::IsEepromSize(static_cast<int>(*size))) {
            return Fail("bad EEPROM size " + QuoteScriptText(t[2].text));
        }
        session_->Chip()->SetEepromSize(static_cast<int>(*size));
        ForgetEepromContent();
        return true;
    }
    if (what == "timing") {
        if (!Usage(t, 2, 2, "sim timing virtual|real")) {
            return false;
        }
        if (t[2].text != "virtual" && t[2].text != "real") {
            return Fail("usage: sim timing virtual|real");
        }
        session_->Chip()->SetRealTiming(t[2].text == "real");
        return true;
    }
    if (what == "twr") {
        if (!Usage(t, 2, 2, "sim twr US")) {
            return false;
        }
        const auto us = ParseScriptNumber(t[2].text, 1000000);
        if (!us) {
            return Fail("bad number " + QuoteScriptText(t[2].text));
        }
        session_->Chip()->SetWriteCycleUs(static_cast<int>(*us));
        return true;
    }
    if (what == "i2c-khz") {
        if (!Usage(t, 2, 2, "sim i2c-khz 100|400")) {
            return false;
        }
        const auto khz = ParseScriptNumber(t[2].text, 1000);
        if (!khz || !session_->Chip()->SetI2cKhz(static_cast<int>(*khz))) {
            return Fail("usage: sim i2c-khz 100|400");
        }
        return true;
    }
    if (what == "fail-transfer") {
        if (!Usage(t, 2, 2, "sim fail-transfer N")) {
            return false;
        }
        const auto n = ParseScriptNumber(t[2].text, INT_MAX);
        if (!n) {
            return Fail("bad number " + QuoteScriptText(t[2].text));
        }
        session_->FailTransfer(static_cast<int>(*n));
        return true;
    }
    if (what == "fill" || what == "poke" || what == "load") {
        return SimEeprom(t);
    }
    if (what == "event") {
        return SimEvent(t);
    }
    return Fail("unknown sim command " + QuoteScriptText(what));
}

bool ScriptDriver::SimEeprom(const std::vector<ScriptToken>& t)
{
    const std::string& what = t[1].text;
    std::vector<std::uint8_t> eeprom = session_->Chip()->Eeprom();
    if (what == "fill") {
        if (!Usage(t, 2, 2, "sim fill BYTE")) {
            return false;
        }
        const auto byte = ParseScriptHex(t[2].text, 0xFF);
        if (!byte) {
            return Fail("bad byte " + QuoteScriptText(t[2].text));
        }
        std::fill(eeprom.begin(), eeprom.end(), static_cast<std::uint8_t>(*byte));
    } else if (what == "poke") {
        if (!Usage(t, 3, SIZE_MAX, "sim poke ADDR BYTE...")) {
            return false;
        }
        const auto address = ParseScriptHex(t[2].text, 0xFFFF);
        if (!address) {
            return Fail("bad address " + QuoteScriptText(t[2].text));
        }
        if (*address + (t.size() - 3) > eeprom.size()) {
            return Fail("the EEPROM has " + std::to_string(eeprom.size()) + " bytes");
        }
        for (std::size_t i = 3; i < t.size(); ++i) {
            const auto byte = ParseScriptHex(t[i].text, 0xFF);
            if (!byte) {
                return Fail("bad byte " + QuoteScriptText(t[i].text));
            }
            eeprom[*address + (i - 3)] = static_cast<std::uint8_t>(*byte);
        }
    } else {
        if (!Usage(t, 2, 2, "sim load FILE")) {
            return false;
        }
        std::vector<std::uint8_t> bytes;
        std::string error;
        const std::string path = ResolvePath(t[2].text);
        if (!ReadFileBounded(path, kMaxImageFileBytes, bytes, error)) {
            // A missing file needs no more words; a refused one says why.
            return Fail("cannot read " + t[2].text + (FileExists(path) ? ": " + error : ""));
        }
        // Like a programmed part: what the file lacks reads as erased.
        std::fill(eeprom.begin(), eeprom.end(), 0xFF);
        std::copy_n(bytes.begin(), std::min(bytes.size(), eeprom.size()), eeprom.begin());
    }
    // Changed behind the tool's back: what the connection knows of it is stale.
    ForgetEepromContent();
    if (!session_->Chip()->SetEeprom(eeprom)) {
        return Fail("the simulated EEPROM could not be written");
    }
    return true;
}

bool ScriptDriver::SimEvent(const std::vector<ScriptToken>& t)
{
    if (!Usage(t, 4, 4, "sim event KIND W L")) {
        return false;
    }
    using Kind = protocol::EventKind;
    static const std::vector<std::pair<std::string_view, Kind>> kinds = {
        {"key-short", Kind::KeyShortPress},
        {"key-long", Kind::KeyLongPress},
        {"gpi", Kind::Gpi},
        {"mixer-down", Kind::MixerKeyDown},
        {"mixer-up", Kind::MixerKeyUp},
        {"generic", Kind::Generic},
        {"i2c", Kind::I2c},
    };
    const auto kind = std::find_if(kinds.begin(), kinds.end(),
                                   [&](const auto& k) { return k.first == t[2].text; });
    if (kind == kinds.end()) {
        return Fail("unknown event kind " + QuoteScriptText(t[2].text));
    }
    const auto w = ParseScriptNumber(t[3].text);
    const auto l = ParseScriptNumber(t[4].text);
    if (!w || !l) {
        return Fail("bad number " + QuoteScriptText(w ? t[4].text : t[3].text));
    }
    std::array<std::uint8_t, 8> bytes{};
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(*w >> (8 * i));
        bytes[i + 4] = static_cast<std::uint8_t>(*l >> (8 * i));
    }
    // An unplugged chip raises nothing, as a real one would.
    session_->Chip()->RaiseEvent(kind->second, bytes);
    return true;
}

}  // namespace tovrik
