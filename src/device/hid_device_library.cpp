// SPDX-License-Identifier: MIT
#include "device/hid_device_library.h"

#include <algorithm>

namespace tovrik {

namespace p = protocol;

namespace {

// How long one Read of the reader thread may block, which bounds how long
// closing the device waits for the thread to notice.
constexpr int kReadPollMs = 20;

// The largest EEPROM the library knows the content of.
constexpr std::uint32_t kMaxEepromSize = 2048;

// What an erased EEPROM byte reads as.
constexpr std::uint8_t kErasedByte = 0xFF;

// The longest write cycle of the serial EEPROMs the chip takes.
constexpr std::chrono::milliseconds kLongestWriteCycle{10};

// How often a transfer that waits for the chip tells its progress handler.
constexpr std::chrono::milliseconds kProgressTick{25};

p::Report Request(std::uint8_t opcode, std::uint8_t tag, std::uint8_t slave, std::uint32_t address,
                  std::uint32_t count)
{
    p::Report request{};
    request[p::kOpcode] = opcode;
    request[p::kTag] = tag;
    p::Put16(request, p::kCommandAddress, address);
    p::Put16(request, p::kCommandCount, count);
    p::Put16(request, p::kCommandSelected, count);
    request[p::kCommandSlave] = slave;
    return request;
}

}  // namespace

HidDeviceLibrary::HidDeviceLibrary(HidTransport& transport, MessageQueue& queue)
    : transport_(transport),
      queue_(queue),
      eepromCopy_(kMaxEepromSize, 0),
      eepromKnown_(kMaxEepromSize, false)
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
            answerStatus_.reset();
        }
        device_ = std::move(device);
        devicePath_ = info.path;
        ForgetEepromContent();
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
    if (device_) {
        device_->WakeReader();
    }
    if (reader_.joinable()) {
        reader_.join();
    }
    device_.reset();
    devicePath_.clear();
    ForgetEepromContent();
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
            ReportDroppedEvents();
            continue;
        }
        const int length = std::min(n, p::kReportLength);
        if (report[0] == p::kAnswerReportId) {
            HandleAnswer(report.data(), length);
        } else if (report[0] == p::kDataReportId) {
            HandleData(report.data(), length);
        } else if (report[0] == p::kEventReportId) {
            HandleEvent(report.data(), length);
        }
        ++reportsHandled_;
    }
}

void HidDeviceLibrary::HandleAnswer(const std::uint8_t* report, int length)
{
    if (length < p::kAnswerCount + 2) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        const p::Report& c = awaitedCommand_;
        // Anything but the answer to the request now waiting is stale and dropped.
        if (!awaiting_ || answerStatus_ || report[p::kOpcode] != c[p::kOpcode] ||
            report[p::kTag] != c[p::kTag] || report[p::kSequence] != c[p::kSequence] ||
            report[p::kAnswerAddress] != c[p::kCommandAddress] ||
            report[p::kAnswerAddress + 1] != c[p::kCommandAddress + 1] ||
            report[p::kAnswerCount] != c[p::kCommandCount] ||
            report[p::kAnswerCount + 1] != c[p::kCommandCount + 1]) {
            return;
        }
        answerStatus_ = report[p::kAnswerStatus];
        ++progress_;
    }
    answered_.notify_all();
}

void HidDeviceLibrary::HandleData(const std::uint8_t* report, int length)
{
    if (length <= p::kSequence) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        const p::Report& c = awaitedCommand_;
        if (!awaiting_ || answerStatus_ || awaitedDataReports_ == 0 ||
            report[p::kOpcode] != c[p::kOpcode] || report[p::kTag] != c[p::kTag] ||
            report[p::kSequence] != c[p::kSequence]) {
            return;
        }
        const int expected = std::min<int>(
            p::kMaxData, p::Read16(c, p::kCommandSelected) - static_cast<int>(awaitedData_.size()));
        // A report shorter than the data it announces, out of order or with the
        // wrong count is a bad answer: the transfer fails instead of making up bytes.
        if (length < p::kData || report[p::kDataLength] != expected ||
            length < p::kData + expected || report[p::kDataStatus] != p::kStatusOk ||
            (report[p::kDataIndex] | (report[p::kDataIndex + 1] << 8)) != receivedDataReports_) {
            answerStatus_ = p::kStatusBadCommand;
        } else {
            awaitedData_.insert(awaitedData_.end(), report + p::kData,
                                report + p::kData + expected);
            if (++receivedDataReports_ == awaitedDataReports_) {
                answerStatus_ = p::kStatusOk;
            }
        }
        ++progress_;
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
    if (queue_.Size() >= messageLimit_) {
        ++droppedEvents_;
        return;
    }
    ReportDroppedEvents();
    const WindowHandle target = eventWindow_ != kNoWindow ? eventWindow_.load() : window_.load();
    queue_.Post(target, message, wParam, lParam);
}

void HidDeviceLibrary::ReportDroppedEvents()
{
    if (droppedEvents_ == 0 || queue_.Size() >= messageLimit_) {
        return;
    }
    const WindowHandle target = eventWindow_ != kNoWindow ? eventWindow_.load() : window_.load();
    queue_.Post(target, EventsDroppedMessage, static_cast<WPARAM>(droppedEvents_), 0);
    droppedEvents_ = 0;
}

// --- Commands ---

bool HidDeviceLibrary::Transfer(p::Report& request, const std::vector<std::uint8_t>& out,
                                std::vector<std::uint8_t>* in)
{
    if (!device_) {
        return false;
    }
    request[0] = p::kCommandReportId;
    request[p::kSequence] = ++sequence_;
    const int selected = p::Read16(request, p::kCommandSelected);
    {
        std::lock_guard lock(mutex_);
        if (lost_) {
            return false;
        }
        // Armed before writing, so an answer faster than this thread is not missed.
        awaiting_ = true;
        awaitedCommand_ = request;
        awaitedData_.clear();
        awaitedDataReports_ = in != nullptr ? p::DataReports(selected) : 0;
        receivedDataReports_ = 0;
        answerStatus_.reset();
    }
    // The data follows the request at once: the chip answers only the whole transfer.
    bool sent = device_->Write(request.data(), p::kReportLength) == p::kReportLength;
    for (int at = 0, index = 0; sent && at < static_cast<int>(out.size());
         at += p::kMaxData, ++index) {
        p::Report data{};
        data[0] = p::kDataReportId;
        data[p::kOpcode] = request[p::kOpcode];
        data[p::kTag] = request[p::kTag];
        data[p::kSequence] = request[p::kSequence];
        p::Put16(data, p::kDataIndex, static_cast<std::uint32_t>(index));
        const int n = std::min<int>(p::kMaxData, static_cast<int>(out.size()) - at);
        data[p::kDataLength] = static_cast<std::uint8_t>(n);
        std::copy_n(out.begin() + at, n, data.begin() + p::kData);
        sent = device_->Write(data.data(), p::kReportLength) == p::kReportLength;
    }
    std::unique_lock lock(mutex_);
    // Every report that arrives restarts the wait, so a long read is not cut
    // short while a silent device still fails within one time-out.
    std::uint64_t seen = progress_;
    // A write answers only after its write cycles, which a long one spends in
    // silence: each page may take the parts' longest cycle on top of the time-out.
    std::chrono::milliseconds allowance{0};
    if (request[p::kOpcode] == p::kOpEepromWrite && request[p::kCommandPageSize] > 0) {
        allowance = kLongestWriteCycle * (selected / request[p::kCommandPageSize] + 1);
    }
    auto deadline = std::chrono::steady_clock::now() + answerTimeout_ + allowance;
    while (sent && !answerStatus_ && !lost_ && !stopping_) {
        if (progress_ != seen) {
            seen = progress_;
            deadline = std::chrono::steady_clock::now() + answerTimeout_ + allowance;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            break;
        }
        // With a progress handler the wait is cut into ticks, so a front end
        // can show how far the transfer got and keep its window painted.
        const auto until = progressHandler_ ? std::min(deadline, now + kProgressTick) : deadline;
        answered_.wait_until(lock, until, [&] {
            return answerStatus_.has_value() || lost_ || stopping_ || progress_ != seen;
        });
        if (progressHandler_ && !answerStatus_ && !lost_ && !stopping_) {
            // Reads count their data as it arrives; a write's pages are written unseen.
            const auto done = static_cast<std::uint32_t>(in != nullptr ? awaitedData_.size() : 0);
            const auto total = static_cast<std::uint32_t>(in != nullptr ? selected : 0);
            lock.unlock();
            progressHandler_(done, total);
            lock.lock();
        }
    }
    const bool ok = sent && answerStatus_ == p::kStatusOk &&
                    (in == nullptr || static_cast<int>(awaitedData_.size()) == selected);
    if (ok && in != nullptr) {
        *in = std::move(awaitedData_);
    }
    awaiting_ = false;
    awaitedData_.clear();
    answerStatus_.reset();
    return ok;
}

int HidDeviceLibrary::RangeTransfer(std::uint8_t opcode, std::uint8_t tag, std::uint8_t slave,
                                    std::uint32_t address, const std::uint8_t* source,
                                    std::uint8_t* destination, std::uint32_t count)
{
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t n = std::min<std::uint32_t>(count - done, p::kMaxTransfer);
        p::Report request = Request(opcode, tag, slave, address + done, n);
        std::vector<std::uint8_t> out;
        if (source != nullptr) {
            out.assign(source + done, source + done + n);
        }
        std::vector<std::uint8_t> in;
        if (!Transfer(request, out, destination != nullptr ? &in : nullptr)) {
            return 0;
        }
        if (destination != nullptr) {
            std::copy(in.begin(), in.end(), destination + done);
        }
        done += n;
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
        return WriteChangedPages(tag, address, buffer, count);
    }
    if (RangeTransfer(p::kOpEepromRead, tag, 0, address, nullptr, buffer, count) == 0) {
        return 0;
    }
    Remember(address, buffer, count);
    return 1;
}

int HidDeviceLibrary::ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                                          std::uint32_t count)
{
    CloseIfLost();
    const auto size = static_cast<std::uint32_t>(eepromSize_);
    if (!device_ || buffer == nullptr || address > size || count > size - address) {
        return 0;
    }
    if (ReadUnseen(++transferTag_, address, count) == 0) {
        return 0;
    }
    std::copy_n(eepromCopy_.begin() + address, count, buffer);
    return 1;
}

int HidDeviceLibrary::ReadUnseen(std::uint8_t tag, std::uint32_t address, std::uint32_t count)
{
    const std::uint32_t end = address + count;
    for (std::uint32_t at = address; at < end;) {
        if (eepromKnown_[at]) {
            ++at;
            continue;
        }
        std::uint32_t runEnd = at;
        while (runEnd < end && !eepromKnown_[runEnd]) {
            ++runEnd;
        }
        std::vector<std::uint8_t> bytes(runEnd - at);
        if (RangeTransfer(p::kOpEepromRead, tag, 0, at, nullptr, bytes.data(), runEnd - at) == 0) {
            return 0;
        }
        Remember(at, bytes.data(), runEnd - at);
        at = runEnd;
    }
    return 1;
}

int HidDeviceLibrary::WriteChangedPages(std::uint8_t tag, std::uint32_t address,
                                        const std::uint8_t* buffer, std::uint32_t count)
{
    // What this connection has not seen is read first, one read per unseen run,
    // as part of the same transfer.
    if (ReadUnseen(tag, address, count) == 0) {
        return 0;
    }
    const std::uint32_t page = static_cast<std::uint32_t>(p::EepromPageSize(eepromSize_));
    if (address != 0 || count <= page ||
        std::equal(buffer + page, buffer + count, eepromCopy_.begin() + page)) {
        return WritePages(tag, address, buffer, count);
    }
    // An image written from address 0 over several pages keeps its first page
    // for last, with byte 0 erased (0xFF, never a header's first byte) before
    // the others: cut off part-way, the EEPROM reads as empty instead of as an
    // old header over partly new content.
    if (eepromCopy_[0] != kErasedByte) {
        const std::uint8_t erased = kErasedByte;
        if (WritePages(tag, 0, &erased, 1) == 0) {
            Forget(address, count);
            return 0;
        }
    }
    if (WritePages(tag, page, buffer + page, count - page) == 0 ||
        WritePages(tag, 0, buffer, page) == 0) {
        Forget(address, count);
        return 0;
    }
    return 1;
}

int HidDeviceLibrary::WritePages(std::uint8_t tag, std::uint32_t address,
                                 const std::uint8_t* buffer, std::uint32_t count)
{
    const std::uint32_t end = address + count;
    const std::uint32_t page = static_cast<std::uint32_t>(p::EepromPageSize(eepromSize_));
    p::Report request = Request(p::kOpEepromWrite, tag, 0, address, count);
    request[p::kCommandPageSize] = static_cast<std::uint8_t>(page);
    std::vector<std::uint8_t> out;
    for (std::uint32_t at = address; at < end;) {
        const std::uint32_t pageEnd = std::min(end, at - at % page + page);
        if (!std::equal(buffer + (at - address), buffer + (pageEnd - address),
                        eepromCopy_.begin() + at)) {
            const std::uint32_t index = at / page - address / page;
            request[p::kCommandMask + index / 8] |= static_cast<std::uint8_t>(1u << (index % 8));
            out.insert(out.end(), buffer + (at - address), buffer + (pageEnd - address));
        }
        at = pageEnd;
    }
    p::Put16(request, p::kCommandSelected, static_cast<std::uint32_t>(out.size()));
    // Even a write that changes nothing is confirmed by the chip, so a failed
    // transfer is seen as one whatever the bytes.
    if (!Transfer(request, out, nullptr)) {
        Forget(address, count);
        return 0;
    }
    if (out.empty()) {
        return 1;
    }
    // The pages just written are read back before the write counts as done.
    request[p::kOpcode] = p::kOpEepromRead;
    std::vector<std::uint8_t> back;
    if (!Transfer(request, {}, &back)) {
        Forget(address, count);
        return 0;
    }
    std::size_t next = 0;
    for (const p::Span& span : p::SelectedSpans(request)) {
        Remember(static_cast<std::uint32_t>(span.address), back.data() + next,
                 static_cast<std::uint32_t>(span.length));
        next += static_cast<std::size_t>(span.length);
    }
    return back == out ? 1 : 0;
}

void HidDeviceLibrary::Remember(std::uint32_t address, const std::uint8_t* bytes,
                                std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count && address + i < kMaxEepromSize; ++i) {
        eepromCopy_[address + i] = bytes[i];
        eepromKnown_[address + i] = true;
    }
}

void HidDeviceLibrary::Forget(std::uint32_t address, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count && address + i < kMaxEepromSize; ++i) {
        eepromKnown_[address + i] = false;
    }
}

void HidDeviceLibrary::ForgetEepromContent()
{
    std::fill(eepromKnown_.begin(), eepromKnown_.end(), false);
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
    RangeTransfer(p::kOpI2cWrite, 0, i2cSlave_, dataAddress, buffer, nullptr,
                  static_cast<std::uint32_t>(count));
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
    return RangeTransfer(p::kOpI2cRead, 0, i2cSlave_, dataAddress, nullptr, buffer,
                         static_cast<std::uint32_t>(count));
}

void HidDeviceLibrary::GpioCommand(std::uint8_t opcode, std::uint16_t mask)
{
    CloseIfLost();
    p::Report request = Request(opcode, 0, 0, 0, 2);
    p::Put16(request, p::kCommandSelected, 0);
    p::Put16(request, p::kCommandGpioMask, mask);
    Transfer(request, {}, nullptr);
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
