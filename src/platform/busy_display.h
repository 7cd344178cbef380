// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tovrik {

// How far a long command got, as its progress bar shows it.
struct BusyProgress {
    std::string operation;  // the command's name, as the status line gives it
    // The amount is unknown (a write): the bar runs as a marquee.
    bool marquee = false;
    std::uint32_t done = 0;  // never more than total
    std::uint32_t total = 0;
};

// What a window does for BusyDisplay; each front end renders it with its toolkit.
class BusyView {
public:
    virtual ~BusyView() = default;
    // Shows (true) or takes away the wait cursor and the progress bar that
    // lies over the status line's operation text.
    virtual void ShowBusy(bool shown) = 0;
    virtual void ShowProgress(const BusyProgress& progress) = 0;
    // Paints the window now without taking input: the command runs on the
    // window's own thread and must not be re-entered.
    virtual void Repaint() = 0;
};

// The decisions of a window while a command on the device runs: a command
// that runs longer than kShowAfter (or, for tests, the milliseconds in the
// environment variable TOVRIK_BUSY_AFTER_MS) shows a wait cursor and a progress bar
// until it ends, repainted at most every kRepaintEvery; a prompt takes them
// away and the waiting starts again after it; a close request and window
// messages wait until the command has ended. No toolkit here: the windows
// feed it the dialog's operation notices and the transfers' progress.
class BusyDisplay {
public:
    using Clock = std::function<std::chrono::milliseconds()>;
    static constexpr std::chrono::milliseconds kShowAfter{200};
    static constexpr std::chrono::milliseconds kRepaintEvery{30};

    // `clock` is a steady clock unless given; `view` must outlive this.
    explicit BusyDisplay(BusyView& view, Clock clock = {});

    // How long a command runs before it shows: kShowAfter, unless
    // TOVRIK_BUSY_AFTER_MS holds a number of milliseconds from 0 to 60000,
    // which lets the window tests see the busy display of short commands.
    static std::chrono::milliseconds ShowAfter();

    // A command starts (running true) or has ended, as CDemoDlg tells it.
    void OnOperation(const std::string& name, bool running);
    // A transfer of the running command reports its progress; `total` 0 when
    // the amount cannot be known.
    void OnProgress(std::uint32_t done, std::uint32_t total);
    // A prompt is about to wait for the user.
    void Pause();

    bool IsRunning() const { return running_; }
    bool IsShown() const { return shown_; }
    // Whether a close request is ignored now (the user asks again later).
    bool HoldsBackClose() const { return running_; }
    // Whether window messages wait until the command has ended, as they would
    // on the one thread that runs both.
    bool HoldsBackMessages() const { return running_; }

private:
    void Hide();

    BusyView& view_;
    Clock clock_;
    bool running_ = false;
    bool shown_ = false;
    std::string operation_;
    std::chrono::milliseconds since_{0};
    std::chrono::milliseconds lastRepaint_{0};
    std::chrono::milliseconds showAfter_ = ShowAfter();
};

}  // namespace tovrik
