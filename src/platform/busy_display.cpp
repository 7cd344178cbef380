// SPDX-License-Identifier: MIT
#include "platform/busy_display.h"

#include <algorithm>
#include <cstdlib>

namespace tovrik {

BusyDisplay::BusyDisplay(BusyView& view, Clock clock) : view_(view), clock_(std::move(clock))
{
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
        };
    }
}

std::chrono::milliseconds BusyDisplay::ShowAfter()
{
    constexpr long kLongest = 60000;
    const char* text = std::getenv("TOVRIK_BUSY_AFTER_MS");
    if (text == nullptr || *text == '\0') {
        return kShowAfter;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0 || value > kLongest) {
        return kShowAfter;
    }
    return std::chrono::milliseconds(value);
}

void BusyDisplay::OnOperation(const std::string& name, bool running)
{
    if (running) {
        running_ = true;
        shown_ = false;
        operation_ = name;
        since_ = clock_();
        lastRepaint_ = since_;
        return;
    }
    running_ = false;
    Hide();
}

void BusyDisplay::Pause()
{
    since_ = clock_();
    Hide();
}

void BusyDisplay::Hide()
{
    if (!shown_) {
        return;
    }
    shown_ = false;
    view_.ShowBusy(false);
}

void BusyDisplay::OnProgress(std::uint32_t done, std::uint32_t total)
{
    const std::chrono::milliseconds now = clock_();
    if (!running_ || now - since_ < showAfter_) {
        return;
    }
    if (!shown_) {
        shown_ = true;
        view_.ShowBusy(true);
    }
    BusyProgress progress;
    progress.operation = operation_;
    progress.marquee = total == 0;
    progress.done = std::min(done, total);
    progress.total = total;
    view_.ShowProgress(progress);
    if (now - lastRepaint_ >= kRepaintEvery) {
        lastRepaint_ = now;
        view_.Repaint();
    }
}

}  // namespace tovrik
