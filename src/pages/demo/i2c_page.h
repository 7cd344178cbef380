// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// The demo page for transfers on the chip's I2C bus: selects the slave with
// "SET", then reads or writes a number of bytes at a data address inside it.
class CI2CPage : public PropertyPage {
public:
    // Bytes "Write" may send, and bytes "Read" may show (three characters each).
    static constexpr int kWriteBufferSize = 512;
    static constexpr int kReadLimit = 341;

    explicit CI2CPage(PageContext& app);

    void OnCommand(int id, Notify code) override;

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void OnSet();
    void OnRead();
    void OnWrite();

    PageContext& app_;
    std::string slaveAddressText;
    std::string sizeText;
    std::string dataAddressText;
    std::string dataText;
};

}  // namespace tovrik
