// SPDX-License-Identifier: MIT
// One-line status texts: paths shortened in the middle by whole folders, the
// rest cut at the end, never wider than asked and never a character cut in half.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fitted_line.h"
#include "platform/latin1_text.h"

namespace tovrik {
namespace {

// One unit per character, as a fixed-pitch font draws them.
int Characters(std::string_view text)
{
    return static_cast<int>(Utf8Length(text));
}

constexpr const char* kBackupLine =
    "Backup of the EEPROM before the last write: "
    "/home/engineer/.local/state/tovrik/backups/1209-0001-20260101-120000.bin";

TEST(FittedLineTest, ATextThatFitsStaysAsItIsAndOneCharacterLessShortensIt)
{
    const int whole = Characters(kBackupLine);
    EXPECT_EQ(FitLine(kBackupLine, whole, Characters), kBackupLine);
    const std::string shorter = FitLine(kBackupLine, whole - 1, Characters);
    EXPECT_NE(shorter, kBackupLine);
    EXPECT_LE(Characters(shorter), whole - 1);
    // A control not laid out yet has no width to fit.
    EXPECT_EQ(FitLine(kBackupLine, 0, Characters), kBackupLine);
}

TEST(FittedLineTest, ALongPathLosesWholeFoldersInTheMiddleKeepingItsFirstFolderAndItsName)
{
    // Each step drops more of the middle; one folder of the head goes only once
    // the tail has no more to give, and the name stays to the last.
    EXPECT_EQ(FitLine(kBackupLine, 110, Characters),
              "Backup of the EEPROM before the last write: "
              "/home/engineer/.../tovrik/backups/1209-0001-20260101-120000.bin");
    EXPECT_EQ(FitLine(kBackupLine, 100, Characters),
              "Backup of the EEPROM before the last write: "
              "/home/.../tovrik/backups/1209-0001-20260101-120000.bin");
    EXPECT_EQ(
        FitLine(kBackupLine, 90, Characters),
        "Backup of the EEPROM before the last write: /home/.../1209-0001-20260101-120000.bin");
    EXPECT_EQ(FitLine(kBackupLine, 80, Characters),
              "Backup of the EEPROM before the last write: /.../1209-0001-20260101-120000.bin");
}

TEST(FittedLineTest, AWindowsPathKeepsItsDriveAndItsBackslashes)
{
    const std::string line =
        "Backup of the EEPROM before the last write: "
        "C:\\Users\\Engineer\\AppData\\Local\\tovrik\\backups\\x.bin";
    EXPECT_EQ(FitLine(line, 72, Characters),
              "Backup of the EEPROM before the last write: C:\\Users\\...\\backups\\x.bin");
    EXPECT_EQ(FitLine("\\\\server\\share\\deep\\folder\\x.bin", 22, Characters),
              "\\\\server\\...\\x.bin");
}

TEST(FittedLineTest, OfTwoPathsTheLongerGivesUpAFolderFirstAndThePunctuationStays)
{
    const std::string line =
        "Written back from /a/b/c/d/e/f/g/h/i/j/k/one.bin; the EEPROM before that is kept in "
        "/srv/kept/older/two.bin";
    EXPECT_EQ(FitLine(line, Characters(line) - 4, Characters),
              "Written back from /a/b/c/.../h/i/j/k/one.bin; the EEPROM before that is kept in "
              "/srv/kept/older/two.bin");
    // Once the first is the shorter, the second gives up a folder too.
    EXPECT_EQ(FitLine(line, Characters(line) - 20, Characters),
              "Written back from /a/.../k/one.bin; the EEPROM before that is kept in "
              "/srv/.../two.bin");
}

TEST(FittedLineTest, WhatNoPathCanGiveIsCutAtTheEndBetweenCharacters)
{
    // "1209:0001/0002" and "read/write" are no paths: nothing starts them after a space.
    const std::string ids = "Connected: 1209:0001/0002, read/write, device code 7 (with EQ)";
    EXPECT_EQ(FitLine(ids, 30, Characters), "Connected: 1209:0001/0002,...");
    // Each "é" is two bytes of one character; no cut leaves half of one.
    std::string text = "Zeichen:";
    for (int i = 0; i < 40; ++i) {
        text += "\xC3\xA9";
    }
    for (int width = 3; width < 20; ++width) {
        const std::string cut = FitLine(text, width, Characters);
        std::string bytes;
        std::string refused;
        EXPECT_TRUE(Utf8ToLatin1(cut, bytes, refused)) << width << ": " << refused;
        EXPECT_EQ(Characters(cut), width);
        EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    }
    // Measured by bytes, a width may end inside a character: the cut goes before it.
    const auto bytes = [](std::string_view part) { return static_cast<int>(part.size()); };
    for (int width = 11; width < 30; ++width) {
        const std::string cut = FitLine(text, width, bytes);
        std::string latin1;
        std::string refused;
        EXPECT_TRUE(Utf8ToLatin1(cut, latin1, refused)) << width << ": " << refused;
        EXPECT_GE(bytes(cut), width - 1);
        EXPECT_LE(bytes(cut), width);
    }
    // Narrower than the ellipsis itself: nothing is shown.
    EXPECT_EQ(FitLine(text, 2, Characters), "");
}

TEST(FittedLineTest, APathWhoseNameAloneIsTooWideIsCutAtTheEndToo)
{
    const std::string line = "Saved to /data/" + std::string(60, 'n') + ".bin";
    const std::string fitted = FitLine(line, 40, Characters);
    EXPECT_EQ(Characters(fitted), 40);
    EXPECT_EQ(fitted.rfind("Saved to /.../nnn", 0), 0u) << fitted;
}

TEST(FittedLineTest, LineBreaksBecomeSpaces)
{
    EXPECT_EQ(FitLine("No chip:\nplug it in\r\nand retry", 100, Characters),
              "No chip: plug it in and retry");
}

TEST(FittedLineTest, PathsAreShownWithTheSystemsSeparator)
{
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    const std::string expected =
        std::string("C:") + separator + "Users" + separator + "x" + separator + "y.bin";
    EXPECT_EQ(WithSystemSeparators("C:/Users/x/y.bin"), expected);
    EXPECT_EQ(WithSystemSeparators("C:\\Users/x/y.bin"),
              separator == '/' ? "C:\\Users/x/y.bin" : "C:\\Users\\x\\y.bin");
}

}  // namespace
}  // namespace tovrik
