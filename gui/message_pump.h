// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "platform/dialog.h"

namespace tovrik::gui {

// Delivers the window messages of a UiContext on the thread of the Qt event
// loop: a post from any thread wakes the loop, which hands every queued
// message to its window and then tells the owner once for the batch.
class MessagePump : public QObject {
    Q_OBJECT

public:
    MessagePump(UiContext& ui, std::function<void()> afterDelivery, QObject* parent = nullptr);
    ~MessagePump() override;

    // Delivers what is queued now; returns how many messages were delivered.
    int DispatchNow();

    // While paused nothing is delivered; resuming delivers what waited.
    void SetPaused(bool paused);

private:
    struct WakeState;

    UiContext& ui_;
    std::function<void()> afterDelivery_;
    std::shared_ptr<WakeState> wake_;
    bool paused_ = false;
};

}  // namespace tovrik::gui
