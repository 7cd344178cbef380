// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// The demo page for raw HID reports: sends an output report typed as
// hexadecimal bytes, lists the generic input-report notifications and writes
// a run of chip registers through live register reports.
class CGenericData : public PropertyPage {
public:
    // The report count is a byte, so no report is longer than this.
    static constexpr int kMaxReportBytes = 255;
    // Longer output reports only draw a warning while typing.
    static constexpr int kWarnReportBytes = 17;
    // The input-report list drops its oldest lines beyond this many.
    static constexpr int kMaxInputLines = 1000;

    explicit CGenericData(PageContext& app);

    // Names this page's notification message to the library at every activation.
    void OnSetActive() override;
    void OnCommand(int id, Notify code) override;
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void OnOutputReportChanged();
    void OnSend();
    void OnWriteRegisters();
    void OnReadRegisters();

    PageContext& app_;
    std::string outputReportText;
    std::string registerAddressText;
    std::string registerLengthText;
    std::string registerDataText;
};

// A single hexadecimal number read the way "%x" reads one: leading white space
// skipped, an optional 0x prefix, then hex digits up to the first other
// character (keeping the low 32 bits); 0 when there is no digit.
std::uint32_t ScanHexNumber(const std::string& text);

}  // namespace tovrik
