// SPDX-License-Identifier: MIT
#include "device/win32/win32_hid_transport.h"

// windows.h comes first: the HID headers build on its types.
#include <windows.h>
#include <setupapi.h>
// MinGW-w64's HID header declares its functions without C linkage for C++.
extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <cstring>

#include "platform/win32/wide_text.h"

namespace tovrik {

namespace {

// The USB string descriptors hold at most 126 UTF-16 units.
constexpr ULONG kStringBytes = 127 * sizeof(wchar_t);

// A HANDLE that closes itself.
struct HandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) {
            CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct DeviceInfoSetCloser {
    void operator()(HDEVINFO set) const { SetupDiDestroyDeviceInfoList(set); }
};

// The device paths of the present HID interfaces, in the system's order.
std::vector<std::string> HidInterfacePaths()
{
    std::vector<std::string> paths;
    GUID hidClass;
    HidD_GetHidGuid(&hidClass);
    HDEVINFO set =
        SetupDiGetClassDevsA(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return paths;
    }
    const std::unique_ptr<void, DeviceInfoSetCloser> owner(set);
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &data)) {
            break;
        }
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &size, nullptr);
        // The record's fixed part holds the size field and the path's first character.
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || size > 64 * 1024) {
            continue;
        }
        std::vector<std::uint8_t> storage(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (SetupDiGetDeviceInterfaceDetailA(set, &data, detail, size, nullptr, nullptr)) {
            // The path ends inside the record even if the system left out its terminator.
            const char* begin = detail->DevicePath;
            const char* end = reinterpret_cast<const char*>(storage.data()) + size;
            paths.emplace_back(begin, std::find(begin, end, '\0'));
        }
    }
    return paths;
}

std::string ReadString(HANDLE handle, BOOLEAN(__stdcall* query)(HANDLE, PVOID, ULONG))
{
    wchar_t text[kStringBytes / sizeof(wchar_t) + 1] = {};
    if (!query(handle, text, kStringBytes)) {
        return {};
    }
    return Narrow(text);
}

}  // namespace

std::vector<HidDeviceInfo> Win32HidTransport::Enumerate()
{
    std::vector<HidDeviceInfo> devices;
    for (const std::string& path : HidInterfacePaths()) {
        // No access rights: enough for attributes and strings, and allowed even
        // for interfaces that another program holds.
        UniqueHandle handle(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        if (handle.get() == INVALID_HANDLE_VALUE) {
            continue;
        }
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (!HidD_GetAttributes(handle.get(), &attributes)) {
            continue;
        }
        HidDeviceInfo info;
        info.path = path;
        info.vendorId = attributes.VendorID;
        info.productId = attributes.ProductID;
        info.manufacturer = ReadString(handle.get(), HidD_GetManufacturerString);
        info.product = ReadString(handle.get(), HidD_GetProductString);
        info.serialNumber = ReadString(handle.get(), HidD_GetSerialNumberString);
        devices.push_back(std::move(info));
    }
    return devices;
}

std::unique_ptr<HidDevice> Win32HidTransport::Open(const std::string& path)
{
    HANDLE raw = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
    DWORD error = raw == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    UniqueHandle handle(raw);
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    HIDP_CAPS caps{};
    if (error == ERROR_SUCCESS) {
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        if (!HidD_GetAttributes(raw, &attributes) || !HidD_GetPreparsedData(raw, &preparsed)) {
            error = GetLastError();
        } else {
            const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
            HidD_FreePreparsedData(preparsed);
            if (status != HIDP_STATUS_SUCCESS) {
                error = ERROR_INVALID_DATA;
            }
        }
    }
    std::lock_guard lock(mutex_);
    if (error != ERROR_SUCCESS) {
        openErrors_[path] = error;
        return nullptr;
    }
    openErrors_.erase(path);
    return std::make_unique<Win32HidDevice>(handle.release(), attributes.VendorID,
                                            attributes.ProductID, caps.InputReportByteLength,
                                            caps.OutputReportByteLength);
}

std::string Win32HidTransport::OpenFailureMessage(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    const auto it = openErrors_.find(path);
    if (it == openErrors_.end()) {
        return {};
    }
    if (it->second == ERROR_ACCESS_DENIED || it->second == ERROR_SHARING_VIOLATION) {
        return "The HID device " + path +
               " cannot be opened !!!\n\nAnother program may hold it; close that program, "
               "then try again.";
    }
    return {};
}

Win32HidDevice::Win32HidDevice(HANDLE handle, std::uint16_t vendorId, std::uint16_t productId,
                               int inputReportLength, int outputReportLength)
    : handle_(handle),
      vendorId_(vendorId),
      productId_(productId),
      inputReportLength_(std::max(inputReportLength, 0)),
      outputReportLength_(std::max(outputReportLength, 0)),
      readBuffer_(static_cast<std::size_t>(std::max(inputReportLength, 1)))
{
    // Manual-reset events, as overlapped transfers need them.
    readOverlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writeOverlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

Win32HidDevice::~Win32HidDevice()
{
    if (readPending_) {
        // The system writes into the buffer until the cancelled read has ended.
        CancelIoEx(handle_, &readOverlapped_);
        DWORD ignored = 0;
        GetOverlappedResult(handle_, &readOverlapped_, &ignored, TRUE);
    }
    CloseHandle(handle_);
    CloseHandle(readOverlapped_.hEvent);
    CloseHandle(writeOverlapped_.hEvent);
}

int Win32HidDevice::Finish(OVERLAPPED& overlapped, DWORD timeoutMs)
{
    const DWORD waited = WaitForSingleObject(overlapped.hEvent, timeoutMs);
    if (waited == WAIT_TIMEOUT) {
        return 0;
    }
    DWORD transferred = 0;
    if (waited != WAIT_OBJECT_0 || !GetOverlappedResult(handle_, &overlapped, &transferred, FALSE)) {
        return -1;
    }
    return static_cast<int>(transferred);
}

int Win32HidDevice::Write(const std::uint8_t* report, int length)
{
    if (report == nullptr || length < 1 || writeOverlapped_.hEvent == nullptr) {
        return -1;
    }
    std::vector<std::uint8_t> padded(report, report + length);
    if (outputReportLength_ > length) {
        padded.resize(static_cast<std::size_t>(outputReportLength_), 0);
    }
    std::lock_guard lock(writeMutex_);
    ResetEvent(writeOverlapped_.hEvent);
    DWORD written = 0;
    if (WriteFile(handle_, padded.data(), static_cast<DWORD>(padded.size()), &written,
                  &writeOverlapped_)) {
        return length;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return -1;
    }
    const int n = Finish(writeOverlapped_, kHidWriteTimeoutMs);
    if (n <= 0) {
        // A write that never ends is given up; it must be over before its buffer goes.
        CancelIoEx(handle_, &writeOverlapped_);
        GetOverlappedResult(handle_, &writeOverlapped_, &written, TRUE);
        return -1;
    }
    return length;
}

int Win32HidDevice::Read(std::uint8_t* buffer, int capacity, int timeoutMs)
{
    if (buffer == nullptr || capacity < 1 || readOverlapped_.hEvent == nullptr) {
        return -1;
    }
    if (!readPending_) {
        ResetEvent(readOverlapped_.hEvent);
        DWORD ignored = 0;
        if (!ReadFile(handle_, readBuffer_.data(), static_cast<DWORD>(readBuffer_.size()), &ignored,
                      &readOverlapped_) &&
            GetLastError() != ERROR_IO_PENDING) {
            return -1;
        }
        readPending_ = true;
    }
    const int n = Finish(readOverlapped_, static_cast<DWORD>(std::max(timeoutMs, 0)));
    if (n == 0 && WaitForSingleObject(readOverlapped_.hEvent, 0) == WAIT_TIMEOUT) {
        return 0;
    }
    readPending_ = false;
    if (n <= 0) {
        // A finished read without data is a failure too: the device is gone.
        return -1;
    }
    const int copied = std::min(n, capacity);
    std::memcpy(buffer, readBuffer_.data(), static_cast<std::size_t>(copied));
    return copied;
}

int Win32HidDevice::GetInputReport(std::uint8_t* buffer, int capacity)
{
    if (buffer == nullptr || capacity < 1 || inputReportLength_ < 1) {
        return -1;
    }
    // The system wants a buffer of the declared length, with the report id first.
    std::vector<std::uint8_t> report(static_cast<std::size_t>(inputReportLength_), 0);
    report[0] = buffer[0];
    if (!HidD_GetInputReport(handle_, report.data(), static_cast<ULONG>(report.size()))) {
        return -1;
    }
    const int copied = std::min(inputReportLength_, capacity);
    std::memcpy(buffer, report.data(), static_cast<std::size_t>(copied));
    return copied;
}

std::unique_ptr<HidTransport> MakeWin32HidTransport()
{
    return std::make_unique<Win32HidTransport>();
}

}  // namespace tovrik
