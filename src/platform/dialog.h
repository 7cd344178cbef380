// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/control.h"
#include "platform/dialog_template.h"
#include "platform/message_queue.h"
#include "platform/prompter.h"
#include "platform/window_message.h"

namespace tovrik {

class Dialog;

// What the dialogs of one user interface share: the prompts, the message
// queue, and the windows that exist, by handle.
class UiContext {
public:
    UiContext(Prompter& prompter, MessageQueue& queue) : prompter_(prompter), queue_(queue) {}

    Prompter& GetPrompter() { return prompter_; }
    MessageQueue& Queue() { return queue_; }

    // The dialog whose window has this handle, nullptr when there is none.
    Dialog* Find(WindowHandle window) const;

    // Delivers every queued message to its window, in order; messages to a
    // window that no longer exists are dropped. Returns how many were delivered.
    int DispatchPending();

    // Called when a message has been handled (front ends refresh their view).
    void SetAfterDispatch(std::function<void()> hook) { afterDispatch_ = std::move(hook); }

    // Views: dialogs beside the main window that the user opens (a list, say).
    // A front end shows each in a window of its own while the dialog's window
    // exists; `shower` is told every time one is shown.
    void SetViewShower(std::function<void(Dialog&)> shower) { viewShower_ = std::move(shower); }
    // Creates the view's window unless it exists, names it (scripts reach it
    // by its name) and has the front end show it in front.
    void ShowView(Dialog& view, const std::string& name);
    // The view of this name whose window exists; nullptr for none.
    Dialog* FindView(const std::string& name) const;

private:
    friend class Dialog;
    WindowHandle Register(Dialog* dialog);
    void Unregister(WindowHandle window);

    Prompter& prompter_;
    MessageQueue& queue_;
    std::map<WindowHandle, Dialog*> windows_;
    // The names of the views whose window exists.
    std::map<WindowHandle, std::string> viewNames_;
    WindowHandle nextHandle_ = 0x100;
    std::function<void()> afterDispatch_;
    std::function<void(Dialog&)> viewShower_;
};

class DataExchange;

// A dialog built from a template. Its window exists between Create and
// Destroy; the controls exist only as long as the window does. Fields move
// between controls and the dialog's members only through UpdateData.
class Dialog {
public:
    Dialog(UiContext& context, const DialogTemplate& dialogTemplate);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window and its controls, then runs OnInitDialog. 1 on
    // success, 0 when the window already exists.
    int Create();
    // Runs OnDestroy, then removes the controls and the window.
    void Destroy();
    bool IsWindow() const { return handle_ != kNoWindow; }
    WindowHandle Handle() const { return handle_; }

    const DialogTemplate& Template() const { return template_; }
    const std::string& Title() const { return template_.title; }

    // nullptr while the window does not exist or the id is unknown.
    Control* GetDlgItem(int id);
    const Control* GetDlgItem(int id) const;
    // Every control in template order, labels included.
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

    // true takes the control values into the fields (refusing texts over
    // their limit), false shows the fields in the controls. 1 on success.
    int UpdateData(bool saveAndValidate = true);

    // Posts a message to this dialog's window through the queue.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Entry points for input and messages.
    virtual void OnCommand(int id, Notify code);
    virtual void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Convenience for the dialog's own logic.
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void EnableDlgItem(int id, bool enable);
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;

    // Enables or disables every control whose rectangle meets the group box's,
    // except labels; the group box itself is included. Ignored unless `group`
    // is a group box of this dialog.
    void EnableGroupControls(const Control* group, bool enable);

    UiContext& Context() { return context_; }
    Prompter& GetPrompter() { return context_.GetPrompter(); }

protected:
    virtual int OnInitDialog() { return 1; }
    virtual void OnDestroy() {}
    virtual void DoDataExchange(DataExchange& /*dx*/) {}

private:
    UiContext& context_;
    DialogTemplate template_;
    WindowHandle handle_ = kNoWindow;
    std::vector<std::unique_ptr<Control>> controls_;
};

// The transfer between controls and fields during UpdateData. Every call
// after a failed one does nothing, so the first refusal ends the exchange.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);
    // The same transfer over controls without a window (a page's model);
    // refusals are told through `prompter`.
    DataExchange(std::vector<Control>& controls, Prompter& prompter, bool saveAndValidate);

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }
    // Ends the exchange as refused, for a refusal the caller has already told.
    void Fail();

    void Text(int id, std::string& field);
    // A text field with a character limit: the limit also holds while typing,
    // and a longer text is refused with a message when taken.
    void Text(int id, std::string& field, int maxChars);
    void Check(int id, int& field);
    // A group of radio buttons; the field is the index in `ids` of the
    // checked one, -1 for none.
    void Radio(const std::vector<int>& ids, int& field);
    void ListIndex(int id, int& field);
    void SliderPos(int id, int& field);

private:
    // The control with this id, whether or not the exchange failed.
    Control* Find(int id);
    // The control with this id, or nullptr once the exchange failed.
    Control* Item(int id);

    Dialog* dialog_ = nullptr;
    std::vector<Control>* controls_ = nullptr;
    Prompter& prompter_;
    bool saving_;
    bool failed_ = false;
};

}  // namespace tovrik
