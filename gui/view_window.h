// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <functional>

namespace tovrik {
class Dialog;
}

namespace tovrik::gui {

class DialogView;

// A view the main window opens beside itself (the Backups and Log views): the
// dialog's window as a window of its own, modal to the main window while it
// is open. Closing it (its title bar, Escape) closes the dialog's window in
// the model, as the view's own "Close" does.
class ViewWindow : public QDialog {
    Q_OBJECT

public:
    ViewWindow(Dialog& dialog, std::function<void()> afterInput, QWidget* parent);

    DialogView& View() { return *view_; }

    void reject() override;

private:
    Dialog& dialog_;
    std::function<void()> afterInput_;
    DialogView* view_ = nullptr;
};

}  // namespace tovrik::gui
