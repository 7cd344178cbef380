// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace tovrik {
class CDemoDlg;
class Dialog;
}  // namespace tovrik

namespace tovrik::cli {

// One setting as a configuration page shows it.
struct Setting {
    std::string page;
    std::string label;
    std::string value;
};

struct SettingChange {
    std::string page;
    std::string label;
    std::string before;
    std::string after;
};

// Every setting of one page window, in template order: edits and lists with
// the label beside (or above) them, check boxes with their own text, a run of
// radio buttons as its group box's caption with the chosen button's text. A
// label the page repeats is prefixed with its group box's caption; sliders
// are left out, as the page shows their value in a field of its own.
std::vector<Setting> DialogSettings(const Dialog& page);

// The settings of the four configuration pages of a connected main window.
std::vector<Setting> ConfigPageSettings(CDemoDlg& window);

// The settings whose value differs, in page order (both lists come from the
// same pages, so they hold the same settings in the same order).
std::vector<SettingChange> DiffSettings(const std::vector<Setting>& before,
                                        const std::vector<Setting>& after);

void PrintSettings(std::ostream& out, const std::vector<Setting>& settings, bool json);
void PrintChanges(std::ostream& out, const std::vector<SettingChange>& changes, bool json);

// The settings of an image file (its first 256 bytes) as the pages show them
// after loading it from a simulated chip. Throws UsageError.
std::vector<Setting> ImageSettings(const std::string& path);
std::vector<Setting> ImageSettings(const std::vector<std::uint8_t>& image);

}  // namespace tovrik::cli
