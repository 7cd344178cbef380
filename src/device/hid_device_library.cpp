#include "device/hid_device_library.h"

#include <algorithm>

namespace tovrik {

namespace p = protocol;

namespace {

// How long one Read of the reader thread may block, which bounds how long
// closing the device waits for the thread to notice.
constexpr int kReadPollMs = 20;

// I2C transfers are split at multiples of this data address, so a write never
// crosses a page of the small serial memories that sit on such buses.
constexpr int kI2cChunkAlignment = 8;

void Put16(p::Report& report, int at, std::uint32_t value)
{
    report[at] = static_cast<std::uint8_t>(value & 0xFF);
    report[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

HidDeviceLibrary::HidDeviceLibrary(HidTransport& transport, MessageQueue& queue)
    : transport_(transport), queue_(queue)
{
}

HidDeviceLibrary::~HidDeviceLibrary()
{
    rmDeviceClose();
}

// --- Start, close and device changes ---

int HidDeviceLibrary::rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId,
                                    WindowHandle window, int /*reserved*/, UINT addedMessage,
                                    UINT removedMessage)
{
    rmDeviceClose();
    vendorId_ = vendorId;
    productId_ = productId;
    window_ = window;
    addedMessage_ = addedMessage;
    removedMessage_ = removedMessage;
    started_ = OpenFirstDevice(true);
    return started_ ? 1 : 0;
}

void HidDeviceLibrary::rmDeviceClose()
{
    CloseDevice();
    started_ = false;
}

void HidDeviceLibrary::rmHandleDeviceChangeNotification(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    // The notification only says that something changed; a rescan tells what.
    if (!started_) {
        return;
    }
    if (device_) {
        bool lost = false;
        {
            std::lock_guard lock(mutex_);
            lost = lost_;
        }
        if (!lost && DevicePresent()) {
            return;
        }
        bool post = false;
        {
            std::lock_guard lock(mutex_);
            post = !removalPosted_;
            removalPosted_ = true;
        }
        CloseDevice();
        if (post && removedMessage_ != 0) {
            queue_.Post(window_, removedMessage_, 0, 0);
        }
    }
    if (OpenFirstDevice(false) && addedMessage_ != 0) {
        queue_.Post(window_, addedMessage_, 0, 0);
    }
}

bool HidDeviceLibrary::OpenFirstDevice(bool reportFailures)
{
    std::vector<HidDeviceInfo> candidates = transport_.Enumerate();
    std::erase_if(candidates, [this](const HidDeviceInfo& info) {
        return info.vendorId != vendorId_ || info.productId != productId_;
    });
    // An interface the user picked is the only one taken while it is attached.
    const auto preferred = std::find_if(candidates.begin(), candidates.end(),
                                        [this](const auto& i) { return i.path == preferredPath_; });
    if (!preferredPath_.empty() && preferred != candidates.end()) {
        candidates = {*preferred};
    }
    for (const HidDeviceInfo& info : candidates) {
        std::unique_ptr<HidDevice> device = transport_.Open(info.path);
        if (!device) {
            if (reportFailures && openFailureHandler_) {
                openFailureHandler_(info);
            }
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            stopping_ = false;
            lost_ = false;
            removalPosted_ = false;
            awaiting_ = false;
            answer_.reset();
        }
        device_ = std::move(device);
        devicePath_ = info.path;
        reader_ = std::thread([this, d = device_.get()] { ReaderLoop(*d); });
        return true;
    }
    return false;
}

void HidDeviceLibrary::CloseDevice()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    answered_.notify_all();
    if (reader_.joinable()) {
        reader_.join();
    }
    device_.reset();
    devicePath_.clear();
}

void HidDeviceLibrary::CloseIfLost()
{
    if (!device_) {
        return;
    }
    bool lost = false;
    {
        std::lock_guard lock(mutex_);
        lost = lost_;
    }
    if (lost) {
        // The removal was announced by the reader; only the handle is left to free.
        CloseDevice();
    }
}

bool HidDeviceLibrary::DevicePresent()
{
    const auto devices = transport_.Enumerate();
    return std::any_of(devices.begin(), devices.end(), [&](const HidDeviceInfo& info) {
        return info.path == devicePath_ && info.vendorId == vendorId_ &&
               info.productId == productId_;
    });
}

bool HidDeviceLibrary::IsOpen() const
{
    if (!device_) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return !lost_;
}

// --- Reader thread ---

void HidDeviceLibrary::ReaderLoop(HidDevice& device)
{
    p::Report report{};
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
        }
        const int n = device.Read(report.data(), p::kReportLength, kReadPollMs);
        if (n < 0) {
            {
                std::lock_guard lock(mutex_);
                // A close in progress is not a removal and announces nothing.
                if (!stopping_) {
                    lost_ = true;
                    if (!removalPosted_) {
                        removalPosted_ = true;
                        if (removedMessage_ != 0) {
                            queue_.Post(window_, removedMessage_, 0, 0);
                        }
                    }
                }
            }
            answered_.notify_all();
            return;
        }
        if (n == 0) {
            continue;
        }
        const int length = std::min(n, p::kReportLength);
        if (report[0] == p::kAnswerReportId) {
            HandleAnswer(report.data(), length);
        } else if (report[0] == p::kEventReportId) {
            HandleEvent(report.data(), length);
        }
        ++reportsHandled_;
    }
}

void HidDeviceLibrary::HandleAnswer(const std::uint8_t* report, int length)
{
    if (length < p::kData) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        const p::Report& c = awaitedCommand_;
        // Anything but the answer to the command now waiting is stale and dropped.
        if (!awaiting_ || answer_ || report[p::kOpcode] != c[p::kOpcode] ||
            report[p::kTag] != c[p::kTag] || report[p::kSequence] != c[p::kSequence] ||
            report[p::kAnswerAddress] != c[p::kCommandAddress] ||
            report[p::kAnswerAddress + 1] != c[p::kCommandAddress + 1] ||
            report[p::kAnswerCount] != c[p::kCommandCount]) {
            return;
        }
        p::Report answer{};
        std::copy_n(report, length, answer.begin());
        answer_ = answer;
    }
    answered_.notify_all();
}

void HidDeviceLibrary::HandleEvent(const std::uint8_t* report, int length)
{
    if (length < p::kEventData + p::kEventDataLength) {
        return;
    }
    const std::uint8_t* bytes = report + p::kEventData;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    PackEventBytes(bytes, wParam, lParam);
    UINT message = 0;
    switch (static_cast<p::EventKind>(report[p::kEventKind])) {
        case p::EventKind::KeyShortPress:
            message = KeyShortDownMessage;
            break;
        case p::EventKind::KeyLongPress:
            message = KeyLongDownMessage;
            break;
        case p::EventKind::MixerKeyDown:
            message = mixerKeyDownMessage_;
            break;
        case p::EventKind::MixerKeyUp:
            message = mixerKeyUpMessage_;
            break;
        case p::EventKind::Gpi:
            message = gpiMessage_;
            // A GPI event has four bytes; whatever follows them is not part of it.
            lParam = 0;
            break;
        case p::EventKind::Generic:
            message = genericMessage_;
            break;
        case p::EventKind::I2c:
            message = i2cMessage_;
            break;
        default:
            break;
    }
    if (message == 0) {
        return;
    }
    const WindowHandle target = eventWindow_ != kNoWindow ? eventWindow_.load() : window_.load();
    queue_.Post(target, message, wParam, lParam);
}

// --- Commands ---

bool HidDeviceLibrary::Transact(p::Report& command, p::Report& answer)
{
    if (!device_) {
        return false;
    }
    command[0] = p::kCommandReportId;
    command[p::kSequence] = ++sequence_;
    {
        std::lock_guard lock(mutex_);
        if (lost_) {
            return false;
        }
        // Armed before writing, so an answer faster than this thread is not missed.
        awaiting_ = true;
        awaitedCommand_ = command;
        answer_.reset();
    }
    const int written = device_->Write(command.data(), p::kReportLength);
    std::unique_lock lock(mutex_);
    bool answered = false;
    if (written == p::kReportLength) {
        answered = answered_.wait_for(lock, answerTimeout_, [&] {
            return answer_.has_value() || lost_ || stopping_;
        }) && answer_.has_value();
    }
    if (answered) {
        answer = *answer_;
    }
    awaiting_ = false;
    answer_.reset();
    return answered && answer[p::kAnswerStatus] == p::kStatusOk;
}

int HidDeviceLibrary::ChunkedTransfer(std::uint8_t opcode, std::uint8_t tag, std::uint8_t slave,
                                      std::uint32_t address, const std::uint8_t* source,
                                      std::uint8_t* destination, std::uint32_t count, int boundary)
{
    std::uint32_t done = 0;
    while (done < count) {
        const std::uint32_t at = address + done;
        std::uint32_t n = std::min<std::uint32_t>(count - done, p::kMaxData);
        if (boundary > 0) {
            n = std::min<std::uint32_t>(n, boundary - at % boundary);
        }
        p::Report command{};
        command[p::kOpcode] = opcode;
        command[p::kTag] = tag;
        Put16(command, p::kCommandAddress, at);
        command[p::kCommandCount] = static_cast<std::uint8_t>(n);
        command[p::kCommandSlave] = slave;
        if (source != nullptr) {
            std::copy_n(source + done, n, command.begin() + p::kData);
        }
        p::Report answer{};
        if (!Transact(command, answer)) {
            return 0;
        }
        if (destination != nullptr) {
            std::copy_n(answer.begin() + p::kData, n, destination + done);
        }
        done += n;
        if (progress_) {
            progress_(done, count);
        }
    }
    return 1;
}

int HidDeviceLibrary::rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                                   std::uint32_t count)
{
    CloseIfLost();
    if (!device_ || (direction != kEepromRead && direction != kEepromWrite)) {
        return 0;
    }
    const auto size = static_cast<std::uint32_t>(eepromSize_);
    // Checked without adding, so a huge count cannot wrap around into range.
    if (address > size || count > size - address) {
        return 0;
    }
    if (count == 0) {
        return 1;
    }
    if (buffer == nullptr) {
        return 0;
    }
    const std::uint8_t tag = ++transferTag_;
    if (direction == kEepromWrite) {
        return ChunkedTransfer(p::kOpEepromWrite, tag, 0, address, buffer, nullptr, count,
                               p::EepromPageSize(eepromSize_));
    }
    return ChunkedTransfer(p::kOpEepromRead, tag, 0, address, nullptr, buffer, count, 0);
}

void HidDeviceLibrary::rmSetEEPROMSize(int /*mode*/, int size)
{
    if (p::IsEepromSize(size)) {
        eepromSize_ = size;
    }
}

int HidDeviceLibrary::rmSetReport(const std::uint8_t* report, int length)
{
    CloseIfLost();
    if (!device_ || report == nullptr || length < 1 || length > p::kReportLength) {
        return 0;
    }
    return device_->Write(report, length) > 0 ? 1 : 0;
}

void HidDeviceLibrary::rmSetI2CDeviceAddress(std::uint8_t slaveAddress)
{
    i2cSlave_ = slaveAddress;
}

void HidDeviceLibrary::rmWriteDataIntoI2C(std::uint16_t dataAddress, const std::uint8_t* buffer,
                                          int count)
{
    CloseIfLost();
    if (!device_ || buffer == nullptr || count <= 0 ||
        dataAddress + static_cast<std::uint32_t>(count) > 0x10000) {
        return;
    }
    ChunkedTransfer(p::kOpI2cWrite, 0, i2cSlave_, dataAddress, buffer, nullptr,
                    static_cast<std::uint32_t>(count), kI2cChunkAlignment);
}

int HidDeviceLibrary::rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer, int count)
{
    CloseIfLost();
    if (!device_ || count < 0 || dataAddress + static_cast<std::uint32_t>(count) > 0x10000) {
        return 0;
    }
    if (count == 0) {
        return 1;
    }
    if (buffer == nullptr) {
        return 0;
    }
    return ChunkedTransfer(p::kOpI2cRead, 0, i2cSlave_, dataAddress, nullptr, buffer,
                           static_cast<std::uint32_t>(count), kI2cChunkAlignment);
}

void HidDeviceLibrary::GpioCommand(std::uint8_t opcode, std::uint16_t mask)
{
    CloseIfLost();
    p::Report command{};
    command[p::kOpcode] = opcode;
    command[p::kCommandCount] = 2;
    Put16(command, p::kData, mask);
    p::Report answer{};
    Transact(command, answer);
}

void HidDeviceLibrary::rmSetPin2GPO(std::uint16_t directionMask)
{
    GpioCommand(p::kOpGpioDirection, directionMask);
}

void HidDeviceLibrary::rmSetPinGPOLevel(std::uint16_t levelMask)
{
    GpioCommand(p::kOpGpioLevel, levelMask);
}

// --- Notification registrations ---

void HidDeviceLibrary::rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage)
{
    mixerKeyDownMessage_ = keyDownMessage;
    mixerKeyUpMessage_ = keyUpMessage;
}

void HidDeviceLibrary::rmSetGenericNotifyMessages(UINT message)
{
    genericMessage_ = message;
}

void HidDeviceLibrary::rmSetI2CGenericNotifyMessages(UINT message)
{
    i2cMessage_ = message;
}

void HidDeviceLibrary::rmSetGPIGenericNotifyMessages(UINT message)
{
    gpiMessage_ = message;
}

void HidDeviceLibrary::SetEventWindow(WindowHandle window)
{
    eventWindow_ = window;
}

void HidDeviceLibrary::SetAnswerTimeout(std::chrono::milliseconds timeout)
{
    answerTimeout_ = timeout;
}

void HidDeviceLibrary::SetOpenFailureHandler(OpenFailureHandler handler)
{
    openFailureHandler_ = std::move(handler);
}

}  // namespace tovrik
