// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// The demo page for raw EEPROM bytes: selects the EEPROM size in the device
// library, erases the EEPROM, writes and reads runs of bytes and copies the
// whole EEPROM to and from a file. It never touches the configuration image.
class CEepromPage : public PropertyPage {
public:
    // The largest EEPROM; every transfer goes through a buffer of this size.
    static constexpr int kBufferSize = 2048;
    static constexpr int kSizeCount = 4;

    explicit CEepromPage(PageContext& app);

    // Sets the library's EEPROM size at every activation.
    void OnSetActive() override;
    void OnCommand(int id, Notify code) override;

    // The size of the selected list item (256 while nothing valid is selected).
    int SelectedSize() const;

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void OnSizeChange();
    void OnErase();
    void OnWrite();
    void OnRead();
    void OnEepromToFile();
    void OnFileToEeprom();
    // After a failed write's message: where the backup went, when the front end asks for it.
    void TellBackupAfterFailure();
    void ClearBuffer(std::uint8_t value, int size);

    PageContext& app_;
    std::string dataText;
    std::string sizeText;
    std::string addressText;
    std::array<std::uint8_t, kBufferSize> buffer_{};
};

}  // namespace tovrik
