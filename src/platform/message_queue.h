// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/window_message.h"

namespace tovrik {

// Window messages posted from any thread and taken, one at a time and in the
// order they were posted, by the user-interface thread.
class MessageQueue {
public:
    // Called (on the posting thread) after each post, so a front end can wake
    // its event loop. Must not call back into Post.
    using WakeFunction = std::function<void()>;

    void Post(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam);

    // The oldest message, if any, without waiting.
    std::optional<WindowMessage> TryTake();

    // The oldest message, waiting up to the timeout for one to arrive.
    std::optional<WindowMessage> Take(std::chrono::milliseconds timeout);

    // Hands every queued message to the handler, including those the handler
    // posts itself; returns how many were delivered.
    int DispatchPending(const std::function<void(const WindowMessage&)>& handler);

    std::size_t Size() const;
    void SetWakeFunction(WakeFunction wake);

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<WindowMessage> messages_;
    WakeFunction wake_;
};

}  // namespace tovrik
