// SPDX-License-Identifier: MIT
#include "services/serial_ledger.h"

#include <charconv>
#include <filesystem>
#include <span>

#include "formats/sha256.h"
#include "platform/safe_file.h"
#include "platform/user_state_folder.h"

namespace tovrik {

namespace {

constexpr const char* kFirstLine = "tovrik serial ledger 1";

std::optional<long long> Number(const std::string& text)
{
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string SerialLedger::DefaultPath(const std::string& key)
{
    const std::string state = UserStateFolder();
    if (state.empty()) {
        return {};
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(key.data()),
                                              key.size());
    return state + "/tovrik/serials/" + Sha256Hex(bytes).substr(0, 16) + ".ledger";
}

std::unique_ptr<SerialLedger> SerialLedger::Open(const std::string& path, const std::string& key,
                                                 std::string& error)
{
    std::unique_ptr<SerialLedger> ledger(new SerialLedger);
    ledger->path_ = path;
    if (!FileExists(path)) {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty()) {
            std::filesystem::create_directories(folder, ec);
        }
        if (!ledger->Append(std::string(kFirstLine) + "\nkey " + key + "\n", error)) {
            return nullptr;
        }
        return ledger;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBounded(path, kMaxBytes, bytes, error)) {
        error = "the serial ledger " + error;
        return nullptr;
    }
    std::string text(bytes.begin(), bytes.end());
    if (!text.empty() && text.back() != '\n') {
        // A record the crash cut short was never completed: its serial was not
        // written. The ledger is put back as it was before it.
        text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
        const std::span<const std::uint8_t> kept(reinterpret_cast<const std::uint8_t*>(text.data()),
                                                 text.size());
        if (!WriteFileSafely(path, kept, error)) {
            error = "the serial ledger cannot be repaired: " + error;
            return nullptr;
        }
    }
    if (!ledger->Parse(text, key, error)) {
        return nullptr;
    }
    return ledger;
}

bool SerialLedger::Parse(const std::string& text, const std::string& key, std::string& error)
{
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        const auto damaged = [&] {
            error = "the serial ledger " + path_ + " is damaged at line " +
                    std::to_string(lineNumber) + ": " + line.substr(0, 60);
            return false;
        };
        if (lineNumber == 1) {
            if (line != kFirstLine) {
                error = path_ + " is not a serial ledger";
                return false;
            }
            continue;
        }
        if (lineNumber == 2) {
            if (line != "key " + key) {
                error = "the serial ledger " + path_ + " keeps the serials of " +
                        (line.rfind("key ", 0) == 0 ? line.substr(4) : std::string("?")) +
                        ", not of " + key;
                return false;
            }
            continue;
        }
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) {
            return damaged();
        }
        const std::string word = line.substr(0, space);
        const std::string rest = line.substr(space + 1);
        if (word == "start") {
            const auto start = Number(rest);
            if (!start) {
                return damaged();
            }
            seriesStart_ = start;
            highestInSeries_.reset();
        } else if (word == "reserve") {
            const std::size_t second = rest.find(' ');
            if (second == std::string::npos || second + 1 >= rest.size()) {
                return damaged();
            }
            const std::string numberText = rest.substr(0, second);
            const auto number =
                numberText == "-" ? std::optional<long long>(-1) : Number(numberText);
            if (!number) {
                return damaged();
            }
            Note(*number, rest.substr(second + 1));
        } else if (word == "ok" || word == "failed") {
            const auto it = outcome_.find(rest);
            if (it == outcome_.end()) {
                return damaged();
            }
            it->second = word == "ok" ? Outcome::Ok : Outcome::Failed;
            const auto number = numberOf_.find(rest);
            if (number != numberOf_.end() && word == "ok") {
                spoiled_.erase(number->second);
            }
        } else {
            return damaged();
        }
    }
    if (lineNumber < 2) {
        error = path_ + " is not a serial ledger";
        return false;
    }
    for (const auto& [serial, outcome] : outcome_) {
        if (outcome == Outcome::Open) {
            unfinished_.push_back(serial);
        }
    }
    return true;
}

void SerialLedger::Note(long long number, const std::string& serial)
{
    outcome_[serial] = Outcome::Open;
    if (number >= 0) {
        numberOf_[serial] = number;
        numbers_.insert(number);
        // Spoiled until it is known to have gone to a unit that passed.
        spoiled_.insert(number);
        highest_ = std::max(highest_.value_or(number), number);
        highestInSeries_ = std::max(highestInSeries_.value_or(number), number);
    }
}

bool SerialLedger::Append(const std::string& record, std::string& error)
{
    if (!AppendFileDurably(path_, record, error)) {
        error = "the serial ledger cannot record: " + error;
        return false;
    }
    return true;
}

bool SerialLedger::BeginSeries(long long start, std::string& error)
{
    if (!Append("start " + std::to_string(start) + "\n", error)) {
        return false;
    }
    seriesStart_ = start;
    highestInSeries_.reset();
    return true;
}

bool SerialLedger::Reserve(long long number, const std::string& serial, std::string& error)
{
    if (!Append("reserve " + (number < 0 ? std::string("-") : std::to_string(number)) + " " +
                    serial + "\n",
                error)) {
        return false;
    }
    Note(number, serial);
    return true;
}

bool SerialLedger::Finish(const std::string& serial, bool ok, std::string& error)
{
    if (!Append(std::string(ok ? "ok " : "failed ") + serial + "\n", error)) {
        return false;
    }
    outcome_[serial] = ok ? Outcome::Ok : Outcome::Failed;
    const auto number = numberOf_.find(serial);
    if (number != numberOf_.end() && ok) {
        spoiled_.erase(number->second);
    }
    return true;
}

}  // namespace tovrik
