// SPDX-License-Identifier: MIT
#pragma once

// The whole tool on a simulated chip, connected, for the demo page tests. The
// device library is wrapped in a call log so tests can check what the pages
// asked of it.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "device/call_log_library.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "resources/demo_ids.h"
#include "resources/resource_ids.h"

namespace tovrik {

using Lines = std::vector<std::string>;

class DemoPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetHidTransport(&device.Transport());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        ASSERT_NE(window, nullptr);
        window->GetDlgItem(IDC_VID)->TypeText("1209");
        window->GetDlgItem(IDC_PID)->TypeText("0001");
        window->OnCommand(IDC_CONNECT, Notify::Clicked);
        ASSERT_EQ(window->IsConnected(), 1);
        Settle();
        calls.TakeCalls();
        prompter.Clear();
    }

    // Switches the main window to demo mode (the GPIO page becomes active).
    void EnterDemoMode()
    {
        window->OnCommand(IDC_MODE_DEMO, Notify::Clicked);
        ASSERT_FALSE(window->IsConfigurationMode());
    }

    CMainPage& GpioPage() { return Page<CMainPage>(4); }
    CEepromPage& EepromPage() { return Page<CEepromPage>(5); }
    CI2CPage& I2cPage() { return Page<CI2CPage>(6); }
    CGenericData& HidPage() { return Page<CGenericData>(7); }

    // Enters demo mode if needed and makes the page active, creating its window.
    void Activate(PropertyPage& page)
    {
        if (window->IsConfigurationMode()) {
            EnterDemoMode();
        }
        ASSERT_EQ(window->Sheet().SetActivePage(&page), 1);
        ASSERT_TRUE(page.IsWindow());
    }

    static void Click(Dialog& page, int id) { page.OnCommand(id, Notify::Clicked); }

    static Lines Items(Dialog& page, int id) { return page.GetDlgItem(id)->Items(); }

    // Waits until the chip has nothing left for the host and the library has
    // posted everything it read, then delivers every window message; repeats
    // while a delivery makes the chip answer again.
    void Settle()
    {
        for (int round = 0; round < 20; ++round) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (std::chrono::steady_clock::now() < deadline &&
                   (device.Chip().PendingInputReports() != 0 ||
                    static_cast<std::uint64_t>(device.Chip().GetCounters().inputReportsRead) !=
                        device.Library().InputReportsHandled())) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (ui.DispatchPending() == 0 && device.Chip().PendingInputReports() == 0) {
                return;
            }
        }
    }

    SimulatedDevice device{FactoryChipOptions()};
    RecordingPrompter prompter;
    CallLogLibrary calls{device.Library()};
    UiContext ui{prompter, device.Queue()};
    EepromConfig config{calls, prompter};
    CDemoApp app{ui, calls, config};
    CDemoDlg* window = nullptr;

private:
    template <typename T>
    T& Page(std::size_t index)
    {
        return *dynamic_cast<T*>(window->AllPages().at(index));
    }
};

}  // namespace tovrik
