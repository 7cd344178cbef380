// SPDX-License-Identifier: MIT
#include "services/serial_ledger.h"

#include <gtest/gtest.h>

#include "cli/temp_folder.h"

namespace tovrik {
namespace {

using cli::test::ReadBytes;
using cli::test::TempFolder;
using cli::test::WriteBytes;

std::string Text(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void Write(const std::string& path, const std::string& text)
{
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(SerialLedgerTest, WhatOneRunRecordsTheNextReads)
{
    TempFolder folder;
    const std::string path = folder / "sub/a.ledger";
    std::string error;
    {
        auto ledger = SerialLedger::Open(path, "format S%d", error);
        ASSERT_TRUE(ledger) << error;
        EXPECT_FALSE(ledger->SeriesStart());
        ASSERT_TRUE(ledger->BeginSeries(5, error));
        ASSERT_TRUE(ledger->Reserve(5, "S5", error));
        ASSERT_TRUE(ledger->Reserve(6, "S6", error));
        ASSERT_TRUE(ledger->Reserve(7, "S7", error));
        ASSERT_TRUE(ledger->Finish("S5", true, error));
        ASSERT_TRUE(ledger->Finish("S6", false, error));
    }
    auto ledger = SerialLedger::Open(path, "format S%d", error);
    ASSERT_TRUE(ledger) << error;
    EXPECT_EQ(ledger->SeriesStart(), 5);
    EXPECT_EQ(ledger->Highest(), 7);
    EXPECT_TRUE(ledger->Recorded(5));
    EXPECT_FALSE(ledger->Spoiled(5));
    EXPECT_TRUE(ledger->Spoiled(6)) << "failed";
    EXPECT_TRUE(ledger->Spoiled(7)) << "never finished";
    EXPECT_FALSE(ledger->Recorded(8));
    EXPECT_EQ(ledger->Unfinished(), std::vector<std::string>{"S7"});

    EXPECT_FALSE(SerialLedger::Open(path, "format T%d", error));
    EXPECT_NE(error.find("keeps the serials of format S%d, not of format T%d"), std::string::npos)
        << error;
}

// A record a crash cut short never became a reservation (its serial was not
// written); it is left out and the next record starts on a line of its own.
// Anything else unreadable is refused rather than guessed at.
TEST(SerialLedgerTest, ACutShortLastRecordIsLeftOutAndDamageElsewhereRefused)
{
    TempFolder folder;
    const std::string path = folder / "a.ledger";
    const std::string head = "tovrik serial ledger 1\nkey list\nreserve - A\nok A\n";
    Write(path, head + "reserve - B");
    std::string error;
    {
        auto ledger = SerialLedger::Open(path, "list", error);
        ASSERT_TRUE(ledger) << error;
        EXPECT_TRUE(ledger->Used("A"));
        EXPECT_FALSE(ledger->Used("B"));
        ASSERT_TRUE(ledger->Reserve(-1, "C", error));
    }
    EXPECT_EQ(Text(path), head + "reserve - C\n");
    auto again = SerialLedger::Open(path, "list", error);
    ASSERT_TRUE(again) << error;
    EXPECT_TRUE(again->Used("C"));
    EXPECT_FALSE(again->Used("B"));

    for (const std::string& bad : {head + "reserve x B\n", head + "ok Z\n", head + "start\n",
                                   head + "what 1\n", std::string("not a ledger\nkey list\n")}) {
        Write(path, bad);
        error.clear();
        EXPECT_FALSE(SerialLedger::Open(path, "list", error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace tovrik
