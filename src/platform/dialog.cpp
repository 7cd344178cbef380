// SPDX-License-Identifier: MIT
#include "platform/dialog.h"

#include "platform/control_set.h"
#include "platform/latin1_text.h"

#include <algorithm>

namespace tovrik {

namespace {

constexpr const char* kMsgTooLong = "Please enter no more than %1 characters.";

std::string TooLongMessage(int limit)
{
    std::string text = kMsgTooLong;
    text.replace(text.find("%1"), 2, std::to_string(limit));
    return text;
}

}  // namespace

// --- UiContext ---

Dialog* UiContext::Find(WindowHandle window) const
{
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second;
}

WindowHandle UiContext::Register(Dialog* dialog)
{
    const WindowHandle handle = nextHandle_++;
    windows_[handle] = dialog;
    return handle;
}

void UiContext::Unregister(WindowHandle window)
{
    windows_.erase(window);
    viewNames_.erase(window);
}

void UiContext::ShowView(Dialog& view, const std::string& name)
{
    if (!view.IsWindow()) {
        view.Create();
    }
    if (!view.IsWindow()) {
        return;
    }
    viewNames_[view.Handle()] = name;
    if (viewShower_) {
        viewShower_(view);
    }
}

Dialog* UiContext::FindView(const std::string& name) const
{
    for (const auto& [window, viewName] : viewNames_) {
        if (viewName == name) {
            return Find(window);
        }
    }
    return nullptr;
}

int UiContext::DispatchPending()
{
    int delivered = 0;
    while (auto message = queue_.TryTake()) {
        // Looked up at delivery: a window destroyed after the post gets nothing.
        if (Dialog* dialog = Find(message->window)) {
            dialog->OnMessage(message->message, message->wParam, message->lParam);
            ++delivered;
            if (afterDispatch_) {
                afterDispatch_();
            }
        }
    }
    return delivered;
}

// --- Dialog ---

Dialog::Dialog(UiContext& context, const DialogTemplate& dialogTemplate)
    : context_(context), template_(dialogTemplate)
{
}

Dialog::~Dialog()
{
    if (IsWindow()) {
        context_.Unregister(handle_);
    }
}

int Dialog::Create()
{
    if (IsWindow()) {
        return 0;
    }
    for (const ControlTemplate& t : template_.controls) {
        controls_.push_back(std::make_unique<Control>(ControlFromTemplate(t)));
    }
    handle_ = context_.Register(this);
    OnInitDialog();
    return 1;
}

void Dialog::Destroy()
{
    if (!IsWindow()) {
        return;
    }
    OnDestroy();
    context_.Unregister(handle_);
    handle_ = kNoWindow;
    controls_.clear();
}

Control* Dialog::GetDlgItem(int id)
{
    return const_cast<Control*>(static_cast<const Dialog*>(this)->GetDlgItem(id));
}

const Control* Dialog::GetDlgItem(int id) const
{
    if (id == kNoControlId) {
        return nullptr;
    }
    for (const auto& control : controls_) {
        if (control->Id() == id) {
            return control.get();
        }
    }
    return nullptr;
}

int Dialog::UpdateData(bool saveAndValidate)
{
    if (!IsWindow()) {
        return 0;
    }
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return dx.Failed() ? 0 : 1;
}

void Dialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsWindow()) {
        context_.Queue().Post(handle_, message, wParam, lParam);
    }
}

void Dialog::OnCommand(int /*id*/, Notify /*code*/) {}

void Dialog::OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}

void Dialog::SetDlgItemText(int id, const std::string& text)
{
    if (Control* c = GetDlgItem(id)) {
        c->SetText(text);
    }
}

std::string Dialog::GetDlgItemText(int id) const
{
    const Control* c = GetDlgItem(id);
    return c != nullptr ? c->Text() : std::string();
}

void Dialog::EnableDlgItem(int id, bool enable)
{
    if (Control* c = GetDlgItem(id)) {
        c->Enable(enable);
    }
}

void Dialog::CheckDlgButton(int id, bool checked)
{
    if (Control* c = GetDlgItem(id)) {
        c->SetCheck(checked);
    }
}

bool Dialog::IsDlgButtonChecked(int id) const
{
    const Control* c = GetDlgItem(id);
    return c != nullptr && c->IsChecked();
}

void Dialog::EnableGroupControls(const Control* group, bool enable)
{
    if (group == nullptr || group->Kind() != ControlKind::GroupBox) {
        return;
    }
    const bool ours = std::any_of(controls_.begin(), controls_.end(),
                                  [group](const auto& c) { return c.get() == group; });
    if (!ours) {
        return;
    }
    const Rect area = group->Area();
    for (const auto& control : controls_) {
        if (control->Kind() != ControlKind::Static && control->Area().Intersects(area)) {
            control->Enable(enable);
        }
    }
}

// --- DataExchange ---

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : dialog_(&dialog), prompter_(dialog.GetPrompter()), saving_(saveAndValidate)
{
}

DataExchange::DataExchange(std::vector<Control>& controls, Prompter& prompter, bool saveAndValidate)
    : controls_(&controls), prompter_(prompter), saving_(saveAndValidate)
{
}

Control* DataExchange::Find(int id)
{
    if (dialog_ != nullptr) {
        return dialog_->GetDlgItem(id);
    }
    if (id == kNoControlId) {
        return nullptr;
    }
    for (Control& control : *controls_) {
        if (control.Id() == id) {
            return &control;
        }
    }
    return nullptr;
}

Control* DataExchange::Item(int id)
{
    return failed_ ? nullptr : Find(id);
}

void DataExchange::Fail()
{
    failed_ = true;
}

void DataExchange::Text(int id, std::string& field)
{
    if (Control* c = Item(id)) {
        if (saving_) {
            field = c->Text();
        } else {
            c->SetText(field);
        }
    }
}

void DataExchange::Text(int id, std::string& field, int maxChars)
{
    Control* c = Item(id);
    if (c == nullptr) {
        return;
    }
    if (!saving_) {
        c->SetLimit(maxChars);
        c->SetText(field);
        return;
    }
    if (Utf8Length(c->Text()) > static_cast<std::size_t>(maxChars)) {
        prompter_.MessageBox(TooLongMessage(maxChars));
        Fail();
        return;
    }
    field = c->Text();
}

void DataExchange::Check(int id, int& field)
{
    if (Control* c = Item(id)) {
        if (saving_) {
            field = c->IsChecked() ? 1 : 0;
        } else {
            c->SetCheck(field != 0);
        }
    }
}

void DataExchange::Radio(const std::vector<int>& ids, int& field)
{
    if (failed_) {
        return;
    }
    if (saving_) {
        field = -1;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const Control* c = Find(ids[i]);
            if (c != nullptr && c->IsChecked()) {
                field = static_cast<int>(i);
                break;
            }
        }
        return;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (Control* c = Find(ids[i])) {
            c->SetCheck(static_cast<int>(i) == field);
        }
    }
}

void DataExchange::ListIndex(int id, int& field)
{
    if (Control* c = Item(id)) {
        if (saving_) {
            field = c->GetCurSel();
        } else {
            c->SetCurSel(field);
        }
    }
}

void DataExchange::SliderPos(int id, int& field)
{
    if (Control* c = Item(id)) {
        if (saving_) {
            field = c->GetPos();
        } else {
            c->SetPos(field);
        }
    }
}

}  // namespace tovrik
