// SPDX-License-Identifier: MIT
#include "device/win32/vendor_device_library.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/win32/wide_text.h"

#if defined(__i386__)
// Calls `function` with `count` machine words, pushed last first, and puts
// the stack pointer back afterwards itself: an undecorated export may clean
// up its own arguments (stdcall) or leave that to the caller (cdecl), and
// this way either is called correctly.
extern "C" int tovrik_stack_safe_call(void* function, const std::uintptr_t* words, int count);
asm(R"(
    .text
    .globl _tovrik_stack_safe_call
    .def _tovrik_stack_safe_call; .scl 2; .type 32; .endef
_tovrik_stack_safe_call:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:
    testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:
    call *8(%ebp)
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
)");
#endif

namespace tovrik {

const std::array<VendorDeviceLibrary::Function, 15> VendorDeviceLibrary::kFunctions = {{
    {"rmDeviceStart", 6},
    {"rmDeviceClose", 0},
    {"rmBurnEEPROM", 4},
    {"rmSetEEPROMSize", 2},
    {"rmSetReport", 2},
    {"rmSetI2CDeviceAddress", 1},
    {"rmWriteDataIntoI2C", 3},
    {"rmReadDataFromI2C", 3},
    {"rmSetPin2GPO", 1},
    {"rmSetPinGPOLevel", 1},
    {"rmHandleDeviceChangeNotification", 2},
    {"rmSetMixerKeyNotifyMessages", 2},
    {"rmSetGenericNotifyMessages", 1},
    {"rmSetI2CGenericNotifyMessages", 1},
    {"rmSetGPIGenericNotifyMessages", 1},
}};

namespace {

constexpr const wchar_t* kWindowClass = L"TovrikVendorLibraryMessages";
constexpr UINT_PTR kSubclassId = 0x7E4D;

#if defined(__i386__)
constexpr std::uint16_t kOwnMachine = IMAGE_FILE_MACHINE_I386;
constexpr const char* kOwnBits = "32-bit";
#else
constexpr std::uint16_t kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr const char* kOwnBits = "64-bit";
#endif

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    char code_text[32];
    std::snprintf(code_text, sizeof code_text, "Windows error %lu", code);
    return result.empty() ? code_text : result + " (" + code_text + ")";
}

// What the file's PE header says against this program: empty when it is a
// DLL for this machine, else why it cannot be one.
std::string CheckImage(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "cannot be opened";
    }
    unsigned char dos[64] = {};
    if (!file.read(reinterpret_cast<char*>(dos), sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') {
        return "is not a Windows DLL";
    }
    const std::uint32_t peOffset = dos[60] | (dos[61] << 8) | (dos[62] << 16) |
                                   (static_cast<std::uint32_t>(dos[63]) << 24);
    unsigned char pe[24] = {};
    if (!file.seekg(peOffset) || !file.read(reinterpret_cast<char*>(pe), sizeof pe) ||
        pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) {
        return "is not a Windows DLL";
    }
    const std::uint16_t machine = static_cast<std::uint16_t>(pe[4] | (pe[5] << 8));
    const std::uint16_t characteristics = static_cast<std::uint16_t>(pe[22] | (pe[23] << 8));
    if (machine != kOwnMachine) {
        const char* bits = machine == IMAGE_FILE_MACHINE_I386    ? "a 32-bit"
                           : machine == IMAGE_FILE_MACHINE_AMD64 ? "a 64-bit"
                                                                 : "another machine's";
        return std::string("is ") + bits + " DLL and this program is " + kOwnBits +
               "; use the tool's build of the DLL's bitness";
    }
    if ((characteristics & IMAGE_FILE_DLL) == 0) {
        return "is a program, not a DLL";
    }
    return {};
}

VendorDeviceLibrary* LibraryOf(HWND window)
{
    return reinterpret_cast<VendorDeviceLibrary*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The system's own message types: on 32-bit its LPARAM is a long, the tool's an int.
LRESULT CALLBACK OwnWindowProc(HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam)
{
    if (VendorDeviceLibrary* library = LibraryOf(window)) {
        if (library->Forward(message, wParam, lParam, true)) {
            return message == WM_DEVICECHANGE ? TRUE : 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SubclassProc(HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam,
                              UINT_PTR id, DWORD_PTR data)
{
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SubclassProc, id);
    } else if (reinterpret_cast<VendorDeviceLibrary*>(data)->Forward(message, wParam, lParam,
                                                                      false)) {
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<VendorDeviceLibrary> VendorDeviceLibrary::Load(const std::string& path,
                                                               std::string& error)
{
    const std::string prefix = "device library " + path + " ";
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(Widen(path), ec);
    if (ec || !std::filesystem::is_regular_file(file, ec)) {
        error = prefix + "does not exist";
        return nullptr;
    }
    if (std::string why = CheckImage(file); !why.empty()) {
        error = prefix + why;
        return nullptr;
    }
    // No system dialog about a missing dependency: the refusal is ours to word.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD loadError = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    if (module == nullptr) {
        error = prefix + "cannot be loaded: " + SystemText(loadError);
        return nullptr;
    }
    auto library = std::make_unique<VendorDeviceLibrary>(Token{});
    library->module_ = module;
    std::string missing;
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        const Function& f = kFunctions[i];
        FARPROC found = GetProcAddress(module, f.name);
#if defined(__i386__)
        // A stdcall export may carry its argument bytes in its name.
        const std::string bytes = "@" + std::to_string(4 * f.arguments);
        for (const std::string& decorated :
             {"_" + std::string(f.name) + bytes, std::string(f.name) + bytes}) {
            if (found == nullptr) {
                found = GetProcAddress(module, decorated.c_str());
            }
        }
#endif
        if (found == nullptr) {
            missing += (missing.empty() ? "" : ", ") + std::string(f.name);
        }
        library->functions_[i] = reinterpret_cast<void*>(found);
    }
    if (!missing.empty()) {
        error = prefix + "lacks " + missing;
        return nullptr;
    }
    return library;
}

VendorDeviceLibrary::~VendorDeviceLibrary()
{
    // The DLL's own threads must end before it is unloaded.
    if (open_) {
        rmDeviceClose();
    }
    Disconnect();
    if (module_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(module_));
    }
}

void VendorDeviceLibrary::DeliverWindowMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

int VendorDeviceLibrary::Connect(MessageQueue& queue, void* nativeWindow)
{
    Disconnect();
    queue_ = &queue;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (nativeWindow != nullptr) {
        HWND window = static_cast<HWND>(nativeWindow);
        if (!SetWindowSubclass(window, SubclassProc, kSubclassId,
                               reinterpret_cast<DWORD_PTR>(this))) {
            return 0;
        }
        window_ = window;
        ownWindow_ = false;
        return 1;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OwnWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
    // A hidden top-level window, not a message-only one, so the system's
    // device-change broadcasts reach it too.
    HWND window = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        return 0;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
    ownWindow_ = true;
    return 1;
}

void VendorDeviceLibrary::Disconnect()
{
    if (window_ == nullptr) {
        return;
    }
    HWND window = static_cast<HWND>(window_);
    if (ownWindow_) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    } else if (IsWindow(window)) {
        RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    }
    window_ = nullptr;
}

bool VendorDeviceLibrary::Forward(UINT message, WPARAM wParam, LPARAM lParam,
                                  bool deviceChangeToo)
{
    if (queue_ == nullptr || target_ == kNoWindow || message == 0) {
        return false;
    }
    // The key messages have fixed ids with no function to register them.
    const bool registered = message == KeyShortDownMessage || message == KeyLongDownMessage ||
                            message == added_ || message == removed_ ||
                            message == mixerKeyDown_ || message == mixerKeyUp_ ||
                            message == generic_ || message == i2c_ || message == gpi_;
    if (!registered && !(deviceChangeToo && message == WM_DEVICECHANGE)) {
        return false;
    }
    if (message == removed_) {
        known_.clear();
    }
    queue_->Post(target_, message, wParam, lParam);
    return true;
}

int VendorDeviceLibrary::Call(Index which, std::initializer_list<std::uintptr_t> arguments)
{
    void* function = functions_[which];
    const std::uintptr_t* a = arguments.begin();
#if defined(__i386__)
    return tovrik_stack_safe_call(function, a, static_cast<int>(arguments.size()));
#else
    // One convention on 64-bit: every integer and pointer takes a full slot.
    using W = std::uintptr_t;
    switch (arguments.size()) {
        case 0:
            return reinterpret_cast<int (*)()>(function)();
        case 1:
            return reinterpret_cast<int (*)(W)>(function)(a[0]);
        case 2:
            return reinterpret_cast<int (*)(W, W)>(function)(a[0], a[1]);
        case 3:
            return reinterpret_cast<int (*)(W, W, W)>(function)(a[0], a[1], a[2]);
        case 4:
            return reinterpret_cast<int (*)(W, W, W, W)>(function)(a[0], a[1], a[2], a[3]);
        case 6:
            return reinterpret_cast<int (*)(W, W, W, W, W, W)>(function)(a[0], a[1], a[2], a[3],
                                                                         a[4], a[5]);
        default:
            return 0;
    }
#endif
}

namespace {

std::uintptr_t Word(const void* pointer)
{
    return reinterpret_cast<std::uintptr_t>(pointer);
}

// Signed arguments travel as the machine word of their value.
std::uintptr_t Word(int value)
{
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(value));
}

}  // namespace

int VendorDeviceLibrary::rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId,
                                       WindowHandle window, int reserved, UINT addedMessage,
                                       UINT removedMessage)
{
    if (window_ == nullptr) {
        return 0;
    }
    target_ = window;
    known_.clear();
    added_ = addedMessage;
    removed_ = removedMessage;
    const int result = Call(kDeviceStart, {vendorId, productId, Word(window_), Word(reserved),
                                           addedMessage, removedMessage});
    open_ = result != 0;
    return open_ ? 1 : 0;
}

void VendorDeviceLibrary::rmDeviceClose()
{
    Call(kDeviceClose, {});
    open_ = false;
    known_.clear();
}

int VendorDeviceLibrary::rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                                      std::uint32_t count)
{
    // 16 bytes: the first page of every EEPROM the family takes (8-byte pages
    // are cut at 16 too).
    constexpr std::uint32_t kFirstPage = 16;
    constexpr std::uint8_t kErased = 0xFF;
    if (direction != kEepromWrite || address != 0 || count <= kFirstPage || buffer == nullptr) {
        return BurnThrough(direction, address, buffer, count);
    }
    // The DLL writes its range in an order of its own, so an image from
    // address 0 goes in three calls: byte 0 erased (no header starts with
    // 0xFF, the EEPROM reads as empty), the rest, then the first page, so a
    // write cut off part-way never leaves a header over half-written content.
    std::uint8_t erased = kErased;
    if (BurnThrough(kEepromWrite, 0, &erased, 1) == 0 ||
        BurnThrough(kEepromWrite, kFirstPage, buffer + kFirstPage, count - kFirstPage) == 0) {
        return 0;
    }
    return BurnThrough(kEepromWrite, 0, buffer, kFirstPage);
}

int VendorDeviceLibrary::BurnThrough(int direction, std::uint32_t address, std::uint8_t* buffer,
                                     std::uint32_t count)
{
    const bool done = Call(kBurnEeprom, {Word(direction), address, Word(buffer), count}) != 0;
    if (done) {
        Remember(address, buffer, count);
    } else if (direction == kEepromWrite) {
        // A failed write may have changed any of its bytes.
        Remember(address, nullptr, count);
    }
    return done ? 1 : 0;
}

void VendorDeviceLibrary::Remember(std::uint32_t address, const std::uint8_t* buffer,
                                   std::uint32_t count)
{
    // No EEPROM of the family is larger than this; beyond it nothing is kept.
    constexpr std::uint32_t kLargest = 0x10000;
    if (count == 0 || address >= kLargest || count > kLargest - address) {
        return;
    }
    if (known_.size() < address + count) {
        known_.resize(address + count, -1);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        known_[address + i] = buffer != nullptr ? buffer[i] : -1;
    }
}

int VendorDeviceLibrary::ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                                             std::uint32_t count)
{
    if (buffer == nullptr || count > 0x10000 || address > 0x10000 - count) {
        return 0;
    }
    const auto known = [this](std::uint32_t at) { return at < known_.size() && known_[at] >= 0; };
    // Only the runs of bytes this connection does not know go through the DLL.
    const std::uint32_t end = address + count;
    for (std::uint32_t at = address; at < end;) {
        if (known(at)) {
            buffer[at - address] = static_cast<std::uint8_t>(known_[at]);
            ++at;
            continue;
        }
        std::uint32_t runEnd = at;
        while (runEnd < end && !known(runEnd)) {
            ++runEnd;
        }
        if (rmBurnEEPROM(kEepromRead, at, buffer + (at - address), runEnd - at) == 0) {
            return 0;
        }
        at = runEnd;
    }
    return 1;
}

void VendorDeviceLibrary::ForgetEepromContent()
{
    known_.clear();
}

void VendorDeviceLibrary::rmSetEEPROMSize(int mode, int size)
{
    Call(kSetEepromSize, {Word(mode), Word(size)});
}

int VendorDeviceLibrary::rmSetReport(const std::uint8_t* report, int length)
{
    return Call(kSetReport, {Word(report), Word(length)}) != 0 ? 1 : 0;
}

void VendorDeviceLibrary::rmSetI2CDeviceAddress(std::uint8_t slaveAddress)
{
    Call(kSetI2cAddress, {slaveAddress});
}

void VendorDeviceLibrary::rmWriteDataIntoI2C(std::uint16_t dataAddress,
                                             const std::uint8_t* buffer, int count)
{
    Call(kWriteI2c, {dataAddress, Word(buffer), Word(count)});
}

int VendorDeviceLibrary::rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer,
                                           int count)
{
    return Call(kReadI2c, {dataAddress, Word(buffer), Word(count)}) != 0 ? 1 : 0;
}

void VendorDeviceLibrary::rmSetPin2GPO(std::uint16_t directionMask)
{
    Call(kSetPin2Gpo, {directionMask});
}

void VendorDeviceLibrary::rmSetPinGPOLevel(std::uint16_t levelMask)
{
    Call(kSetPinLevel, {levelMask});
}

void VendorDeviceLibrary::rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam)
{
    Call(kDeviceChange, {wParam, static_cast<std::uintptr_t>(lParam)});
}

void VendorDeviceLibrary::rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage)
{
    mixerKeyDown_ = keyDownMessage;
    mixerKeyUp_ = keyUpMessage;
    Call(kMixerKeyMessages, {keyDownMessage, keyUpMessage});
}

void VendorDeviceLibrary::rmSetGenericNotifyMessages(UINT message)
{
    generic_ = message;
    Call(kGenericMessages, {message});
}

void VendorDeviceLibrary::rmSetI2CGenericNotifyMessages(UINT message)
{
    i2c_ = message;
    Call(kI2cMessages, {message});
}

void VendorDeviceLibrary::rmSetGPIGenericNotifyMessages(UINT message)
{
    gpi_ = message;
    Call(kGpiMessages, {message});
}

}  // namespace tovrik
