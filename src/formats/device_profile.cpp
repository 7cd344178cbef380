// SPDX-License-Identifier: MIT
#include "formats/device_profile.h"

namespace tovrik {

namespace {

constexpr const char* kSpeaker = "Speaker";
constexpr const char* kMicrophone = "Microphone";
constexpr const char* kHeadsetWithLineIn = "Headset with Line-In";
constexpr const char* kHeadset = "Headset";

}  // namespace

int ClassifyDeviceCode(std::uint8_t code, DeviceProfile& profile)
{
    profile = DeviceProfile{};
    profile.code = code;
    if (code <= 5) {
        profile.typeName = kSpeaker;
        profile.hasEq = (code & 7) >= 2 ? 1 : 0;
    } else if (code <= 11) {
        profile.typeName = kMicrophone;
        profile.hasMicIn = 1;
    } else if (code <= 25) {
        profile.typeName = kHeadsetWithLineIn;
        profile.hasMicIn = 1;
        profile.hasLineIn = 1;
        const int i = code - 11;
        profile.hasEq = ((i >= 4 && i <= 8) || (i >= 12 && i <= 14)) ? 1 : 0;
    } else if (code <= 31) {
        profile.typeName = kHeadset;
        profile.hasMicIn = 1;
        profile.hasEq = (code & 7) >= 4 ? 1 : 0;
    } else {
        profile.code = 0;
        return 0;
    }
    return 1;
}

}  // namespace tovrik
