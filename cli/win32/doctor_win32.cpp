// SPDX-License-Identifier: MIT
// On Windows every user may open a HID interface and no rule is installed:
// the checks are whether Windows lists a chip with the ids and whether its
// interface opens (another program may hold it).
#include <memory>
#include <ostream>

#include "cli/device_access.h"
#include "cli/doctor.h"
#include "cli/exit_codes.h"

// After the tool's headers: the system's, which it includes, defines
// WM_DEVICECHANGE as a macro.
#include "device/win32/win32_hid_transport.h"

namespace tovrik::cli {

int RunDoctor(const DoctorOptions& options, std::ostream& out, std::ostream& err)
{
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    try {
        DeviceOptions ids;
        ids.vid = options.vid;
        ids.pid = options.pid;
        vid = RequestedVendorId(ids);
        pid = RequestedProductId(ids);
    } catch (const UsageError& e) {
        err << "tovrik-cli: " << e.reason << '\n';
        return kExitUsage;
    }
    std::unique_ptr<HidTransport> system;
    HidTransport* transport = options.transport;
    if (transport == nullptr) {
        system = MakeWin32HidTransport();
        transport = system.get();
    }
    const std::vector<HidDeviceInfo> all = transport->Enumerate();
    std::vector<HidDeviceInfo> chips;
    for (const HidDeviceInfo& info : all) {
        if (info.vendorId == vid && info.productId == pid) {
            chips.push_back(info);
        }
    }
    out << "system: " << chips.size() << " HID interface(s) with the ids " << Hex4(vid) << ":"
        << Hex4(pid) << " among " << all.size() << '\n';
    if (chips.empty()) {
        out << "  no such chip is attached (check the cable and Device Manager; a chip whose "
               "EEPROM gives it other ids needs --vid and --pid)\n";
    }
    bool usable = false;
    for (const HidDeviceInfo& info : chips) {
        if (transport->Open(info.path)) {
            usable = true;
            out << "interface: " << info.path << " opens for reading and writing\n";
            continue;
        }
        out << "interface: " << info.path << " cannot be opened";
        if (const std::string why = transport->OpenFailureMessage(info.path); !why.empty()) {
            out << ": " << why;
        }
        out << '\n';
    }
    out << (usable ? "the chip can be used\n" : "the chip cannot be used yet\n");
    return usable ? kExitOk : kExitNoDevice;
}

std::string UdevRule(const std::string&, const std::string&)
{
    return {};
}

}  // namespace tovrik::cli
