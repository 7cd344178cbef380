#pragma once

#include <iosfwd>
#include <string>

#include "exit_codes.h"

namespace tovrik::cli {

// Loads the image in `path` (the start of an EEPROM; missing bytes read as
// 0xFF) from a simulated chip and prints the result as one JSON object.
int DecodeImage(const std::string& path, std::ostream& out, std::ostream& err);

// Builds an image from a JSON description (`input` "-" reads `in`), saves it
// onto a blank 256-byte EEPROM of a simulated chip and writes those bytes.
int EncodeImage(const std::string& input, const std::string& outputPath, std::istream& in,
                std::ostream& out, std::ostream& err);

int WriteFactoryImage(const std::string& outputPath, std::ostream& err);

}  // namespace tovrik::cli
