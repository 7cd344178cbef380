// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tovrik {

// The record of every serial a production station handed out, kept so that
// no serial goes to two units, across crashes and restarts. Each serial is
// recorded, durably, before it is written to a unit ("reserve"), and its
// outcome after the unit's line is logged ("ok" or "failed"). A series of
// numbered serials also keeps the number it began with ("start").
//
// The file is text, one record a line, appended to and flushed record by
// record:
//   tovrik serial ledger 1
//   key FORMAT-OR-LIST
//   start 100
//   reserve 100 TK23-000100
//   ok TK23-000100
// A list's serials are reserved with "-" for the number.
class SerialLedger {
public:
    // What a ledger may hold at most.
    static constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;

    // The ledger of `key` in the user's state folder; empty when there is none.
    static std::string DefaultPath(const std::string& key);

    // Reads the ledger at `path` (made when missing) for `key`; nullptr, with
    // the reason, when it cannot be read or made, is damaged, or keeps
    // another key. A last line cut short by a crash is a record that was
    // never completed: it is removed from the file.
    static std::unique_ptr<SerialLedger> Open(const std::string& path, const std::string& key,
                                              std::string& error);

    const std::string& Path() const { return path_; }
    // The start of the latest series; none before the first.
    std::optional<long long> SeriesStart() const { return seriesStart_; }
    // The highest number ever reserved, and the highest since the latest start.
    std::optional<long long> Highest() const { return highest_; }
    std::optional<long long> HighestInSeries() const { return highestInSeries_; }
    // Whether `serial` was ever reserved.
    bool Used(const std::string& serial) const { return outcome_.count(serial) != 0; }
    // Whether the number was ever reserved.
    bool Recorded(long long number) const { return numbers_.count(number) != 0; }
    // Whether the number's serial went to a unit that failed, or to one whose
    // outcome was never recorded (a crash): it is not to be given again.
    bool Spoiled(long long number) const { return spoiled_.count(number) != 0; }
    // Serials reserved without an outcome when the ledger was read.
    const std::vector<std::string>& Unfinished() const { return unfinished_; }

    bool BeginSeries(long long start, std::string& error);
    // `number` < 0 for a serial of a list.
    bool Reserve(long long number, const std::string& serial, std::string& error);
    bool Finish(const std::string& serial, bool ok, std::string& error);

private:
    enum class Outcome { Open, Ok, Failed };

    SerialLedger() = default;
    bool Append(const std::string& record, std::string& error);
    bool Parse(const std::string& text, const std::string& key, std::string& error);
    void Note(long long number, const std::string& serial);

    std::string path_;
    std::optional<long long> seriesStart_;
    std::optional<long long> highest_;
    std::optional<long long> highestInSeries_;
    std::map<std::string, Outcome> outcome_;
    std::map<std::string, long long> numberOf_;
    std::set<long long> numbers_;
    std::set<long long> spoiled_;
    std::vector<std::string> unfinished_;
};

}  // namespace tovrik
