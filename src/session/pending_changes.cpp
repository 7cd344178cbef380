// SPDX-License-Identifier: MIT
#include "session/pending_changes.h"

#include <algorithm>

#include "app/demo_app.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "session/config_models.h"

namespace tovrik {

namespace {

constexpr const char* kNoChanges = "The pages change nothing on the chip";
constexpr const char* kNotConnected = "No chip connected";
// Blanks between the columns of a row.
constexpr std::size_t kColumnGap = 2;

std::string Quoted(const std::string& value)
{
    return "\"" + value + "\"";
}

SettingsTable::Models WindowModels(CDemoDlg& window)
{
    SettingsTable::Models models{};
    const std::vector<CConfigPage*> pages = window.ConfigPages();
    for (std::size_t i = 0; i < models.size() && i < pages.size(); ++i) {
        models[i] = &pages[i]->Model();
    }
    return models;
}

}  // namespace

// --- ChangesDialog ---

ChangesDialog::ChangesDialog(UiContext& ui) : Dialog(ui, GetDialogTemplate(IDD_CHANGES)) {}

ChangesDialog::~ChangesDialog()
{
    Destroy();
}

std::vector<std::string> ChangesDialog::Rows(const std::vector<SettingChange>& changes)
{
    using Columns = std::array<std::string, 4>;
    std::vector<Columns> table = {{"Page", "Setting", "On the chip", "To be written"}};
    for (const SettingChange& c : changes) {
        table.push_back({c.page, c.label, Quoted(c.before), Quoted(c.after)});
    }
    std::array<std::size_t, 4> widths{};
    for (const Columns& row : table) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    std::vector<std::string> rows;
    for (const Columns& row : table) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line += std::string(widths[i] - row[i].size() + kColumnGap, ' ');
            }
        }
        rows.push_back(line);
    }
    return rows;
}

void ChangesDialog::Show(const std::vector<SettingChange>& changes)
{
    Control* list = GetDlgItem(IDC_CHANGES_LIST);
    if (list == nullptr) {
        return;
    }
    std::vector<std::string> rows = Rows(changes);
    SetDlgItemText(IDC_CHANGES_HEADER, rows.front());
    rows.erase(rows.begin());
    // Rebuilt only when they differ, so a row the user picked stays picked.
    if (list->Items() != rows) {
        list->ResetContent();
        for (const std::string& row : rows) {
            list->AddString(row);
        }
    }
}

void ChangesDialog::OnCommand(int id, Notify code)
{
    if (id == IDC_CHANGES_CLOSE && code == Notify::Clicked) {
        Destroy();
    }
}

// --- PendingChanges ---

PendingChanges::PendingChanges(CDemoApp& app)
    : app_(app), window_(*app.MainWindow()), pages_(WindowModels(window_)), view_(app.Ui())
{
    window_.SetPagesObserver([this](CDemoDlg::PagesEvent event) { OnPagesEvent(event); });
    window_.SetButtonHandler(IDC_CHANGES, [this] { OpenView(); });
    if (window_.IsConnected() != 0) {
        ReadChip();
    }
    Update();
}

PendingChanges::~PendingChanges()
{
    window_.SetPagesObserver({});
    window_.SetButtonHandler(IDC_CHANGES, {});
}

std::string PendingChanges::CountText(std::size_t count)
{
    if (count == 0) {
        return {};
    }
    return std::to_string(count) + (count == 1 ? " setting changed" : " settings changed");
}

std::vector<SettingChange> PendingChanges::Changes() const
{
    if (onChip_.empty()) {
        return {};
    }
    std::vector<SettingValue> toWrite = pages_.Read();
    // A page that is not open leaves its part of the image as loaded.
    const std::vector<SettingEntry>& entries = SettingsTable::Entries();
    std::vector<CConfigPage*> pages = window_.ConfigPages();
    for (std::size_t i = 0; i < toWrite.size() && i < entries.size() && i < onChip_.size(); ++i) {
        const auto page = static_cast<std::size_t>(entries[i].page);
        if (page >= pages.size() || !pages[page]->Model().IsCreated()) {
            toWrite[i].value = onChip_[i].value;
        }
    }
    return DiffSettings(onChip_, toWrite);
}

void PendingChanges::OnPagesEvent(CDemoDlg::PagesEvent event)
{
    switch (event) {
        case CDemoDlg::PagesEvent::Loaded:
            ReadChip();
            break;
        case CDemoDlg::PagesEvent::Closed:
            onChip_.clear();
            break;
        case CDemoDlg::PagesEvent::Edited:
            break;
    }
    Update();
}

void PendingChanges::ReadChip()
{
    // The image the pages were just loaded from (or saved), read by pages of
    // its own as `device diff` reads a chip; their messages were the window's already.
    SilentPrompter silent;
    ConfigModels chip(app_.Config(), silent);
    chip.Create(app_.CurrentDeviceProfile());
    onChip_ = chip.Table().Read();
}

void PendingChanges::Update()
{
    if (!window_.IsWindow()) {
        return;
    }
    const std::vector<SettingChange> changes = Changes();
    window_.SetDlgItemText(IDC_CHANGES_COUNT, CountText(changes.size()));
    if (view_.IsWindow()) {
        view_.SetDlgItemText(IDC_CHANGES_SUMMARY,
                             onChip_.empty()       ? kNotConnected
                             : changes.empty()     ? kNoChanges
                                                   : CountText(changes.size()) + " against the chip");
        view_.Show(changes);
    }
}

void PendingChanges::OpenView()
{
    // Filled before the front end shows it.
    if (!view_.IsWindow()) {
        view_.Create();
    }
    Update();
    app_.Ui().ShowView(view_, kViewName);
}

}  // namespace tovrik
