// SPDX-License-Identifier: MIT
#include "platform/message_queue.h"

namespace tovrik {

void MessageQueue::Post(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WakeFunction wake;
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(WindowMessage{window, message, wParam, lParam});
        wake = wake_;
    }
    posted_.notify_all();
    if (wake) {
        wake();
    }
}

std::optional<WindowMessage> MessageQueue::TryTake()
{
    std::lock_guard lock(mutex_);
    if (messages_.empty()) {
        return std::nullopt;
    }
    WindowMessage m = messages_.front();
    messages_.pop_front();
    return m;
}

std::optional<WindowMessage> MessageQueue::Take(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (!posted_.wait_for(lock, timeout, [this] { return !messages_.empty(); })) {
        return std::nullopt;
    }
    WindowMessage m = messages_.front();
    messages_.pop_front();
    return m;
}

int MessageQueue::DispatchPending(const std::function<void(const WindowMessage&)>& handler)
{
    int delivered = 0;
    while (auto m = TryTake()) {
        handler(*m);
        ++delivered;
    }
    return delivered;
}

std::size_t MessageQueue::Size() const
{
    std::lock_guard lock(mutex_);
    return messages_.size();
}

void MessageQueue::SetWakeFunction(WakeFunction wake)
{
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

}  // namespace tovrik
