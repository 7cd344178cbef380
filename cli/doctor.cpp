// SPDX-License-Identifier: MIT
#include "doctor.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

#include "device/hid_transport.h"
#include "device_access.h"
#include "exit_codes.h"

#ifdef TOVRIK_CLI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif

namespace tovrik::cli {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string FirstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return Lower(line);
}

// USB devices with the ids, whether or not they have a hidraw node.
int CountUsbDevices(const std::string& folder, const std::string& vid, const std::string& pid)
{
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (FirstLine(entry.path() / "idVendor") == vid &&
            FirstLine(entry.path() / "idProduct") == pid) {
            ++count;
        }
    }
    return count;
}

std::string NodeOwner(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    const passwd* user = ::getpwuid(st.st_uid);
    const group* grp = ::getgrgid(st.st_gid);
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", st.st_mode & 0777);
    return std::string("mode ") + mode + ", owner " + (user ? user->pw_name : "?") + ", group " +
           (grp ? grp->gr_name : "?");
}

std::string CurrentUser()
{
    const passwd* user = ::getpwuid(::geteuid());
    return user != nullptr ? user->pw_name : std::to_string(::geteuid());
}

// Rule lines for hidraw that name both ids.
std::vector<std::string> MatchingRules(const std::vector<std::string>& folders,
                                       const std::string& vid, const std::string& pid)
{
    std::vector<std::string> found;
    for (const std::string& folder : folders) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.path().extension() != ".rules") {
                continue;
            }
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line) && number < 100000; ++number) {
                const std::string text = Lower(line);
                if (!text.empty() && text.front() != '#' &&
                    text.find("idvendor}==\"" + vid + "\"") != std::string::npos &&
                    text.find("idproduct}==\"" + pid + "\"") != std::string::npos &&
                    text.find("hidraw") != std::string::npos) {
                    found.push_back(entry.path().string() + ":" + std::to_string(number));
                }
            }
        }
    }
    return found;
}

}  // namespace

std::string UdevRule(const std::string& vid, const std::string& pid)
{
    return "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"" + vid +
           "\", ATTRS{idProduct}==\"" + pid + "\", TAG+=\"uaccess\"";
}

int RunDoctor(const DoctorOptions& options, std::ostream& out, std::ostream& err)
{
    std::string vid;
    std::string pid;
    try {
        DeviceOptions ids;
        ids.vid = options.vid;
        ids.pid = options.pid;
        vid = Hex4(RequestedVendorId(ids));
        pid = Hex4(RequestedProductId(ids));
    } catch (const UsageError& e) {
        err << "tovrik-cli: " << e.reason << '\n';
        return kExitUsage;
    }
    std::unique_ptr<HidTransport> system;
    HidTransport* transport = options.transport;
    if (transport == nullptr) {
#ifdef TOVRIK_CLI_HIDAPI
        system = MakeHidapiTransport();
        transport = system.get();
#endif
    }
    bool usable = true;

    const int onUsb = CountUsbDevices(options.usbDevicesFolder, vid, pid);
    std::vector<std::string> nodes;
    if (transport != nullptr) {
        for (const HidDeviceInfo& info : transport->Enumerate()) {
            if (Hex4(info.vendorId) == vid && Hex4(info.productId) == pid) {
                nodes.push_back(info.path);
            }
        }
    }
    out << "bus: " << onUsb << " USB device(s) with the ids " << vid << ":" << pid << ", "
        << nodes.size() << " HID interface(s)";
    if (transport == nullptr) {
        out << " (this build has no hidapi transport)";
    }
    out << '\n';
    if (nodes.empty()) {
        usable = false;
        out << (onUsb > 0 ? "  the chip is plugged in but has no hidraw node: is the usbhid "
                            "driver bound to it?\n"
                          : "  no such chip is plugged in (check the cable; a chip whose EEPROM "
                            "gives it other ids needs --vid and --pid)\n");
    }
    for (const std::string& node : nodes) {
        const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            out << "node: " << node << " opens for reading and writing\n";
            continue;
        }
        const int error = errno;
        usable = false;
        out << "node: " << node << " cannot be opened by " << CurrentUser() << ": "
            << std::strerror(error);
        if (const std::string owner = NodeOwner(node); !owner.empty()) {
            out << " (" << owner << ")";
        }
        out << '\n';
        if (error == EACCES || error == EPERM) {
            out << "  the udev rule below gives the user at the seat access; unplug and plug "
                   "the chip after installing it\n";
        }
    }

    const std::vector<std::string> rules = MatchingRules(options.rulesFolders, vid, pid);
    if (rules.empty()) {
        usable = usable && !nodes.empty();
        out << "udev: no rule gives access to hidraw nodes with the ids " << vid << ":" << pid
            << "; install this line as /etc/udev/rules.d/70-tovrik.rules:\n"
            << UdevRule(vid, pid) << '\n'
            << "  then: sudo udevadm control --reload && sudo udevadm trigger\n";
    } else {
        for (const std::string& rule : rules) {
            out << "udev: " << rule << " matches " << vid << ":" << pid << '\n';
        }
    }
    out << (usable ? "the chip can be used\n" : "the chip cannot be used yet\n");
    return usable ? kExitOk : kExitNoDevice;
}

}  // namespace tovrik::cli
