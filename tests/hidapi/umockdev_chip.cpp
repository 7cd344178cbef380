// SPDX-License-Identifier: MIT
#include "umockdev_chip.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/command_protocol.h"

namespace tovrik {

namespace {

namespace p = protocol;

// Vendor-defined reports as the chip declares them: input 1 (chip info, 16
// bytes after the id) and 4 (events, 16 bytes); output 1 (register write, 7
// bytes); output 2 (requests), input 3 (status) and 5 both ways (data), 31
// bytes after the id.
std::vector<std::uint8_t> ChipReportDescriptor()
{
    return {
        0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
        0x09, 0x01,        // Usage 1
        0xA1, 0x01,        // Collection (Application)
        0x15, 0x00,        //   Logical Minimum 0
        0x26, 0xFF, 0x00,  //   Logical Maximum 255
        0x75, 0x08,        //   Report Size 8
        0x85, 0x01,        //   Report ID 1
        0x95, 0x10,        //   Report Count 16
        0x09, 0x01,        //   Usage 1
        0x81, 0x02,        //   Input
        0x95, 0x07,        //   Report Count 7
        0x09, 0x01,        //   Usage 1
        0x91, 0x02,        //   Output
        0x85, 0x02,        //   Report ID 2
        0x95, 0x1F,        //   Report Count 31
        0x09, 0x01,        //   Usage 1
        0x91, 0x02,        //   Output
        0x85, 0x03,        //   Report ID 3
        0x95, 0x1F,        //   Report Count 31
        0x09, 0x01,        //   Usage 1
        0x81, 0x02,        //   Input
        0x85, 0x04,        //   Report ID 4
        0x95, 0x10,        //   Report Count 16
        0x09, 0x01,        //   Usage 1
        0x81, 0x02,        //   Input
        0x85, 0x05,        //   Report ID 5
        0x95, 0x1F,        //   Report Count 31
        0x09, 0x01,        //   Usage 1
        0x81, 0x02,        //   Input
        0x09, 0x01,        //   Usage 1
        0x91, 0x02,        //   Output
        0xC0,              // End Collection
    };
}

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFFu);
    return text;
}

std::string Hex8Upper(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace

UmockdevChip::UmockdevChip(SimulatedChipOptions options) : chip_(std::move(options))
{
    testbed_ = umockdev_testbed_new();
    if (testbed_ == nullptr) {
        error_ = "umockdev could not create a test bed";
        return;
    }
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    rootDir_ = root != nullptr ? root : "";
    g_free(root);

    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "client-connected", G_CALLBACK(OnConnected), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(OnVanished), this);
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
    g_signal_connect(handler_, "handle-read", G_CALLBACK(OnRead), this);
    g_signal_connect(handler_, "handle-write", G_CALLBACK(OnWrite), this);

    chip_.SetReportQueuedListener([this] { SignalReadable(); });
    if (!AddDevices()) {
        return;
    }
    GError* gerror = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, kDevicePath, handler_, &gerror)) {
        error_ = std::string("umockdev could not attach the ioctl handler: ") +
                 (gerror != nullptr ? gerror->message : "?");
        g_clear_error(&gerror);
    }
}

UmockdevChip::~UmockdevChip()
{
    chip_.SetReportQueuedListener({});
    if (testbed_ != nullptr) {
        umockdev_testbed_detach_ioctl(testbed_, kDevicePath, nullptr);
    }
    if (const int fd = signalFd_.exchange(-1); fd >= 0) {
        ::close(fd);
    }
    if (handler_ != nullptr) {
        g_object_unref(handler_);
    }
    if (testbed_ != nullptr) {
        g_object_unref(testbed_);
    }
}

bool UmockdevChip::AddDevices()
{
    const auto info = chip_.Enumeration();
    if (!info) {
        error_ = "the chip is not plugged in";
        return false;
    }
    const std::string vid = Hex4(info->vendorId);
    const std::string pid = Hex4(info->productId);
    gchar* usb = umockdev_testbed_add_device(
        testbed_, "usb", "usb1/1-1", nullptr, "idVendor", vid.c_str(), "idProduct", pid.c_str(),
        "manufacturer", info->manufacturer.c_str(), "product", info->product.c_str(), "serial",
        info->serialNumber.c_str(), "bcdDevice", "0100", "busnum", "1", "devnum", "2", nullptr,
        "DEVTYPE", "usb_device", nullptr);
    if (usb == nullptr) {
        error_ = "umockdev could not add the USB device";
        return false;
    }
    devices_.push_back(usb);
    gchar* interface =
        umockdev_testbed_add_device(testbed_, "usb", "1-1:1.0", usb, "bInterfaceNumber", "00",
                                    nullptr, "DEVTYPE", "usb_interface", nullptr);
    g_free(usb);
    if (interface != nullptr) {
        devices_.push_back(interface);
    }
    const std::string hidId =
        "0003:" + Hex8Upper(info->vendorId) + ":" + Hex8Upper(info->productId);
    const std::string hidName = info->manufacturer + " " + info->product;
    gchar* hid = interface == nullptr
                     ? nullptr
                     : umockdev_testbed_add_device(testbed_, "hid", "0003:1209:0001.0001",
                                                   interface, nullptr, "HID_ID", hidId.c_str(),
                                                   "HID_NAME", hidName.c_str(), "HID_UNIQ",
                                                   info->serialNumber.c_str(), nullptr);
    g_free(interface);
    if (hid == nullptr) {
        error_ = "umockdev could not add the HID device";
        return false;
    }
    devices_.push_back(hid);
    std::vector<std::uint8_t> descriptor = ChipReportDescriptor();
    umockdev_testbed_set_attribute_binary(testbed_, hid, "report_descriptor", descriptor.data(),
                                          static_cast<gint>(descriptor.size()));
    // "N:" makes umockdev create the node, which add_device does not; with
    // contents it is a plain file rather than a terminal umockdev keeps open.
    const std::string hidrawPath = std::string(hid) + "/hidraw/hidraw0";
    const std::string hidraw = "P: " + hidrawPath.substr(std::strlen("/sys")) +
                               "\nN: hidraw0=00\nE: DEVNAME=/dev/hidraw0\n"
                               "E: SUBSYSTEM=hidraw\nA: dev=241:0\n";
    g_free(hid);
    GError* gerror = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, hidraw.c_str(), &gerror)) {
        error_ = std::string("umockdev could not add the hidraw node: ") +
                 (gerror != nullptr ? gerror->message : "?");
        g_clear_error(&gerror);
        return false;
    }
    devices_.push_back(hidrawPath);
    // The kernel links every sysfs device to its parent; umockdev does not.
    const std::string link = rootDir_ + hidrawPath + "/device";
    if (::symlink("../..", link.c_str()) != 0) {
        error_ = "cannot link " + link + ": " + std::strerror(errno);
        return false;
    }
    return MakeReadinessNode();
}

void UmockdevChip::RemoveDevices()
{
    // Children first: umockdev leaves their links and nodes behind otherwise.
    for (auto it = devices_.rbegin(); it != devices_.rend(); ++it) {
        umockdev_testbed_remove_device(testbed_, it->c_str());
    }
    devices_.clear();
}

bool UmockdevChip::MakeReadinessNode()
{
    const std::string node = rootDir_ + kDevicePath;
    ::unlink(node.c_str());
    if (::mkfifo(node.c_str(), 0666) != 0) {
        error_ = "cannot make the FIFO " + node + ": " + std::strerror(errno);
        return false;
    }
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = "cannot open the FIFO " + node + ": " + std::strerror(errno);
        return false;
    }
    signalFd_ = fd;
    SyncReadiness();
    return true;
}

void UmockdevChip::SignalReadable()
{
    const int fd = signalFd_.load();
    if (fd >= 0) {
        const char token = 1;
        // A full FIFO is readable already, which is all the token is for.
        [[maybe_unused]] const ssize_t n = ::write(fd, &token, 1);
    }
}

void UmockdevChip::SyncReadiness()
{
    const int fd = signalFd_.load();
    if (fd < 0) {
        return;
    }
    if (chip_.PendingInputReports() > 0) {
        SignalReadable();
        return;
    }
    char drain[256];
    while (::read(fd, drain, sizeof drain) > 0) {
    }
    // A report queued while draining signalled before the drain took its token.
    if (chip_.PendingInputReports() > 0) {
        SignalReadable();
    }
}

void UmockdevChip::Unplug()
{
    chip_.Unplug();
    // A hidraw node of a vanished device stays readable; its reads fail.
    const int fd = signalFd_.exchange(-1);
    if (fd >= 0) {
        const char token = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &token, 1);
        ::close(fd);
    }
    RemoveDevices();
}

bool UmockdevChip::Plug()
{
    chip_.Plug();
    umockdev_testbed_detach_ioctl(testbed_, kDevicePath, nullptr);
    if (!AddDevices()) {
        return false;
    }
    GError* gerror = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, kDevicePath, handler_, &gerror)) {
        error_ = std::string("umockdev could not attach the ioctl handler: ") +
                 (gerror != nullptr ? gerror->message : "?");
        g_clear_error(&gerror);
        return false;
    }
    return true;
}

void UmockdevChip::RemoveNode()
{
    ::unlink((rootDir_ + kDevicePath).c_str());
}

int UmockdevChip::IoctlCount(unsigned long request) const
{
    std::lock_guard lock(mutex_);
    const auto it = ioctlCounts_.find(request);
    return it == ioctlCounts_.end() ? 0 : it->second;
}

std::uint64_t UmockdevChip::SessionOf(UMockdevIoctlClient* client)
{
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(client);
    // Session 0 is never valid, so a client without one fails like a stale handle.
    return it == sessions_.end() ? 0 : it->second;
}

// --- Handler signals, on umockdev's worker thread ---

void UmockdevChip::OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto& me = *static_cast<UmockdevChip*>(self);
    const auto session = me.chip_.OpenSession();
    std::lock_guard lock(me.mutex_);
    me.sessions_[client] = session ? session->id : 0;
}

void UmockdevChip::OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto& me = *static_cast<UmockdevChip*>(self);
    std::lock_guard lock(me.mutex_);
    me.sessions_.erase(client);
}

int UmockdevChip::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto& me = *static_cast<UmockdevChip*>(self);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    {
        std::lock_guard lock(me.mutex_);
        ++me.ioctlCounts_[request];
    }
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const std::vector<std::uint8_t> descriptor = ChipReportDescriptor();
    const auto session = me.SessionOf(client);

    // Resolves the argument's memory, lets `fill` write it and completes with its result.
    const auto serve = [&](std::size_t size, auto fill) {
        GError* gerror = nullptr;
        UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, &gerror);
        if (data == nullptr) {
            g_clear_error(&gerror);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
        int error = 0;
        const long result = fill(data->data, error);
        umockdev_ioctl_client_complete(client, result, error);
        g_object_unref(data);
    };

    if (!me.chip_.IsPlugged()) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
    } else if (request == HIDIOCGRDESCSIZE) {
        serve(sizeof(int), [&](std::uint8_t* out, int&) {
            const int size = static_cast<int>(descriptor.size());
            std::memcpy(out, &size, sizeof size);
            return 0L;
        });
    } else if (request == HIDIOCGRDESC) {
        serve(sizeof(hidraw_report_descriptor), [&](std::uint8_t* out, int& error) {
            hidraw_report_descriptor d{};
            std::memcpy(&d, out, sizeof d);
            if (d.size > HID_MAX_DESCRIPTOR_SIZE) {
                error = EINVAL;
                return -1L;
            }
            std::copy_n(descriptor.begin(), std::min<std::size_t>(d.size, descriptor.size()),
                        d.value);
            std::memcpy(out, &d, sizeof d);
            return 0L;
        });
    } else if (request == HIDIOCGRAWINFO) {
        serve(sizeof(hidraw_devinfo), [&](std::uint8_t* out, int&) {
            const auto info = me.chip_.Enumeration();
            hidraw_devinfo d{};
            d.bustype = 3;  // BUS_USB
            d.vendor = static_cast<__s16>(info ? info->vendorId : 0);
            d.product = static_cast<__s16>(info ? info->productId : 0);
            std::memcpy(out, &d, sizeof d);
            return 0L;
        });
    } else if (_IOC_TYPE(request) == 'H' && _IOC_NR(request) == _IOC_NR(HIDIOCGINPUT(0))) {
        const auto size = static_cast<int>(_IOC_SIZE(request));
        serve(static_cast<std::size_t>(size), [&](std::uint8_t* out, int& error) {
            const int n = me.chip_.HostGetInputReport(session, out, size);
            if (n < 0) {
                // A refused GET_REPORT is a stalled control transfer.
                error = me.chip_.IsPlugged() ? EPIPE : ENODEV;
                return -1L;
            }
            return static_cast<long>(n);
        });
    } else {
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
    }
    return TRUE;
}

int UmockdevChip::OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto& me = *static_cast<UmockdevChip*>(self);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    p::Report report{};
    const int capacity = std::min(arg->data_len, p::kReportLength);
    const int n =
        capacity > 0 ? me.chip_.HostRead(me.SessionOf(client), report.data(), capacity, 0) : -1;
    if (n < 0) {
        umockdev_ioctl_client_complete(client, -1, capacity > 0 ? ENODEV : EINVAL);
    } else if (n == 0) {
        umockdev_ioctl_client_complete(client, -1, EAGAIN);
    } else {
        std::copy_n(report.begin(), n, arg->data);
        umockdev_ioctl_client_complete(client, n, 0);
    }
    me.SyncReadiness();
    return TRUE;
}

int UmockdevChip::OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto& me = *static_cast<UmockdevChip*>(self);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const int n = me.chip_.HostWrite(me.SessionOf(client), arg->data, arg->data_len);
    if (n < 0) {
        umockdev_ioctl_client_complete(client, -1, me.chip_.IsPlugged() ? EINVAL : ENODEV);
    } else {
        umockdev_ioctl_client_complete(client, n, 0);
    }
    me.SyncReadiness();
    return TRUE;
}

std::string UmockdevUnavailableReason()
{
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload == nullptr || std::strstr(preload, "libumockdev-preload") == nullptr) {
        return "umockdev's preload library is not loaded (run under umockdev-wrapper)";
    }
    UmockdevChip probe{SimulatedChipOptions{}};
    if (!probe.Error().empty()) {
        return probe.Error();
    }
    struct stat node {};
    if (::stat(UmockdevChip::kDevicePath, &node) != 0) {
        return std::string("umockdev does not redirect ") + UmockdevChip::kDevicePath + ": " +
               std::strerror(errno);
    }
    return {};
}

}  // namespace tovrik
