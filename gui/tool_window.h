#pragma once

#include <QWidget>
#include <functional>
#include <string>

namespace tovrik {
class CDemoDlg;
}

namespace tovrik::gui {

class DialogView;
class MessagePump;
class SheetView;

// The main window on the desktop: the main dialog with its property sheet
// placed where the dialog's template puts it. It brings every view up to date
// after each user action and each batch of delivered window messages, and
// hands the close request to the dialog, which asks first.
class ToolWindow : public QWidget {
    Q_OBJECT

public:
    // `title` is asked for the window title at every update.
    ToolWindow(CDemoDlg& dialog, std::function<std::string()> title, QWidget* parent = nullptr);
    ~ToolWindow() override;

    // Shows the state of the main dialog, the sheet and the active page.
    void SyncFromModel();

    DialogView& MainView() { return *mainView_; }
    SheetView& Sheet() { return *sheetView_; }
    MessagePump& Pump() { return *pump_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CDemoDlg& dialog_;
    std::function<std::string()> title_;
    DialogView* mainView_ = nullptr;
    SheetView* sheetView_ = nullptr;
    MessagePump* pump_ = nullptr;
};

}  // namespace tovrik::gui
