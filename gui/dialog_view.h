// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "platform/dialog.h"

namespace tovrik::gui {

// Renders one dialog of the headless dialog layer: a widget for each control
// of its template, placed by the control's rectangle in dialog units. The
// model stays the truth: user actions go into it the way a script sends them
// (platform/user_input.h), and SyncFromModel shows its state in the widgets.
// The view belongs to the dialog's window as it was when built; once that
// window is destroyed (or created anew) the view is stale and touches nothing.
class DialogView : public QWidget {
    Q_OBJECT

public:
    // `afterInput` runs after every user action handed to the model, so the
    // owner can bring all views up to date.
    DialogView(Dialog& dialog, std::function<void()> afterInput, QWidget* parent = nullptr);

    Dialog& Model() const { return dialog_; }
    // True once the dialog's window is not the one this view was built for.
    bool IsStale() const { return dialog_.Handle() != handle_ || handle_ == kNoWindow; }

    // Shows the state of every control: visibility, enabled state, texts,
    // check marks, list entries and selection, slider range and position.
    void SyncFromModel();

    // The widget of the control with this id; nullptr for none.
    QWidget* WidgetFor(int id) const;
    const DialogUnits& Units() const { return units_; }

    // The font a dialog of this template is drawn with: the fixed-pitch font
    // where the template asks for it, else `base`.
    static QFont FontFor(const DialogTemplate& dialog, const QFont& base);
    // The size in pixels of a dialog of this template drawn with FontFor(base).
    static QSize PixelSize(const DialogTemplate& dialog, const QFont& base);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        int index = 0;  // the control's place in Dialog::Controls()
        QWidget* widget = nullptr;
        std::vector<std::string> shownItems;
        // The model's text a one-line label was last fitted from.
        std::optional<std::string> fittedFrom;
    };

    void Build();
    QWidget* MakeWidget(const Control& control, int index);
    void SyncOne(Binding& binding, const Control& control);
    // The live control of a binding, nullptr when the view is stale.
    Control* ControlAt(int index);
    // Hands a user action to the model unless the view itself is changing the widgets.
    void Input(int index, const std::function<void(Dialog&, Control&)>& action);

    Dialog& dialog_;
    WindowHandle handle_;
    std::function<void()> afterInput_;
    DialogUnits units_;
    std::vector<Binding> bindings_;
    std::map<QObject*, int> indexOf_;
    bool syncing_ = false;
};

}  // namespace tovrik::gui
