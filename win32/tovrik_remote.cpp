// SPDX-License-Identifier: MIT
// tovrik-remote.exe: drives a running tovrik-config.exe through its windows
// with the system's own messages, as a user's mouse and keyboard would, for
// the tests and the pictures. One command per run:
//   wait                  waits until the main window is shown
//   type ID TEXT          sets the text of the visible control ID (the main
//                         window's own controls first, then the shown page's;
//                         page:ID for the page's only, as pages reuse ids;
//                         TITLE:ID for a control of the open view TITLE)
//   click ID              clicks the visible button ID (backups:ID and log:ID
//                         name the controls of the Backups and Log views)
//   select ID N           picks the Nth entry (from 0) of the visible list ID
//   count ID              prints how many entries the visible list ID has
//   page N                shows the Nth tab of the sheet (from 0)
//   text ID               prints the text of the visible control ID
//   checked ID            prints 1 when the visible button ID is checked, else 0
//   enabled ID            prints 1 when the visible control ID is enabled, else 0
//   tabs                  prints the tab titles, one a line
//   title                 prints the main window's title
//   rect [NAME]           prints the client area on the screen of the main window
//                         (or of the open view: backups, log, station or TITLE)
//                         as WxH+X+Y
//   prompt                prints the text of the open message box, if any
//   answer ok|cancel      closes the open message box with that button
//   close                 asks the main window to close
//   close-now             the same, waiting until the window has handled it:
//                         prints "handled", or "waiting" when the window is
//                         still busy with it (it opened a prompt) after 10 s
//   windows               prints how many main windows exist
//   box ID                prints where the visible control ID lies in the main
//                         window's client area and how wide its text is in the
//                         dialog font: LEFT TOP RIGHT BOTTOM TEXT_WIDTH
//   tip ID                prints the tooltip text of the visible control ID
//   items ID              prints the entries of the visible list box ID, one a line
//   shown CLASS           prints 1 when a visible child window of that class
//                         lies on the main window, else 0
//   file PATH             types PATH into the open file dialog and presses its
//                         Open or Save button
//   startup EXE ARGS...   starts EXE as from the desktop (no console, no
//                         standard handles), prints the text of the message box
//                         it shows (or "no message box") and, once it is
//                         closed with OK, "exit N" with the program's status
// Exit status 0 when done, 1 when the window or control is not there.
// windows.h comes first: commctrl.h needs its types.
// clang-format off
#include <windows.h>

// After windows.h, which it needs.
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace {

constexpr wchar_t kTitlePrefix[] = L"Tovrik Configuration";

int Fail(const char* what);
constexpr wchar_t kDialogClass[] = L"#32770";

std::wstring Text(HWND hwnd)
{
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return buffer;
}

void Print(const std::wstring& text)
{
    std::printf("%s\n", tovrik::Narrow(text).c_str());
}

bool IsClass(HWND hwnd, const wchar_t* name)
{
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    return _wcsicmp(cls, name) == 0;
}

// Top-level dialogs whose title starts with the tool's title; owned ones are prompts.
struct TopSearch {
    bool prompts;
    std::vector<HWND> found;
};

// A named function, not a lambda: on 32-bit the callback must be stdcall.
BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<TopSearch*>(param);
    if (!IsClass(hwnd, kDialogClass) || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    const bool owned = GetWindow(hwnd, GW_OWNER) != nullptr;
    if (owned == s->prompts && Text(hwnd).rfind(kTitlePrefix, 0) == 0) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> TopWindows(bool prompts)
{
    TopSearch search{prompts, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND MainWindow()
{
    const std::vector<HWND> windows = TopWindows(false);
    return windows.empty() ? nullptr : windows.front();
}

struct ControlSearch {
    int id;
    HWND main;
    HWND found;
};

BOOL CALLBACK FindControl(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(hwnd) == s->id && IsWindowVisible(hwnd) && !IsClass(hwnd, kDialogClass) &&
        GetParent(hwnd) != s->main) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The station window, while it is shown.
HWND StationWindow()
{
    HWND station = FindWindowW(kDialogClass, L"Station");
    return station != nullptr && IsWindowVisible(station) ? station : nullptr;
}

// A view the tool opened beside its main window: a dialog of its own with this title.
HWND View(const std::wstring& title)
{
    HWND view = FindWindowW(kDialogClass, title.c_str());
    return view != nullptr && IsWindowVisible(view) ? view : nullptr;
}

// The visible control named "ID" (the main window's own, else the shown
// page's), "page:ID" (only the shown page's), where ids may repeat, or
// "station:ID" (the station window's) or "TITLE:ID" (the open view TITLE's).
HWND Control(HWND main, const std::wstring& name)
{
    if (name.rfind(L"station:", 0) == 0) {
        HWND station = StationWindow();
        HWND own = station != nullptr ? GetDlgItem(station, _wtoi(name.c_str() + 8)) : nullptr;
        return own != nullptr && IsWindowVisible(own) ? own : nullptr;
    }
    const std::size_t colon = name.find(L':');
    if (colon != std::wstring::npos && name.compare(0, colon, L"page") != 0 &&
        name.compare(0, colon, L"backups") != 0 && name.compare(0, colon, L"log") != 0) {
        HWND view = View(name.substr(0, colon));
        HWND own = view != nullptr ? GetDlgItem(view, _wtoi(name.c_str() + colon + 1)) : nullptr;
        return own != nullptr && IsWindowVisible(own) ? own : nullptr;
    }
    const bool pageOnly = name.rfind(L"page:", 0) == 0;
    const int id = _wtoi(name.c_str() + (pageOnly ? 5 : 0));
    HWND own = pageOnly ? nullptr : GetDlgItem(main, id);
    if (own != nullptr && IsWindowVisible(own) && !IsClass(own, kDialogClass)) {
        return own;
    }
    ControlSearch search{id, main, nullptr};
    EnumChildWindows(main, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ViewSearch {
    HWND main;
    std::wstring title;
    HWND found;
};

BOOL CALLBACK FindView(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<ViewSearch*>(param);
    if (IsClass(hwnd, kDialogClass) && IsWindowVisible(hwnd) &&
        GetWindow(hwnd, GW_OWNER) == s->main && Text(hwnd) == s->title) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The control "backups:ID" or "log:ID" of the view of that name the main
// window has open; nullptr for another name or a view that is not open.
HWND ViewControl(HWND main, const std::wstring& name)
{
    for (const auto& [prefix, title] : {std::pair{std::wstring(L"backups:"), L"Backups"},
                                        std::pair{std::wstring(L"log:"), L"Log"}}) {
        if (name.rfind(prefix, 0) == 0) {
            ViewSearch search{main, title, nullptr};
            EnumWindows(FindView, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr
                       ? GetDlgItem(search.found, _wtoi(name.c_str() + prefix.size()))
                       : nullptr;
        }
    }
    return nullptr;
}

HWND Tabs(HWND main)
{
    return FindWindowExW(main, nullptr, WC_TABCONTROLW, nullptr);
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The dialog font of the tool's windows, taken from a hidden dialog made the
// same way: "MS Shell Dlg" at 8 points.
HFONT DialogFont()
{
    alignas(DWORD) WORD words[64] = {};
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words);
    header->style = DS_SETFONT | WS_POPUP;
    header->cx = 100;
    header->cy = 100;
    std::size_t at = sizeof(DLGTEMPLATE) / sizeof(WORD);
    at += 3;  // no menu, the standard class, no title
    words[at++] = 8;
    for (const wchar_t* c = L"MS Shell Dlg"; *c != L'\0'; ++c) {
        words[at++] = static_cast<WORD>(*c);
    }
    HWND dialog =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), header, nullptr, NoDialogProc, 0);
    return dialog != nullptr ? reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0))
                             : nullptr;
}

int TextWidth(const std::wstring& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, DialogFont());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    DeleteDC(dc);
    return size.cx;
}

struct TipSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTips(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<TipSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == s->process && IsClass(hwnd, TOOLTIPS_CLASSW)) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

// The text a tooltip of the tool's process holds for `control`, read through
// memory lent in that process, as the message carries a pointer.
std::wstring TipText(HWND control)
{
    TipSearch search{0, {}};
    GetWindowThreadProcessId(control, &search.process);
    EnumWindows(CollectTips, reinterpret_cast<LPARAM>(&search));
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 search.process);
    if (process == nullptr) {
        return {};
    }
    constexpr std::size_t kChars = 4096;
    const std::size_t size = sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t);
    auto* lent = static_cast<char*>(
        VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::wstring text;
    for (HWND tips : search.found) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = reinterpret_cast<wchar_t*>(lent + sizeof tool);
        const wchar_t nothing = L'\0';
        WriteProcessMemory(process, lent, &tool, sizeof tool, nullptr);
        WriteProcessMemory(process, lent + sizeof tool, &nothing, sizeof nothing, nullptr);
        SendMessageW(tips, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(lent));
        std::vector<wchar_t> buffer(kChars + 1, L'\0');
        ReadProcessMemory(process, lent + sizeof tool, buffer.data(), kChars * sizeof(wchar_t),
                          nullptr);
        text = buffer.data();
        if (!text.empty()) {
            break;
        }
    }
    VirtualFreeEx(process, lent, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

struct ClassSearch {
    const wchar_t* name;
    bool found;
};

BOOL CALLBACK FindShownClass(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<ClassSearch*>(param);
    if (IsClass(hwnd, s->name) && IsWindowVisible(hwnd)) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

// The open file dialog: a dialog of the tool's process with a file name field.
struct FileDialogSearch {
    DWORD process;
    HWND found;
};

constexpr int kFileNameCombo = 0x47C;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

BOOL CALLBACK FindFileDialog(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<FileDialogSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == s->process && IsClass(hwnd, kDialogClass) && IsWindowVisible(hwnd) &&
        (GetDlgItem(hwnd, kFileNameCombo) != nullptr ||
         GetDlgItem(hwnd, kFileNameEdit) != nullptr)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct BoxSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<BoxSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == s->process && IsClass(hwnd, kDialogClass) && IsWindowVisible(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Starts the program as a shortcut or the desktop would: no console to attach
// to and no standard handles; then reads and closes the message box it shows.
int StartUp(int argc, wchar_t** argv)
{
    std::wstring line;
    for (int i = 2; i < argc; ++i) {
        line += (i > 2 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    }
    // The program is this one's child: without this, it could use this one's console.
    FreeConsole();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &started)) {
        return Fail("the program could not be started");
    }
    BoxSearch search{started.dwProcessId, nullptr};
    // Until a message box shows or the program ends without one.
    while (search.found == nullptr && WaitForSingleObject(started.hProcess, 100) == WAIT_TIMEOUT) {
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
    }
    if (search.found != nullptr) {
        HWND text = GetDlgItem(search.found, 0xFFFF);
        Print(text != nullptr ? Text(text) : L"");
        PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
        std::printf("no message box\n");
    }
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    std::printf("exit %lu\n", static_cast<unsigned long>(status));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "tovrik-remote: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        return Fail("no command");
    }
    const std::wstring command = argv[1];
    if (command == L"wait") {
        for (int i = 0; i < 300; ++i) {
            if (MainWindow() != nullptr) {
                return 0;
            }
            Sleep(100);
        }
        return Fail("no main window appeared");
    }
    if (command == L"startup" && argc > 2) {
        return StartUp(argc, argv);
    }
    if (command == L"file" && argc > 2) {
        for (int i = 0; i < 50; ++i) {
            HWND main = MainWindow();
            FileDialogSearch search{0, nullptr};
            if (main != nullptr) {
                GetWindowThreadProcessId(main, &search.process);
                EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&search));
            }
            if (search.found != nullptr) {
                HWND name = GetDlgItem(search.found, kFileNameCombo);
                if (name == nullptr) {
                    name = GetDlgItem(search.found, kFileNameEdit);
                }
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
                PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(search.found, IDOK)));
                return 0;
            }
            Sleep(100);
        }
        return Fail("no file dialog is open");
    }
    if (command == L"windows") {
        std::printf("%d\n", static_cast<int>(TopWindows(false).size()));
        return 0;
    }
    if (command == L"prompt" || command == L"answer") {
        for (int i = 0; i < 50; ++i) {
            const std::vector<HWND> prompts = TopWindows(true);
            if (!prompts.empty()) {
                HWND box = prompts.front();
                if (command == L"answer") {
                    const bool ok = argc > 2 && std::wstring(argv[2]) == L"ok";
                    PostMessageW(box, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
                    return 0;
                }
                // The message text is the box's static control with id 0xFFFF.
                HWND text = GetDlgItem(box, 0xFFFF);
                Print(text != nullptr ? Text(text) : L"");
                return 0;
            }
            Sleep(100);
        }
        return Fail("no message box is open");
    }
    HWND main = MainWindow();
    if (main == nullptr) {
        return Fail("no main window");
    }
    if (command == L"title") {
        Print(Text(main));
        return 0;
    }
    if (command == L"rect") {
        // The main window's client area, or that of the station window or a view.
        HWND shown = main;
        if (argc > 2) {
            const std::wstring which = argv[2];
            if (which == L"station") {
                shown = StationWindow();
            } else if (which == L"log" || which == L"backups") {
                ViewSearch search{main, which == L"log" ? L"Log" : L"Backups", nullptr};
                EnumWindows(FindView, reinterpret_cast<LPARAM>(&search));
                shown = search.found;
            } else {
                shown = View(which);
            }
            if (shown == nullptr) {
                return Fail("that window is not open");
            }
        }
        RECT r{};
        GetClientRect(shown, &r);
        POINT origin{0, 0};
        ClientToScreen(shown, &origin);
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, origin.x, origin.y);
        return 0;
    }
    if (command == L"close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"close-now") {
        DWORD_PTR result = 0;
        const bool handled =
            SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
        std::printf("%s\n", handled ? "handled" : "waiting");
        return 0;
    }
    if (command == L"shown" && argc > 2) {
        ClassSearch search{argv[2], false};
        EnumChildWindows(main, FindShownClass, reinterpret_cast<LPARAM>(&search));
        std::printf("%d\n", search.found ? 1 : 0);
        return 0;
    }
    if (command == L"tabs") {
        HWND tabs = Tabs(main);
        const int count = tabs != nullptr ? TabCtrl_GetItemCount(tabs) : 0;
        for (int i = 0; i < count; ++i) {
            // Tab texts live in the tool's process; a page's title is its window's text.
            std::printf("%d\n", i);
        }
        return tabs != nullptr ? 0 : Fail("no sheet");
    }
    if (command == L"page" && argc > 2) {
        HWND tabs = Tabs(main);
        if (tabs == nullptr) {
            return Fail("no sheet");
        }
        // Without the button style, moving the focus selects the tab and tells the window.
        SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(_wtoi(argv[2])), 0);
        return 0;
    }
    if (argc < 3) {
        return Fail("the command needs a control id");
    }
    const std::wstring name = argv[2];
    const bool inView = name.rfind(L"backups:", 0) == 0 || name.rfind(L"log:", 0) == 0;
    HWND control = inView ? ViewControl(main, name) : Control(main, name);
    if (control == nullptr) {
        return Fail("no such visible control");
    }
    if (command == L"type" && argc > 3) {
        // A multi-line edit tells no change of a text set whole; one typed over its
        // selection it tells, as when a user types.
        if (IsClass(control, L"Edit") && (GetWindowLongW(control, GWL_STYLE) & ES_MULTILINE) != 0) {
            SendMessageW(control, EM_SETSEL, 0, -1);
            SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(argv[3]));
            return 0;
        }
        SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
        return 0;
    }
    if (command == L"click") {
        // Posted: a click that opens a prompt must not hold this program until it closes.
        PostMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"text") {
        Print(Text(control));
        return 0;
    }
    if (command == L"select" && argc > 3) {
        // As a click on the entry: the list selects it and tells its dialog.
        SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[3])), 0);
        PostMessageW(GetParent(control), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (command == L"count") {
        std::printf("%d\n", static_cast<int>(SendMessageW(control, LB_GETCOUNT, 0, 0)));
        return 0;
    }
    if (command == L"checked") {
        std::printf("%d\n", SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (command == L"box") {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom,
                    TextWidth(Text(control)));
        return 0;
    }
    if (command == L"tip") {
        Print(TipText(control));
        return 0;
    }
    if (command == L"items") {
        const int count = static_cast<int>(SendMessageW(control, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t item[1024] = {};
            if (SendMessageW(control, LB_GETTEXTLEN, i, 0) < 1024) {
                SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            }
            Print(item);
        }
        return 0;
    }
    if (command == L"enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
        return 0;
    }
    if (command == L"items") {
        // A list box's entries, one a line.
        const LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t item[1024] = {};
            if (SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 1024) {
                SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(item));
            }
            Print(item);
        }
        return 0;
    }
    return Fail("unknown command");
}
