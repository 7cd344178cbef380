// SPDX-License-Identifier: MIT
#include "station/station_dlg.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kRunning = "Running";
constexpr const char* kStopping = "Stopping: the units in progress are finished first";
constexpr const char* kStopped = "Stopped";
constexpr const char* kDone = "Done";
constexpr const char* kStillRunning = "The station is running; Stop it before closing its window.";
constexpr const char* kNoImage = "Name the golden image";
constexpr const char* kNoLog = "Name the log file";

constexpr int kEditFields[] = {
    IDC_STATION_IMAGE,         IDC_STATION_VID,          IDC_STATION_PID,
    IDC_STATION_SERIAL_FORMAT, IDC_STATION_SERIAL_START, IDC_STATION_COUNT,
    IDC_STATION_SIM_UNITS,     IDC_STATION_SIM_PARALLEL, IDC_STATION_LOG};

std::string Trimmed(const std::string& text)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

// A decimal number from `least` to `most`; nullopt-like false otherwise.
bool ReadNumber(const std::string& text, long long least, long long most, long long& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value >= least && value <= most;
}

bool ReadId(const std::string& text, std::uint16_t fallback, std::uint16_t& id)
{
    if (text.empty()) {
        id = fallback;
        return true;
    }
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
    if (text.size() > 4 || ec != std::errc() || ptr != end) {
        return false;
    }
    id = static_cast<std::uint16_t>(value);
    return true;
}

// What follows "failed: " or "skipped: " in a log result.
std::string Reason(const std::string& result)
{
    const auto colon = result.find(": ");
    return colon == std::string::npos ? result : result.substr(colon + 2);
}

}  // namespace

// Hears the station on its threads and only posts to the window.
class CStationDlg::Observer : public StationObserver {
public:
    Observer(MessageQueue& queue, WindowHandle window) : queue_(queue), window_(window) {}

    void Changed() override
    {
        // One message waits at a time; the window reads the latest state when it arrives.
        if (!pending_.exchange(true)) {
            queue_.Post(window_, kChangedMessage, 0, 0);
        }
    }
    void Problem(const std::string& text) override
    {
        {
            std::lock_guard guard(mutex_);
            problem_ = text;
        }
        Changed();
    }
    void Ended() { queue_.Post(window_, kEndedMessage, 0, 0); }
    // Called on the window's thread when the changed message is handled.
    void Handled() { pending_ = false; }
    std::string LastProblem()
    {
        std::lock_guard guard(mutex_);
        return problem_;
    }

private:
    MessageQueue& queue_;
    WindowHandle window_;
    std::atomic<bool> pending_{false};
    std::mutex mutex_;
    std::string problem_;
};

CStationDlg::CStationDlg(UiContext& context, StationArguments arguments)
    : Dialog(context, GetDialogTemplate(IDD_STATION)), arguments_(std::move(arguments))
{
}

CStationDlg::~CStationDlg()
{
    if (runner_.joinable()) {
        station_->Stop();
        runner_.join();
    }
    Destroy();
}

void CStationDlg::Open()
{
    if (!IsWindow()) {
        Create();
    }
    if (show_) {
        show_();
    }
}

int CStationDlg::OnInitDialog()
{
    const StationArguments& a = arguments_;
    SetDlgItemText(IDC_STATION_IMAGE, a.image);
    SetDlgItemText(IDC_STATION_VID, a.vid);
    SetDlgItemText(IDC_STATION_PID, a.pid);
    SetDlgItemText(IDC_STATION_SERIAL_FORMAT, a.serialFormat);
    SetDlgItemText(IDC_STATION_SERIAL_START, a.serialStart);
    SetDlgItemText(IDC_STATION_COUNT, a.count);
    SetDlgItemText(IDC_STATION_SIM_UNITS, a.simulateUnits);
    SetDlgItemText(IDC_STATION_SIM_PARALLEL, a.simulateParallel.empty() ? "1" : a.simulateParallel);
    SetDlgItemText(IDC_STATION_LOG, a.log);
    ShowState();
    return 1;
}

void CStationDlg::OnDestroy()
{
    // What the operator typed is kept for the next time the window opens.
    if (!IsRunning()) {
        arguments_.image = GetDlgItemText(IDC_STATION_IMAGE);
        arguments_.vid = GetDlgItemText(IDC_STATION_VID);
        arguments_.pid = GetDlgItemText(IDC_STATION_PID);
        arguments_.serialFormat = GetDlgItemText(IDC_STATION_SERIAL_FORMAT);
        arguments_.serialStart = GetDlgItemText(IDC_STATION_SERIAL_START);
        arguments_.count = GetDlgItemText(IDC_STATION_COUNT);
        arguments_.simulateUnits = GetDlgItemText(IDC_STATION_SIM_UNITS);
        arguments_.simulateParallel = GetDlgItemText(IDC_STATION_SIM_PARALLEL);
        arguments_.log = GetDlgItemText(IDC_STATION_LOG);
    }
}

bool CStationDlg::OnClose()
{
    if (IsRunning()) {
        GetPrompter().MessageBox(kStillRunning);
        return false;
    }
    Destroy();
    return true;
}

void CStationDlg::OnCommand(int id, Notify code)
{
    if (code != Notify::Clicked) {
        return;
    }
    if (id == IDC_STATION_START) {
        Start();
    } else if (id == IDC_STATION_STOP) {
        Stop();
    }
}

void CStationDlg::OnMessage(UINT message, WPARAM, LPARAM)
{
    if (message == kChangedMessage && observer_) {
        observer_->Handled();
        ShowState();
    } else if (message == kEndedMessage) {
        Ended();
    }
}

bool CStationDlg::Describe(StationDescription& d, std::string& error)
{
    d.imagePath = Trimmed(GetDlgItemText(IDC_STATION_IMAGE));
    d.logPath = Trimmed(GetDlgItemText(IDC_STATION_LOG));
    if (d.imagePath.empty()) {
        error = kNoImage;
        return false;
    }
    if (d.logPath.empty()) {
        error = kNoLog;
        return false;
    }
    if (!ReadId(Trimmed(GetDlgItemText(IDC_STATION_VID)), d.vendorId, d.vendorId) ||
        !ReadId(Trimmed(GetDlgItemText(IDC_STATION_PID)), d.productId, d.productId)) {
        error = "VID and PID take up to four hexadecimal digits";
        return false;
    }
    d.serialFormat = GetDlgItemText(IDC_STATION_SERIAL_FORMAT);
    // The options without a field of their own come from the command line as they were given.
    if (d.serialFormat.empty()) {
        d.serialList = arguments_.serialList;
        d.sameSerial = arguments_.sameSerial;
    }
    d.reuseSerials = arguments_.reuseSerials;
    d.ledgerPath = arguments_.ledger;
    d.reprogram = arguments_.reprogram;
    // Empty: the series the ledger keeps goes on.
    const std::string start = Trimmed(GetDlgItemText(IDC_STATION_SERIAL_START));
    if (!start.empty()) {
        long long first = 0;
        if (!ReadNumber(start, 0, 999999999999LL, first)) {
            error =
                "The first serial number is a number from 0 to 999999999999, or empty to go "
                "on after the last one";
            return false;
        }
        d.serialStart = first;
    }
    long long value = 0;
    const std::string count = Trimmed(GetDlgItemText(IDC_STATION_COUNT));
    if (!count.empty()) {
        if (!ReadNumber(count, 1, 1000000, value)) {
            error = "Count is a number from 1 to 1000000, or empty for no limit";
            return false;
        }
        d.count = static_cast<int>(value);
    }
    const std::string units = Trimmed(GetDlgItemText(IDC_STATION_SIM_UNITS));
    if (!units.empty()) {
        if (!ReadNumber(units, 1, 100000, value)) {
            error = "Simulated units is a number from 1 to 100000, or empty for the real line";
            return false;
        }
        d.simulated.units = static_cast<int>(value);
        if (!ReadNumber(Trimmed(GetDlgItemText(IDC_STATION_SIM_PARALLEL)), 1, 64, value)) {
            error = "Simulated units at a time is a number from 1 to 64";
            return false;
        }
        d.simulated.parallel = static_cast<int>(value);
        d.simulated.folder = arguments_.simDir;
        if (!arguments_.simFailUnit.empty() &&
            ReadNumber(arguments_.simFailUnit, 1, 1000000, value)) {
            d.simulated.failUnit = static_cast<int>(value);
        }
        d.simulated.realTiming = arguments_.simRealTiming;
        if (!arguments_.simStayMs.empty() && ReadNumber(arguments_.simStayMs, 0, 600000, value)) {
            d.simulated.stayMs = static_cast<int>(value);
        }
    }
    return true;
}

void CStationDlg::Start()
{
    if (IsRunning()) {
        return;
    }
    StationDescription description;
    std::string error;
    std::unique_ptr<Station> station;
    if (Describe(description, error)) {
        station = Station::Prepare(description, error);
    }
    if (!station) {
        SetDlgItemText(IDC_STATION_STATUS, error);
        GetPrompter().MessageBox(error);
        return;
    }
    station_ = std::move(station);
    observer_ = std::make_unique<Observer>(Context().Queue(), Handle());
    problem_.clear();
    summary_ = {};
    EnableFields(false);
    SetDlgItemText(IDC_STATION_STATUS, kRunning);
    ShowState();
    runner_ = std::thread([this, station = station_.get(), observer = observer_.get()] {
        summary_ = station->Run(observer);
        observer->Ended();
    });
}

void CStationDlg::Stop()
{
    if (!IsRunning()) {
        return;
    }
    station_->Stop();
    EnableDlgItem(IDC_STATION_STOP, false);
    SetDlgItemText(IDC_STATION_STATUS, kStopping);
}

void CStationDlg::Ended()
{
    if (!runner_.joinable()) {
        return;
    }
    runner_.join();
    problem_ = !summary_.problem.empty() ? summary_.problem : observer_->LastProblem();
    ShowState();
    EnableFields(true);
    SetDlgItemText(IDC_STATION_STATUS, !problem_.empty()      ? problem_
                                       : station_->Stopping() ? kStopped
                                                              : kDone);
}

void CStationDlg::EnableFields(bool enable)
{
    for (int id : kEditFields) {
        EnableDlgItem(id, enable);
    }
    EnableDlgItem(IDC_STATION_START, enable);
    EnableDlgItem(IDC_STATION_STOP, !enable);
}

std::string CStationDlg::RowText(const StationSlot& slot)
{
    std::string text = slot.name + "   " + SlotStateText(slot.state);
    switch (slot.state) {
        case SlotState::Waiting:
            break;
        case SlotState::Programming:
            text += " " + std::to_string(slot.progress) + "%";
            if (!slot.serial.empty()) {
                text += "   " + slot.serial;
            }
            break;
        case SlotState::Passed:
            text += "   " + slot.serial;
            break;
        case SlotState::Failed:
        case SlotState::Skipped:
            text += "   " + Reason(slot.result);
            break;
    }
    return text;
}

void CStationDlg::ShowState()
{
    if (!IsWindow()) {
        return;
    }
    const Station* station = station_.get();
    SetDlgItemText(IDC_STATION_CHECKSUM, station ? station->ImageChecksum() : "");
    SetDlgItemText(IDC_STATION_SERIAL_SOURCE, station ? station->SerialSource() : "");
    SetDlgItemText(IDC_STATION_NEXT_SERIAL, station ? station->NextSerial() : "");
    Control* rows = GetDlgItem(IDC_STATION_SLOTS);
    const StationCounts counts = station ? station->Counts() : StationCounts{};
    if (rows != nullptr) {
        const int selected = rows->GetCurSel();
        rows->ResetContent();
        if (station != nullptr) {
            for (const StationSlot& slot : station->Slots()) {
                rows->AddString(RowText(slot));
            }
        }
        rows->SetCurSel(selected < rows->GetCount() ? selected : -1);
    }
    std::string line = "Passed: " + std::to_string(counts.passed) +
                       "   Failed: " + std::to_string(counts.failed) +
                       "   Skipped: " + std::to_string(counts.skipped);
    if (counts.notLogged > 0) {
        line += "   Not logged: " + std::to_string(counts.notLogged);
    }
    SetDlgItemText(IDC_STATION_COUNTS, line);
}

bool CStationDlg::WaitForEnd(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsRunning()) {
        if (const auto message = Context().Queue().Take(std::chrono::milliseconds(50))) {
            // Handed to its window as the front end's loop would.
            if (Dialog* window = Context().Find(message->window)) {
                window->OnMessage(message->message, message->wParam, message->lParam);
            }
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
    }
    return true;
}

}  // namespace tovrik
