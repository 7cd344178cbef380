// The tool's dialog templates: controls with their ids, kinds, texts, places
// (in dialog units) and initial states.
#include "resources/dialog_templates.h"

#include <map>

#include "resources/resource_ids.h"

namespace tovrik {

namespace {

using K = ControlKind;

ControlTemplate Label(const std::string& text, Rect rect)
{
    ControlTemplate c;
    c.kind = K::Static;
    c.text = text;
    c.rect = rect;
    return c;
}

ControlTemplate Make(int id, ControlKind kind, const std::string& text, Rect rect)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.text = text;
    c.rect = rect;
    return c;
}

ControlTemplate Disabled(ControlTemplate c)
{
    c.enabled = false;
    return c;
}

ControlTemplate Hidden(ControlTemplate c)
{
    c.visible = false;
    c.enabled = false;
    return c;
}

ControlTemplate Limited(ControlTemplate c, int limit)
{
    c.limit = limit;
    return c;
}

constexpr Rect kPageRect{0, 0, 380, 250};

DialogTemplate MainWindow()
{
    DialogTemplate d;
    d.id = IDD_MAIN;
    d.title = "Tovrik Configuration";
    d.rect = {0, 0, 400, 318};
    d.iconId = IDR_MAINFRAME;
    d.sheetArea = {7, 46, 393, 311};
    ControlTemplate modeFrame = Hidden(Make(kNoControlId, K::GroupBox, "", {276, 2, 393, 40}));
    ControlTemplate configMode =
        Hidden(Make(IDC_MODE_CONFIG, K::RadioButton, "Configure EEPROM", {282, 12, 388, 22}));
    configMode.checked = true;
    d.controls = {
        Label("VID", {7, 9, 22, 19}),
        Limited(Make(IDC_VID, K::Edit, "", {24, 7, 54, 19}), 4),
        Label("PID", {60, 9, 75, 19}),
        Limited(Make(IDC_PID, K::Edit, "", {77, 7, 107, 19}), 4),
        Make(IDC_CONNECT, K::PushButton, "Connect", {113, 6, 163, 20}),
        Disabled(Make(IDC_SAVE_EEPROM, K::PushButton, "Save EEPROM", {7, 25, 67, 39})),
        Disabled(Make(IDC_ERASE, K::PushButton, "Erase", {71, 25, 111, 39})),
        Disabled(Make(IDC_REFRESH, K::PushButton, "Refresh", {115, 25, 163, 39})),
        Disabled(Make(IDC_EEPROM_TO_FILE, K::PushButton, "EEPROM -> FILE", {169, 6, 239, 20})),
        Disabled(Make(IDC_FILE_TO_EEPROM, K::PushButton, "FILE -> EEPROM", {169, 25, 239, 39})),
        modeFrame,
        configMode,
        Hidden(Make(IDC_MODE_DEMO, K::RadioButton, "Demo Features", {282, 25, 388, 35})),
    };
    return d;
}

DialogTemplate AboutPage()
{
    DialogTemplate d;
    d.id = IDD_ABOUT;
    d.title = "About";
    d.rect = kPageRect;
    ControlTemplate icon = Label("", {20, 20, 41, 41});
    icon.iconId = IDR_MAINFRAME;
    d.controls = {icon, Label("TovrikConfig Version 2.0.1.2", {50, 26, 250, 36})};
    return d;
}

// A page whose controls are still to come: its title and size only.
DialogTemplate EmptyPage(int id, const std::string& title, bool fixedFont = false)
{
    DialogTemplate d;
    d.id = id;
    d.title = title;
    d.rect = kPageRect;
    d.fixedFont = fixedFont;
    return d;
}

std::map<int, DialogTemplate> BuildTemplates()
{
    std::map<int, DialogTemplate> all;
    for (DialogTemplate d : {
             MainWindow(),
             AboutPage(),
             EmptyPage(IDD_USB_CONFIG, "USB Config"),
             EmptyPage(IDD_VOLUME_CONFIG, "Volume Config"),
             EmptyPage(IDD_EQ_CONFIG, "EQ Config"),
             EmptyPage(IDD_MISC_CONFIG, "Misc Config"),
             EmptyPage(IDD_GPIO, "GPIO Control", true),
             EmptyPage(IDD_EEPROM, "EEPROM"),
             EmptyPage(IDD_I2C, "I2C Control"),
             EmptyPage(IDD_HID_CONTROL, "HID Control"),
         }) {
        all.emplace(d.id, std::move(d));
    }
    return all;
}

}  // namespace

const DialogTemplate& GetDialogTemplate(int id)
{
    static const std::map<int, DialogTemplate> templates = BuildTemplates();
    static const DialogTemplate none;
    const auto it = templates.find(id);
    return it == templates.end() ? none : it->second;
}

}  // namespace tovrik
