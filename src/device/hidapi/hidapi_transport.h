// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid_transport.h"

namespace tovrik {

// The udev rule that gives the user at the seat access to the chip's HID
// interface; `cmake --install` puts it into the udev rules folder.
constexpr const char* kUdevRuleFile = "70-tovrik.rules";

// Why opening an interface failed, as far as the system tells.
enum class OpenProblem { None, NoSuchDevice, NoPermission, Other };

// The HID transport for real chips on Linux: hidapi over the kernel's hidraw
// interfaces. Enumeration, opening by path, output reports, input reports
// over the control pipe and interrupt reads. No wait is unbounded: reads wait
// at most their time-out, everything else ends with the kernel's own USB
// time-outs. Its handles may be used from two threads at once (the library's
// reader and the user-interface thread).
class HidapiTransport : public HidTransport {
public:
    // The errno that reading and writing `path` would fail with, 0 when allowed.
    using AccessProbe = std::function<int(const std::string& path)>;

    // `probe` defaults to asking the system (access(2)).
    explicit HidapiTransport(AccessProbe probe = {});
    ~HidapiTransport() override;
    HidapiTransport(const HidapiTransport&) = delete;
    HidapiTransport& operator=(const HidapiTransport&) = delete;

    // The system's HID interfaces in its own order, with ids and USB strings.
    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;

    // Why the last Open of `path` failed; None when it succeeded or was not tried.
    OpenProblem LastOpenProblem(const std::string& path) const;
    // What to tell the user about the last failed Open of `path`: the
    // permission message when access was denied, empty otherwise.
    std::string OpenFailureMessage(const std::string& path) const override;

private:
    AccessProbe probe_;
    mutable std::mutex mutex_;
    std::map<std::string, HidDeviceInfo> enumerated_;  // by path, from the last Enumerate
    std::map<std::string, OpenProblem> problems_;
};

// The transport a front end uses for real hardware.
std::unique_ptr<HidapiTransport> MakeHidapiTransport();

// Shown when the chip's interface exists but this user may not open it.
std::string AccessDeniedMessage(const std::string& path);

// UTF-8 of a wide string as hidapi returns it (UTF-32 on Linux); code points
// that are not Unicode scalar values become U+FFFD. Null gives "".
std::string WideToUtf8(const wchar_t* text);

// The sysfs file that holds the report descriptor of a hidraw node
// ("/dev/hidraw3" -> "/sys/class/hidraw/hidraw3/device/report_descriptor").
std::string ReportDescriptorFile(const std::string& devicePath);

}  // namespace tovrik
