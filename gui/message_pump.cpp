// SPDX-License-Identifier: MIT
#include "message_pump.h"

#include <QMetaObject>
#include <atomic>
#include <mutex>

namespace tovrik::gui {

// Shared with the wake function, which a posting thread may still be running
// after the pump is gone: it then finds no target and does nothing.
struct MessagePump::WakeState {
    std::mutex mutex;
    MessagePump* target = nullptr;
    std::atomic<bool> pending{false};
};

MessagePump::MessagePump(UiContext& ui, std::function<void()> afterDelivery, QObject* parent)
    : QObject(parent),
      ui_(ui),
      afterDelivery_(std::move(afterDelivery)),
      wake_(std::make_shared<WakeState>())
{
    wake_->target = this;
    ui_.Queue().SetWakeFunction([state = wake_] {
        // One wake-up at a time is enough: a delivery takes everything queued.
        if (state->pending.exchange(true)) {
            return;
        }
        std::lock_guard lock(state->mutex);
        if (state->target != nullptr) {
            QMetaObject::invokeMethod(
                state->target,
                [state] {
                    state->pending = false;
                    if (state->target != nullptr) {
                        state->target->DispatchNow();
                    }
                },
                Qt::QueuedConnection);
        }
    });
    // Anything posted before the pump existed is delivered as soon as the loop runs.
    QMetaObject::invokeMethod(this, &MessagePump::DispatchNow, Qt::QueuedConnection);
}

MessagePump::~MessagePump()
{
    ui_.Queue().SetWakeFunction({});
    std::lock_guard lock(wake_->mutex);
    wake_->target = nullptr;
}

void MessagePump::SetPaused(bool paused)
{
    paused_ = paused;
    if (!paused) {
        QMetaObject::invokeMethod(this, &MessagePump::DispatchNow, Qt::QueuedConnection);
    }
}

int MessagePump::DispatchNow()
{
    if (paused_) {
        return 0;
    }
    const int delivered = ui_.DispatchPending();
    if (delivered > 0 && afterDelivery_) {
        afterDelivery_();
    }
    return delivered;
}

}  // namespace tovrik::gui
