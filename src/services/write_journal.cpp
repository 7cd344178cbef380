// SPDX-License-Identifier: MIT
#include "services/write_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/safe_file.h"
#include "platform/user_state_folder.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFirstLine = "tovrik write journal 1";
constexpr const char* kExtension = ".journal";
constexpr std::size_t kMaxRecordBytes = 16 * 1024;

// Writers of one process (a station's workers) must not take the same name.
std::mutex& FolderMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string Escaped(const std::string& value)
{
    std::string out;
    for (char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescaped(const std::string& value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// unsigned long long: a long has 32 bits on Windows, too few for a time.
bool ParseNumber(const std::string& text, int base, unsigned long long max,
                 unsigned long long& value)
{
    if (text.empty() || text.size() > 12) {
        return false;
    }
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, base);
    return end == text.c_str() + text.size() && value <= max;
}

bool SameIdentity(std::uint16_t vendorId, std::uint16_t productId, const std::string& serial,
                  const JournalChip& chip)
{
    return vendorId == chip.vendorId && productId == chip.productId && serial == chip.serial;
}

}  // namespace

std::string FormatJournalRecord(const JournalRecord& r)
{
    std::string text = std::string(kFirstLine) + "\n";
    const auto line = [&](const char* key, const std::string& value) {
        text += std::string(key) + "=" + Escaped(value) + "\n";
    };
    line("vid", Hex4(r.chip.vendorId));
    line("pid", Hex4(r.chip.productId));
    line("serial", r.chip.serial);
    line("where", r.chip.where);
    line("written-vid", Hex4(r.writtenVendorId));
    line("written-pid", Hex4(r.writtenProductId));
    line("written-serial", r.writtenSerial);
    line("command", r.command);
    line("backup", r.backup);
    line("address", std::to_string(r.address));
    line("count", std::to_string(r.count));
    line("started", std::to_string(static_cast<long long>(r.started)));
    return text;
}

bool ParseJournalRecord(const std::string& text, JournalRecord& r)
{
    std::size_t pos = 0;
    const auto next = [&](std::string& line) {
        if (pos >= text.size()) {
            return false;
        }
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        line = text.substr(pos, end - pos);
        pos = end + 1;
        return true;
    };
    std::string line;
    if (!next(line) || line != kFirstLine) {
        return false;
    }
    int seen = 0;
    while (next(line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            return false;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = Unescaped(line.substr(eq + 1));
        unsigned long long n = 0;
        const auto id = [&](std::uint16_t& field) {
            if (!ParseNumber(value, 16, 0xFFFF, n) || value.size() > 4) {
                return false;
            }
            field = static_cast<std::uint16_t>(n);
            return true;
        };
        bool ok = true;
        if (key == "vid") {
            ok = id(r.chip.vendorId);
        } else if (key == "pid") {
            ok = id(r.chip.productId);
        } else if (key == "serial") {
            r.chip.serial = value;
        } else if (key == "where") {
            r.chip.where = value;
        } else if (key == "written-vid") {
            ok = id(r.writtenVendorId);
        } else if (key == "written-pid") {
            ok = id(r.writtenProductId);
        } else if (key == "written-serial") {
            r.writtenSerial = value;
        } else if (key == "command") {
            r.command = value;
        } else if (key == "backup") {
            r.backup = value;
        } else if (key == "address" || key == "count") {
            ok = ParseNumber(value, 10, 0xFFFFFFFFull, n);
            (key == "address" ? r.address : r.count) = static_cast<std::uint32_t>(n);
        } else if (key == "started") {
            ok = ParseNumber(value, 10, 0xFFFFFFFFFFull, n);
            r.started = static_cast<std::time_t>(n);
        } else {
            continue;  // a key of a later version
        }
        if (!ok) {
            return false;
        }
        ++seen;
    }
    // Without ids and the backup a record cannot be matched or undone.
    return seen >= 12 && !r.backup.empty();
}

std::string WriteJournal::DefaultFolder()
{
    const std::string state = UserStateFolder();
    return state.empty() ? std::string() : state + "/tovrik/journal";
}

WriteJournal::WriteJournal(std::string folder)
    : folder_(std::move(folder)), clock_([] { return std::time(nullptr); })
{
}

std::string WriteJournal::Begin(const JournalRecord& record, std::string& error)
{
    if (folder_.empty()) {
        error =
            "no folder for the write journal: neither XDG_STATE_HOME, HOME nor LOCALAPPDATA "
            "is set";
        return {};
    }
    std::lock_guard lock(FolderMutex());
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (!fs::is_directory(folder_, ec)) {
        error = folder_ + ": the journal folder cannot be made";
        return {};
    }
    JournalRecord stamped = record;
    stamped.started = clock_();
    const std::string base = folder_ + "/" +
                             std::to_string(static_cast<long long>(stamped.started)) + "-" +
                             Hex4(record.chip.vendorId) + "-" + Hex4(record.chip.productId);
    std::string path = base + kExtension;
    for (int n = 2; FileExists(path) && n < 100000; ++n) {
        path = base + "-" + std::to_string(n) + kExtension;
    }
    const std::string text = FormatJournalRecord(stamped);
    if (!WriteFileSafely(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                         error)) {
        return {};
    }
    return path;
}

void WriteJournal::Finish(const std::string& recordFile)
{
    if (recordFile.empty()) {
        return;
    }
    std::error_code ec;
    fs::remove(recordFile, ec);
}

std::vector<JournalRecord> WriteJournal::Records() const
{
    std::vector<JournalRecord> records;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || it->path().extension() != kExtension) {
            continue;
        }
        std::vector<std::uint8_t> bytes;
        std::string error;
        // Named as Begin names it, with '/', on every system.
        const std::string path = folder_ + "/" + it->path().filename().string();
        JournalRecord record;
        if (!ReadFileBounded(path, kMaxRecordBytes, bytes, error) ||
            !ParseJournalRecord(std::string(bytes.begin(), bytes.end()), record)) {
            continue;
        }
        record.file = path;
        records.push_back(std::move(record));
    }
    std::sort(records.begin(), records.end(), [](const JournalRecord& a, const JournalRecord& b) {
        return a.started != b.started ? a.started < b.started : a.file < b.file;
    });
    return records;
}

std::vector<JournalRecord> WriteJournal::OpenFor(const JournalChip& chip) const
{
    std::vector<JournalRecord> open;
    for (JournalRecord& r : Records()) {
        if (SameIdentity(r.chip.vendorId, r.chip.productId, r.chip.serial, chip) ||
            SameIdentity(r.writtenVendorId, r.writtenProductId, r.writtenSerial, chip)) {
            open.push_back(std::move(r));
        }
    }
    return open;
}

}  // namespace tovrik
