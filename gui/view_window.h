// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <functional>

namespace tovrik {
class Dialog;
}

namespace tovrik::gui {

class DialogView;

// A view the main window opens beside itself (the Backups, Log and Changes
// views): the dialog's window as a window of its own, modal to the main window
// while it is open. Closing it (its title bar, Escape) closes the dialog's
// window in the model, as the view's own "Close" does; once the dialog's
// window is gone the owner throws it away.
class ViewWindow : public QDialog {
    Q_OBJECT

public:
    // `afterInput` runs after every user action, as for the main window.
    ViewWindow(Dialog& dialog, std::function<void()> afterInput, QWidget* parent);

    DialogView& View() { return *view_; }
    bool IsStale() const;
    void SyncFromModel();

    void reject() override;

private:
    Dialog& dialog_;
    std::function<void()> afterInput_;
    DialogView* view_ = nullptr;
};

}  // namespace tovrik::gui
