// SPDX-License-Identifier: MIT
#include "device/hidapi/hidapi_transport.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <vector>

#include "device/hidapi/report_descriptor.h"
#include "platform/latin1_text.h"

namespace tovrik {

namespace {

// Without a descriptor of its own, a read waits in slices of this length with
// the handle locked, so a write from the other thread waits at most this long.
constexpr int kReadSliceMs = 4;
// The kernel refuses report descriptors longer than this.
constexpr std::streamsize kMaxReportDescriptor = 4096;

// hidapi keeps global state that hid_init sets up and hid_exit frees; several
// transports may live at once, so the last one out frees it.
std::mutex gInitMutex;
int gInitCount = 0;

void AcquireHidapi()
{
    std::lock_guard lock(gInitMutex);
    if (gInitCount++ == 0) {
        hid_init();
    }
}

void ReleaseHidapi()
{
    std::lock_guard lock(gInitMutex);
    if (--gInitCount == 0) {
        hid_exit();
    }
}

int SystemAccessProbe(const std::string& path)
{
    return ::access(path.c_str(), R_OK | W_OK) == 0 ? 0 : errno;
}

OpenProblem Classify(int error)
{
    switch (error) {
        case EACCES:
        case EPERM:
            return OpenProblem::NoPermission;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return OpenProblem::NoSuchDevice;
        default:
            return OpenProblem::Other;
    }
}

int ReadInputReportLength(const std::string& devicePath)
{
    std::ifstream file(ReportDescriptorFile(devicePath), std::ios::binary);
    if (!file) {
        return 0;
    }
    std::vector<char> bytes(kMaxReportDescriptor);
    file.read(bytes.data(), kMaxReportDescriptor);
    const auto n = static_cast<std::size_t>(file.gcount());
    const auto length =
        InputReportByteLength(reinterpret_cast<const std::uint8_t*>(bytes.data()), n);
    return length.value_or(0);
}

// hidapi keeps one error text per handle and replaces it on every call, so two
// threads must never be inside hidapi with the same handle at once. The
// reader thread therefore reads the hidraw node through a descriptor of its
// own, which it can poll together with a wake-up descriptor: a command report
// is written at once, never after a read slice, and closing wakes the reader.
class HidapiDevice : public HidDevice {
public:
    HidapiDevice(hid_device* handle, int readFd, std::uint16_t vendorId, std::uint16_t productId,
                 int inputReportLength)
        : handle_(handle),
          readFd_(readFd),
          wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          vendorId_(vendorId),
          productId_(productId),
          inputReportLength_(inputReportLength)
    {
    }

    ~HidapiDevice() override
    {
        hid_close(handle_);
        if (readFd_ >= 0) {
            ::close(readFd_);
        }
        if (wakeFd_ >= 0) {
            ::close(wakeFd_);
        }
    }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int Write(const std::uint8_t* report, int length) override
    {
        if (report == nullptr || length < 1) {
            return -1;
        }
        std::lock_guard lock(mutex_);
        const int n = hid_write(handle_, report, static_cast<std::size_t>(length));
        return n < 0 ? -1 : n;
    }

    int Read(std::uint8_t* buffer, int capacity, int timeoutMs) override
    {
        if (buffer == nullptr || capacity < 1) {
            return -1;
        }
        if (readFd_ < 0 || wakeFd_ < 0) {
            return ReadThroughHidapi(buffer, capacity, timeoutMs);
        }
        pollfd fds[2] = {{readFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        // A negative time-out would block until the device sends something,
        // perhaps never; it reads as 0.
        const int ready = ::poll(fds, 2, std::max(timeoutMs, 0));
        if (ready < 0) {
            return errno == EINTR ? 0 : -1;
        }
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return -1;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            return 0;  // timed out, or woken to stop
        }
        const ssize_t n = ::read(readFd_, buffer, static_cast<std::size_t>(capacity));
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR ? 0 : -1;
        }
        return n == 0 ? -1 : static_cast<int>(n);
    }

    void WakeReader() override
    {
        if (wakeFd_ >= 0) {
            // The counter stays set, so every later poll returns at once too.
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
        }
    }

    int GetInputReport(std::uint8_t* buffer, int capacity) override
    {
        if (buffer == nullptr || capacity < 1) {
            return -1;
        }
        std::lock_guard lock(mutex_);
        const int n = hid_get_input_report(handle_, buffer, static_cast<std::size_t>(capacity));
        return n < 0 ? -1 : n;
    }

    int InputReportLength() const override { return inputReportLength_; }
    std::uint16_t VendorId() const override { return vendorId_; }
    std::uint16_t ProductId() const override { return productId_; }

private:
    // Only when the node could not be opened a second time: hidapi's own read,
    // in short slices so that a write waits at most one slice.
    int ReadThroughHidapi(std::uint8_t* buffer, int capacity, int timeoutMs)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            const int slice = static_cast<int>(std::clamp<long long>(left, 0, kReadSliceMs));
            int n = 0;
            {
                std::lock_guard lock(mutex_);
                n = hid_read_timeout(handle_, buffer, static_cast<std::size_t>(capacity), slice);
            }
            if (n != 0) {
                return n < 0 ? -1 : n;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return 0;
            }
        }
    }

    hid_device* const handle_;
    const int readFd_;
    const int wakeFd_;
    const std::uint16_t vendorId_;
    const std::uint16_t productId_;
    const int inputReportLength_;
    std::mutex mutex_;
};

}  // namespace

HidapiTransport::HidapiTransport(AccessProbe probe)
    : probe_(probe ? std::move(probe) : AccessProbe(SystemAccessProbe))
{
    AcquireHidapi();
}

HidapiTransport::~HidapiTransport()
{
    ReleaseHidapi();
}

std::vector<HidDeviceInfo> HidapiTransport::Enumerate()
{
    std::vector<HidDeviceInfo> devices;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* entry = list; entry != nullptr; entry = entry->next) {
        if (entry->path == nullptr) {
            continue;
        }
        HidDeviceInfo info;
        info.path = entry->path;
        info.vendorId = entry->vendor_id;
        info.productId = entry->product_id;
        info.manufacturer = WideToUtf8(entry->manufacturer_string);
        info.product = WideToUtf8(entry->product_string);
        info.serialNumber = WideToUtf8(entry->serial_number);
        devices.push_back(std::move(info));
    }
    hid_free_enumeration(list);

    std::lock_guard lock(mutex_);
    enumerated_.clear();
    for (const HidDeviceInfo& info : devices) {
        enumerated_.emplace(info.path, info);
    }
    return devices;
}

std::unique_ptr<HidDevice> HidapiTransport::Open(const std::string& path)
{
    hid_device* handle = hid_open_path(path.c_str());
    if (handle == nullptr) {
        // hidapi keeps the reason only as text; the system says it again.
        const OpenProblem problem = Classify(probe_(path));
        std::lock_guard lock(mutex_);
        problems_[path] = problem;
        return nullptr;
    }
    // String and attribute queries on an open hidraw handle go through udev by
    // device number, which not every system answers; the listing of the same
    // path gives the same attributes.
    bool listed = false;
    {
        std::lock_guard lock(mutex_);
        problems_.erase(path);
        listed = enumerated_.count(path) != 0;
    }
    if (!listed) {
        Enumerate();
    }
    HidDeviceInfo info;
    {
        std::lock_guard lock(mutex_);
        if (auto it = enumerated_.find(path); it != enumerated_.end()) {
            info = it->second;
        }
    }
    const int readFd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return std::make_unique<HidapiDevice>(handle, readFd, info.vendorId, info.productId,
                                          ReadInputReportLength(path));
}

OpenProblem HidapiTransport::LastOpenProblem(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    const auto it = problems_.find(path);
    return it == problems_.end() ? OpenProblem::None : it->second;
}

std::string HidapiTransport::OpenFailureMessage(const std::string& path) const
{
    return LastOpenProblem(path) == OpenProblem::NoPermission ? AccessDeniedMessage(path)
                                                              : std::string();
}

std::unique_ptr<HidapiTransport> MakeHidapiTransport()
{
    return std::make_unique<HidapiTransport>();
}

std::string AccessDeniedMessage(const std::string& path)
{
    return "No permission to open the HID device " + path + " !!!\n\nInstall the udev rule " +
           kUdevRuleFile +
           " (cmake --install puts it into the udev rules folder), then un-plug and re-plug "
           "the USB device.";
}

std::string WideToUtf8(const wchar_t* text)
{
    std::string out;
    if (text == nullptr) {
        return out;
    }
    // wchar_t holds whole characters here (UTF-32).
    for (; *text != L'\0'; ++text) {
        AppendUtf8(out, static_cast<std::uint32_t>(*text));
    }
    return out;
}

std::string ReportDescriptorFile(const std::string& devicePath)
{
    const std::size_t slash = devicePath.find_last_of('/');
    const std::string node = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
    return "/sys/class/hidraw/" + node + "/device/report_descriptor";
}

}  // namespace tovrik
