// SPDX-License-Identifier: MIT
#include "pages/config/volume_cfg_page_model.h"

#include <cstdint>
#include <functional>
#include <utility>

#include "config/eeprom_config.h"
#include "formats/device_profile.h"
#include "pages/config/volume_levels.h"
#include "platform/dialog.h"
#include "platform/prompter.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {

namespace {

constexpr const char* kAskReset = "All changes for Volume Config before save will be discarded !!!";

// The device whose line-in registers the page leaves as they are.
constexpr std::uint8_t kKeepLineInDeviceCode = 28;

// Level fields written when a register is kept only for its mute flags.
constexpr std::uint8_t kPlaybackNoLevel = 13;
constexpr std::uint8_t kMicRecordNoLevel = 14;
constexpr std::uint8_t kMicAaNoLevel = 32;

struct GroupParams {
    LevelTable table;
    int groupId;
    int switchId;
    int minId;
    int maxId;
    int initialId;
    const char* defaultMin;
    const char* defaultMax;
    const char* defaultInitial;
    const char* minMessage;
    const char* maxMessage;
    std::uint8_t minLow;
    std::uint8_t maxLow;
    std::uint8_t initialReg;
};

constexpr GroupParams kGroups[VolumeCfgPageModel::kGroupCount] = {
    {LevelTable::Playback, IDC_VOL_PLAYBACK_GROUP, IDC_VOL_PLAYBACK_SWITCH, IDC_VOL_PLAYBACK_MIN,
     IDC_VOL_PLAYBACK_MAX, IDC_VOL_PLAYBACK_INITIAL, "-40", "0", "-9",
     "Playback minimum volume should be less than 6", "No playback initial volume available",
     volume_reg::kPlaybackMinLow, volume_reg::kPlaybackMaxLow, volume_reg::kPlaybackInitial},
    {LevelTable::Record, IDC_VOL_MIC_RECORD_GROUP, IDC_VOL_MIC_RECORD_SWITCH,
     IDC_VOL_MIC_RECORD_MIN, IDC_VOL_MIC_RECORD_MAX, IDC_VOL_MIC_RECORD_INITIAL, "0.0", "45.0",
     "30.0", "Mic-in recording minimum volume should be less than 33",
     "No Mic-in recording initial volume available", volume_reg::kMicRecordMinLow,
     volume_reg::kMicRecordMaxLow, volume_reg::kMicRecordInitial},
    {LevelTable::Aa, IDC_VOL_MIC_AA_GROUP, IDC_VOL_MIC_AA_SWITCH, IDC_VOL_MIC_AA_MIN,
     IDC_VOL_MIC_AA_MAX, IDC_VOL_MIC_AA_INITIAL, "-10", "22", "0",
     "Mic-in AA minimum volume should be less than 31", "No Mic-in AA initial volume available",
     volume_reg::kMicAaMinLow, volume_reg::kMicAaMaxLow, volume_reg::kMicAaInitial},
    {LevelTable::Record, IDC_VOL_LINE_RECORD_GROUP, IDC_VOL_LINE_RECORD_SWITCH,
     IDC_VOL_LINE_RECORD_MIN, IDC_VOL_LINE_RECORD_MAX, IDC_VOL_LINE_RECORD_INITIAL, "-12.0", "12.0",
     "-3.0", "Line-in recording minimum volume should be less than 33",
     "No Line-in recording initial volume available", volume_reg::kLineRecordMinLow,
     volume_reg::kLineRecordMaxLow, volume_reg::kLineRecordInitial},
    {LevelTable::Aa, IDC_VOL_LINE_AA_GROUP, IDC_VOL_LINE_AA_SWITCH, IDC_VOL_LINE_AA_MIN,
     IDC_VOL_LINE_AA_MAX, IDC_VOL_LINE_AA_INITIAL, "-30", "12", "0",
     "Line-in AA minimum volume should be less than 31", "No Line-in AA initial volume available",
     volume_reg::kLineAaMinLow, volume_reg::kLineAaMaxLow, volume_reg::kLineAaInitial},
};

bool IsRecording(int group)
{
    return group == VolumeCfgPageModel::kMicRecord || group == VolumeCfgPageModel::kLineRecord;
}

// Line-In Recording initial levels stop at 33.0 dB, the last entry of the 1.5 dB steps.
bool InInitialReach(int group, int index)
{
    return group != VolumeCfgPageModel::kLineRecord || index < kRecordFineStepCount;
}

// Empties the list and adds the table entries the filter accepts, in table order.
void FillList(Control& list, LevelTable table, const std::function<bool(int, double)>& accept)
{
    list.ResetContent();
    for (int i = 0; i < LevelCount(table); ++i) {
        if (accept(i, LevelValue(table, i))) {
            list.AddString(LevelText(table, i));
        }
    }
}

// Selects the entry with this text, or else the first or the last entry.
void SelectDefault(Control& list, const char* text, bool orLast)
{
    const int found = list.FindStringExact(text);
    if (found != kListError) {
        list.SetCurSel(found);
    } else {
        list.SetCurSel(orLast ? list.GetCount() - 1 : 0);
    }
}

// The range word of a group's minimum or maximum: the level, or for the
// recording groups its gain code.
RangeWord RangeWordFor(int group, double level)
{
    const int value = IsRecording(group) ? RecordCodeForLevel(level) : static_cast<int>(level);
    return EncodeRangeWord(value);
}

double RangeLevelFrom(int group, int word)
{
    return IsRecording(group) ? static_cast<double>(RecordLevelForCode(word))
                              : static_cast<double>(word);
}

double DecodeInitial(int group, std::uint8_t value)
{
    switch (group) {
        case VolumeCfgPageModel::kPlayback:
            return DecodePlaybackInitial(value);
        case VolumeCfgPageModel::kMicRecord:
            return DecodeMicRecordInitial(value);
        case VolumeCfgPageModel::kMicAa:
            return DecodeMicAaInitial(value);
        case VolumeCfgPageModel::kLineRecord:
            return DecodeLineRecordInitial(value);
        default:
            return DecodeLineAaInitial(value);
    }
}

}  // namespace

VolumeCfgPageModel::VolumeCfgPageModel(EepromConfig& config, Prompter& prompter)
    : config_(config), prompter_(prompter)
{
}

void VolumeCfgPageModel::Create(const DeviceProfile* profile)
{
    controls_.Build(GetDialogTemplate(IDD_VOLUME_CONFIG));
    created_ = true;
    for (const GroupParams& g : kGroups) {
        for (int id : {g.minId, g.maxId, g.initialId}) {
            Item(id).Enable(false);
        }
    }
    LoadFromImage(profile);
}

void VolumeCfgPageModel::Destroy()
{
    created_ = false;
    controls_.Clear();
}

void VolumeCfgPageModel::ExchangeFields(bool saving)
{
    DataExchange dx(controls_.All(), prompter_, saving);
    for (int g = 0; g < kGroupCount; ++g) {
        dx.Check(kGroups[g].switchId, fields_.rangeOn[static_cast<std::size_t>(g)]);
    }
    dx.Check(IDC_VOL_PLAYBACK_MUTE, fields_.playbackMute);
    dx.Check(IDC_VOL_MIXER_MUTE, fields_.mixerInMute);
    dx.Check(IDC_VOL_MIC_RECORD_MUTE, fields_.micRecordMute);
    dx.Check(IDC_VOL_LINE_RECORD_MUTE, fields_.lineRecordMute);
    dx.Check(IDC_VOL_MIC_AA_MUTE, fields_.micAaMute);
    dx.Check(IDC_VOL_LINE_AA_MUTE, fields_.lineAaMute);
}

void VolumeCfgPageModel::ReadBoundFields()
{
    ExchangeFields(true);
}

void VolumeCfgPageModel::ShowBoundFields()
{
    ExchangeFields(false);
}

void VolumeCfgPageModel::OnCommand(int id, Notify code)
{
    if (!created_) {
        return;
    }
    if (id == IDC_PAGE_RESET && code == Notify::Clicked) {
        OnReset();
        return;
    }
    for (int g = 0; g < kGroupCount; ++g) {
        if (code == Notify::Clicked && id == kGroups[g].switchId) {
            OnRangeSwitch(g);
        } else if (code == Notify::SelChange && id == kGroups[g].minId) {
            OnMinimumChange(g);
        } else if (code == Notify::SelChange && id == kGroups[g].maxId) {
            OnMaximumChange(g);
        }
    }
}

void VolumeCfgPageModel::SetDefaultMutes()
{
    fields_.playbackMute = 0;
    fields_.mixerInMute = 0;
    fields_.micRecordMute = 0;
    fields_.lineRecordMute = 0;
    fields_.spdifMute = 0;
    fields_.micAaMute = 1;
    fields_.lineAaMute = 1;
}

std::optional<double> VolumeCfgPageModel::SelectedLevel(int group, int listId) const
{
    const Control& list = controls_.Item(listId);
    if (list.GetCurSel() < 0) {
        return std::nullopt;
    }
    return ParseLevelText(kGroups[group].table, list.GetItemText(list.GetCurSel()));
}

// The first entry whose value equals the level; without one the selection stays.
void VolumeCfgPageModel::SelectLevel(int group, int listId, double level)
{
    Control& list = Item(listId);
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::optional<double> value =
            ParseLevelText(kGroups[group].table, list.GetItemText(i));
        if (value && *value == level) {
            list.SetCurSel(i);
            return;
        }
    }
}

void VolumeCfgPageModel::OnRangeSwitch(int group)
{
    const GroupParams& g = kGroups[group];
    if (!created_) {
        return;
    }
    Control* minList = &Item(g.minId);
    Control* maxList = &Item(g.maxId);
    Control* initialList = &Item(g.initialId);
    ReadBoundFields();
    if (fields_.rangeOn[static_cast<std::size_t>(group)] == 0) {
        for (Control* list : {minList, maxList, initialList}) {
            list->ResetContent();
            list->Enable(false);
        }
        return;
    }
    FillList(*minList, g.table, [](int, double) { return true; });
    SelectDefault(*minList, g.defaultMin, false);
    const double minimum = SelectedLevel(group, g.minId).value_or(0.0);

    FillList(*maxList, g.table, [minimum](int, double v) { return v > minimum; });
    SelectDefault(*maxList, g.defaultMax, true);
    const std::optional<double> maximum = SelectedLevel(group, g.maxId);

    if (group == kMicRecord) {
        // Register 11 cannot hold a level below 4.5 dB, so such levels are not offered.
        FillList(*initialList, g.table, [](int, double v) { return FitsMicRecordInitial(v); });
    } else if (group == kLineRecord) {
        FillList(*initialList, g.table, [minimum, group](int i, double v) {
            return v > minimum && InInitialReach(group, i);
        });
    } else {
        FillList(*initialList, g.table, [minimum, maximum](int, double v) {
            return v > minimum && maximum && v < *maximum;
        });
    }
    SelectDefault(*initialList, g.defaultInitial, false);
    for (Control* list : {minList, maxList, initialList}) {
        list->Enable(true);
    }
}

bool VolumeCfgPageModel::RefillInitialList(int group)
{
    const GroupParams& g = kGroups[group];
    if (!created_) {
        return false;
    }
    Control* initialList = &Item(g.initialId);
    if (group != kMicRecord) {
        const std::optional<double> minimum = SelectedLevel(group, g.minId);
        const std::optional<double> maximum = SelectedLevel(group, g.maxId);
        FillList(*initialList, g.table, [&](int i, double v) {
            return minimum && maximum && v > *minimum && v < *maximum && InInitialReach(group, i);
        });
    }
    return initialList->GetCount() > 0;
}

void VolumeCfgPageModel::OnMinimumChange(int group)
{
    const GroupParams& g = kGroups[group];
    if (!created_) {
        return;
    }
    Control* maxList = &Item(g.maxId);
    Control* initialList = &Item(g.initialId);
    ReadBoundFields();
    const std::optional<double> minimum = SelectedLevel(group, g.minId);
    if (!minimum) {
        return;  // nothing chosen, nothing to follow
    }
    if (group == kMicRecord) {
        FillList(*maxList, g.table, [](int, double) { return true; });
    } else {
        FillList(*maxList, g.table, [&](int, double v) { return v > *minimum; });
    }
    if (maxList->GetCount() == 0) {
        FailGroup(group, g.minMessage);
        return;
    }
    SelectDefault(*maxList, g.defaultMax, true);
    if (!RefillInitialList(group)) {
        FailGroup(group, g.minMessage);
        return;
    }
    SelectDefault(*initialList, g.defaultInitial, false);
}

void VolumeCfgPageModel::OnMaximumChange(int group)
{
    const GroupParams& g = kGroups[group];
    if (!created_) {
        return;
    }
    Control* initialList = &Item(g.initialId);
    ReadBoundFields();
    if (!SelectedLevel(group, g.minId) || !SelectedLevel(group, g.maxId)) {
        return;
    }
    if (!RefillInitialList(group)) {
        FailGroup(group, g.maxMessage);
        return;
    }
    SelectDefault(*initialList, g.defaultInitial, false);
}

void VolumeCfgPageModel::FailGroup(int group, const char* message)
{
    prompter_.MessageBox(message);
    fields_.rangeOn[static_cast<std::size_t>(group)] = 0;
    ShowBoundFields();
    OnRangeSwitch(group);
}

void VolumeCfgPageModel::StoreRange(int group)
{
    const GroupParams& g = kGroups[group];
    for (const auto& [listId, low] : {std::pair{g.minId, g.minLow}, std::pair{g.maxId, g.maxLow}}) {
        const auto high = static_cast<std::uint8_t>(low + 1);
        if (const std::optional<double> level = SelectedLevel(group, listId)) {
            const RangeWord word = RangeWordFor(group, *level);
            config_.SetRegisterValue(low, word.low);
            config_.SetRegisterValue(high, word.high);
        } else {
            config_.ClearRegister(low);
            config_.ClearRegister(high);
        }
    }
}

bool VolumeCfgPageModel::StoreToImage()
{
    if (!created_) {
        return true;
    }
    ReadBoundFields();

    StoreRange(kPlayback);
    const std::optional<double> playback = SelectedLevel(kPlayback, IDC_VOL_PLAYBACK_INITIAL);
    if (!playback && fields_.playbackMute == 0 && fields_.mixerInMute == 0) {
        config_.ClearRegister(volume_reg::kPlaybackInitial);
    } else {
        std::uint8_t value =
            playback ? EncodePlaybackInitial(static_cast<int>(*playback)) : kPlaybackNoLevel;
        value |= (fields_.mixerInMute != 0 ? 0x80 : 0) | (fields_.playbackMute != 0 ? 0x40 : 0);
        config_.SetRegisterValue(volume_reg::kPlaybackInitial, value);
    }

    StoreRange(kMicRecord);
    const std::optional<double> micRecord = SelectedLevel(kMicRecord, IDC_VOL_MIC_RECORD_INITIAL);
    if (!micRecord && fields_.micRecordMute == 0 && fields_.lineRecordMute == 0 &&
        fields_.spdifMute == 0) {
        config_.ClearRegister(volume_reg::kMicRecordInitial);
    } else {
        std::uint8_t value = micRecord ? EncodeMicRecordInitial(*micRecord) : kMicRecordNoLevel;
        value |= (fields_.micRecordMute != 0 ? 0x80 : 0) |
                 (fields_.lineRecordMute != 0 ? 0x40 : 0) | (fields_.spdifMute != 0 ? 0x20 : 0);
        config_.SetRegisterValue(volume_reg::kMicRecordInitial, value);
    }

    StoreRange(kMicAa);
    const std::optional<double> micAa = SelectedLevel(kMicAa, IDC_VOL_MIC_AA_INITIAL);
    if (!micAa && fields_.micAaMute != 0 && fields_.lineAaMute != 0) {
        config_.ClearRegister(volume_reg::kMicAaInitial);
    } else {
        std::uint8_t value = micAa ? EncodeMicAaInitial(static_cast<int>(*micAa)) : kMicAaNoLevel;
        value |= (fields_.micAaMute != 0 ? 0x80 : 0) | (fields_.lineAaMute != 0 ? 0x40 : 0);
        config_.SetRegisterValue(volume_reg::kMicAaInitial, value);
    }

    if (config_.GetDeviceCode() == kKeepLineInDeviceCode) {
        return true;
    }

    StoreRange(kLineRecord);
    if (const auto level = SelectedLevel(kLineRecord, IDC_VOL_LINE_RECORD_INITIAL)) {
        config_.SetRegisterValue(volume_reg::kLineRecordInitial, EncodeLineRecordInitial(*level));
    } else {
        config_.ClearRegister(volume_reg::kLineRecordInitial);
    }

    StoreRange(kLineAa);
    if (const auto level = SelectedLevel(kLineAa, IDC_VOL_LINE_AA_INITIAL)) {
        config_.SetRegisterValue(volume_reg::kLineAaInitial,
                                 EncodeLineAaInitial(static_cast<int>(*level)));
    } else {
        config_.ClearRegister(volume_reg::kLineAaInitial);
    }
    return true;
}

void VolumeCfgPageModel::LoadGroup(int group)
{
    const GroupParams& g = kGroups[group];
    const auto on = [this, group] { return fields_.rangeOn[static_cast<std::size_t>(group)] != 0; };

    if (config_.IsRegisterPresent(g.minLow) != 0) {
        fields_.rangeOn[static_cast<std::size_t>(group)] = 1;
        ShowBoundFields();
        OnRangeSwitch(group);
        const int word =
            DecodeRangeWord(config_.GetRegisterValue(g.minLow),
                            config_.GetRegisterValue(static_cast<std::uint8_t>(g.minLow + 1)));
        SelectLevel(group, g.minId, RangeLevelFrom(group, word));
    }
    // A maximum without a minimum leaves the group switched off: there is no range to follow.
    if (config_.IsRegisterPresent(g.maxLow) != 0 && on()) {
        OnMinimumChange(group);
        const int word =
            DecodeRangeWord(config_.GetRegisterValue(g.maxLow),
                            config_.GetRegisterValue(static_cast<std::uint8_t>(g.maxLow + 1)));
        SelectLevel(group, g.maxId, RangeLevelFrom(group, word));
    }
    if (config_.IsRegisterPresent(g.initialReg) != 0) {
        const std::uint8_t value = config_.GetRegisterValue(g.initialReg);
        if (on()) {
            OnMaximumChange(group);
            SelectLevel(group, g.initialId, DecodeInitial(group, value));
        }
        switch (group) {
            case kPlayback:
                fields_.playbackMute = RegisterFlag(value, 6);
                fields_.mixerInMute = RegisterFlag(value, 7);
                break;
            case kMicRecord:
                fields_.spdifMute = RegisterFlag(value, 5);
                fields_.lineRecordMute = RegisterFlag(value, 6);
                fields_.micRecordMute = RegisterFlag(value, 7);
                break;
            case kMicAa:
                fields_.lineAaMute = RegisterFlag(value, 6);
                fields_.micAaMute = RegisterFlag(value, 7);
                break;
            default:
                break;
        }
        ShowBoundFields();
    }
}

void VolumeCfgPageModel::LoadFromImage(const DeviceProfile* profile)
{
    SetDefaultMutes();
    if (!created_) {
        return;
    }
    const bool micIn = profile != nullptr && profile->hasMicIn != 0;
    const bool lineIn = profile != nullptr && profile->hasLineIn != 0;
    controls_.EnableGroupControls(IDC_VOL_MIC_RECORD_GROUP, micIn);
    controls_.EnableGroupControls(IDC_VOL_MIC_AA_GROUP, micIn);
    controls_.EnableGroupControls(IDC_VOL_LINE_RECORD_GROUP, lineIn);
    controls_.EnableGroupControls(IDC_VOL_LINE_AA_GROUP, lineIn);

    fields_.rangeOn.fill(0);
    ShowBoundFields();
    for (int g = 0; g < kGroupCount; ++g) {
        OnRangeSwitch(g);
    }
    for (int g = 0; g < kGroupCount; ++g) {
        LoadGroup(g);
    }
}

void VolumeCfgPageModel::OnReset()
{
    if (!prompter_.Question(kAskReset)) {
        return;
    }
    SetDefaultMutes();
    fields_.rangeOn.fill(0);
    ShowBoundFields();
    for (int g = 0; g < kGroupCount; ++g) {
        OnRangeSwitch(g);
    }
}

}  // namespace tovrik
