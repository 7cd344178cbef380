// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/tool_command_line.h"
#include "platform/dialog.h"
#include "station/station.h"

namespace tovrik {

// The station window: the golden image and its checksum, where the serials
// come from and the next one, a row per port (or simulated slot), the counts,
// Start and Stop, and the log's path. Its fields start from the station
// command's options and stay editable until Start; Start prepares the one
// station engine and runs it on a thread of the window's own. The engine's
// threads only post messages to this window; the state is read on the
// window's thread when they arrive.
class CStationDlg : public Dialog {
public:
    // Posted by the engine's threads: something shown has changed / the run has ended.
    static constexpr UINT kChangedMessage = 0x8000 + 0x310;
    static constexpr UINT kEndedMessage = 0x8000 + 0x311;

    CStationDlg(UiContext& context, StationArguments arguments);
    // Stops a run and waits for its units in progress.
    ~CStationDlg() override;

    // Creates the window when it does not exist, then tells the front end to show it.
    void Open();
    // A front end shows (or brings to the front) its view of the window here.
    void SetShowHandler(std::function<void()> show) { show_ = std::move(show); }

    // The close request; refused, with a message, while a run goes on. true when closed.
    bool OnClose();

    void OnCommand(int id, Notify code) override;
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Between Start and the end of the run (the end's message handled).
    bool IsRunning() const { return runner_.joinable(); }
    // Delivers the UI's messages until the run has ended; false when it has
    // not within `timeout` (a script's safety net, not a measurement).
    bool WaitForEnd(std::chrono::milliseconds timeout);
    // The station of the current or last run; nullptr before the first Start.
    const Station* CurrentStation() const { return station_.get(); }
    const StationSummary& LastSummary() const { return summary_; }

    // A row of the ports list for this slot.
    static std::string RowText(const StationSlot& slot);

protected:
    int OnInitDialog() override;
    void OnDestroy() override;

private:
    class Observer;

    void Start();
    void Stop();
    // Reads the fields into a description; false, with the reason, when one is wrong.
    bool Describe(StationDescription& description, std::string& error);
    void ShowState();
    void Ended();
    void EnableFields(bool enable);

    StationArguments arguments_;
    std::function<void()> show_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<Observer> observer_;
    std::thread runner_;
    StationSummary summary_;
    std::string problem_;
};

}  // namespace tovrik
