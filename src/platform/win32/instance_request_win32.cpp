// SPDX-License-Identifier: MIT
// The second start's requests on Windows: a hidden message window of the
// session, found by its class name, that takes WM_COPYDATA.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/instance_request.h"
#include "platform/win32/wide_text.h"

namespace tovrik {

namespace {

// Marks a WM_COPYDATA as one of our requests rather than anyone else's.
constexpr ULONG_PTR kRequestTag = 0x54565251;  // "TVRQ"
constexpr UINT kSendWaitMs = 2000;

std::wstring ClassName(const std::string& name, const std::string& directory)
{
    std::string full = "tovrik-request:" + name;
    // A directory only scopes the name, so tests can listen apart.
    if (!directory.empty()) {
        full += ":" + directory;
    }
    return Widen(full);
}

bool Printable(const std::string& text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return !text.empty();
}

}  // namespace

struct InstanceRequestListener::State {
    std::wstring className;
    HWND window = nullptr;
    std::vector<std::string> requests;
};

namespace {

LRESULT CALLBACK RequestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* state = reinterpret_cast<InstanceRequestListener::State*>(
            GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (state == nullptr || data == nullptr || data->dwData != kRequestTag ||
            data->cbData == 0 || data->cbData > InstanceRequestListener::kMaxRequest) {
            return FALSE;
        }
        std::string request(static_cast<const char*>(data->lpData), data->cbData);
        if (!Printable(request)) {
            return FALSE;
        }
        state->requests.push_back(std::move(request));
        // A sent message is handled inside GetMessage, which goes on waiting; this posted
        // one makes it return, so the loop takes the request now.
        PostMessageW(hwnd, WM_NULL, 0, 0);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

InstanceRequestListener::InstanceRequestListener(std::unique_ptr<State> state)
    : state_(std::move(state))
{
}

InstanceRequestListener::~InstanceRequestListener()
{
    DestroyWindow(state_->window);
    UnregisterClassW(state_->className.c_str(), GetModuleHandleW(nullptr));
}

std::unique_ptr<InstanceRequestListener> InstanceRequestListener::Listen(
    const std::string& name, std::string& error, const std::string& directory)
{
    auto state = std::make_unique<State>();
    state->className = ClassName(name, directory);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RequestWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = state->className.c_str();
    if (RegisterClassW(&windowClass) == 0) {
        error = "cannot register the request window (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    state->window = CreateWindowExW(0, state->className.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, instance, nullptr);
    if (state->window == nullptr) {
        error = "cannot make the request window (error " + std::to_string(GetLastError()) + ")";
        UnregisterClassW(state->className.c_str(), instance);
        return nullptr;
    }
    auto listener = std::make_unique<InstanceRequestListener>(std::move(state));
    SetWindowLongPtrW(listener->state_->window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(listener->state_.get()));
    return listener;
}

int InstanceRequestListener::WaitDescriptor() const
{
    return -1;
}

std::vector<std::string> InstanceRequestListener::Take()
{
    std::vector<std::string> requests;
    requests.swap(state_->requests);
    return requests;
}

bool SendInstanceRequest(const std::string& name, const std::string& request,
                         const std::string& directory)
{
    if (!Printable(request) || request.size() > InstanceRequestListener::kMaxRequest) {
        return false;
    }
    HWND window = FindWindowExW(HWND_MESSAGE, nullptr, ClassName(name, directory).c_str(), nullptr);
    if (window == nullptr) {
        return false;
    }
    COPYDATASTRUCT data{};
    data.dwData = kRequestTag;
    data.cbData = static_cast<DWORD>(request.size());
    data.lpData = const_cast<char*>(request.data());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, kSendWaitMs, &answer) != 0 &&
           answer == TRUE;
}

}  // namespace tovrik
