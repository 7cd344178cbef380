// SPDX-License-Identifier: MIT
#include "device/call_log_library.h"

#include <algorithm>

#include <initializer_list>
#include <type_traits>
#include <utility>

namespace tovrik {
namespace {

// Renders sent bytes as "[xx xx ...]"; a missing buffer shows as empty.
std::string HexBytes(const std::uint8_t* bytes, int count)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "[";
    if (bytes != nullptr) {
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += ' ';
            }
            text += kDigits[bytes[i] >> 4];
            text += kDigits[bytes[i] & 0x0F];
        }
    }
    text += ']';
    return text;
}

// Joins already rendered arguments into "name(a, b, ...)".
std::string Call(const char* name, std::initializer_list<std::string> args)
{
    std::string line = name;
    line += '(';
    bool first = true;
    for (const std::string& arg : args) {
        if (!first) {
            line += ", ";
        }
        line += arg;
        first = false;
    }
    line += ')';
    return line;
}

std::string WithResult(std::string line, int result)
{
    return line + " -> " + std::to_string(result);
}

// Widens before formatting so that one-byte values print as numbers, not characters.
template <typename T>
std::string Num(T value)
{
    if constexpr (std::is_signed_v<T>) {
        return std::to_string(static_cast<long long>(value));
    } else {
        return std::to_string(static_cast<unsigned long long>(value));
    }
}

const std::string kBuffer = "buf";

}  // namespace

std::vector<std::string> CallLogLibrary::TakeCalls()
{
    std::vector<std::string> taken = std::move(calls_);
    calls_.clear();
    return taken;
}

std::string CallLogLibrary::WindowName(WindowHandle window) const
{
    return windowNamer_ ? windowNamer_(window) : Num(window);
}

int CallLogLibrary::rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId,
                                  WindowHandle window, int reserved, UINT addedMessage,
                                  UINT removedMessage)
{
    int result =
        inner_.rmDeviceStart(vendorId, productId, window, reserved, addedMessage, removedMessage);
    Observe({ObservedCall::Kind::Start, true, 0, 0, nullptr, 0, result});
    Record(
        WithResult(Call("rmDeviceStart", {Num(vendorId), Num(productId), WindowName(window),
                                          Num(reserved), Num(addedMessage), Num(removedMessage)}),
                   result));
    return result;
}

void CallLogLibrary::rmDeviceClose()
{
    inner_.rmDeviceClose();
    Observe({ObservedCall::Kind::Close, true, 0, 0, nullptr, 0, 0});
    Record(Call("rmDeviceClose", {}));
}

int CallLogLibrary::rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                                 std::uint32_t count)
{
    Observe({ObservedCall::Kind::Burn, false, direction, address, buffer, count, 0});
    int result = inner_.rmBurnEEPROM(direction, address, buffer, count);
    Observe({ObservedCall::Kind::Burn, true, direction, address, buffer, count, result});
    Record(WithResult(Call("rmBurnEEPROM", {Num(direction), Num(address), kBuffer, Num(count)}),
                      result));
    return result;
}

void CallLogLibrary::rmSetEEPROMSize(int mode, int size)
{
    inner_.rmSetEEPROMSize(mode, size);
    Record(Call("rmSetEEPROMSize", {Num(mode), Num(size)}));
}

int CallLogLibrary::rmSetReport(const std::uint8_t* report, int length)
{
    // Rendered before forwarding so the line shows what was handed over.
    std::string line = Call("rmSetReport", {HexBytes(report, length), Num(length)});
    int result = inner_.rmSetReport(report, length);
    Observe({ObservedCall::Kind::SetReport, true, 0, 0, report,
             static_cast<std::uint32_t>(std::max(length, 0)), result});
    Record(std::move(line));
    return result;
}

void CallLogLibrary::rmSetI2CDeviceAddress(std::uint8_t slaveAddress)
{
    inner_.rmSetI2CDeviceAddress(slaveAddress);
    Record(Call("rmSetI2CDeviceAddress", {Num(slaveAddress)}));
}

void CallLogLibrary::rmWriteDataIntoI2C(std::uint16_t dataAddress, const std::uint8_t* buffer,
                                        int count)
{
    std::string line =
        Call("rmWriteDataIntoI2C", {Num(dataAddress), HexBytes(buffer, count), Num(count)});
    inner_.rmWriteDataIntoI2C(dataAddress, buffer, count);
    Record(std::move(line));
}

int CallLogLibrary::rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer, int count)
{
    int result = inner_.rmReadDataFromI2C(dataAddress, buffer, count);
    Record(WithResult(Call("rmReadDataFromI2C", {Num(dataAddress), kBuffer, Num(count)}), result));
    return result;
}

void CallLogLibrary::rmSetPin2GPO(std::uint16_t directionMask)
{
    inner_.rmSetPin2GPO(directionMask);
    Record(Call("rmSetPin2GPO", {Num(directionMask)}));
}

void CallLogLibrary::rmSetPinGPOLevel(std::uint16_t levelMask)
{
    inner_.rmSetPinGPOLevel(levelMask);
    Record(Call("rmSetPinGPOLevel", {Num(levelMask)}));
}

void CallLogLibrary::rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam)
{
    inner_.rmHandleDeviceChangeNotification(wParam, lParam);
    Record(Call("rmHandleDeviceChangeNotification", {Num(wParam), Num(lParam)}));
}

void CallLogLibrary::rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage)
{
    inner_.rmSetMixerKeyNotifyMessages(keyDownMessage, keyUpMessage);
    Record(Call("rmSetMixerKeyNotifyMessages", {Num(keyDownMessage), Num(keyUpMessage)}));
}

void CallLogLibrary::rmSetGenericNotifyMessages(UINT message)
{
    inner_.rmSetGenericNotifyMessages(message);
    Record(Call("rmSetGenericNotifyMessages", {Num(message)}));
}

void CallLogLibrary::rmSetI2CGenericNotifyMessages(UINT message)
{
    inner_.rmSetI2CGenericNotifyMessages(message);
    Record(Call("rmSetI2CGenericNotifyMessages", {Num(message)}));
}

void CallLogLibrary::rmSetGPIGenericNotifyMessages(UINT message)
{
    inner_.rmSetGPIGenericNotifyMessages(message);
    Record(Call("rmSetGPIGenericNotifyMessages", {Num(message)}));
}

}  // namespace tovrik
