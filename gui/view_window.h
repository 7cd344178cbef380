// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

#include "platform/dialog.h"

namespace tovrik::gui {

class DialogView;

// A view the user opened beside the main window (platform/dialog.h,
// UiContext::ShowView) in a window of its own. Closing the window closes the
// view's dialog; once the dialog's window is gone the owner throws it away.
class ViewWindow : public QWidget {
    Q_OBJECT

public:
    // `afterInput` runs after every user action, as for the main window.
    ViewWindow(Dialog& dialog, std::function<void()> afterInput, QWidget* parent);

    DialogView& View() { return *view_; }
    bool IsStale() const;
    void SyncFromModel();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    DialogView* view_ = nullptr;
    std::function<void()> afterInput_;
};

}  // namespace tovrik::gui
