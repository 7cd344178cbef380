// SPDX-License-Identifier: MIT
#include "formats/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrik {
namespace {

std::string HexOf(const std::string& text)
{
    return Sha256Hex(std::vector<std::uint8_t>(text.begin(), text.end()));
}

// The published vectors, and lengths around the padding's edges: 55 bytes
// still take one block, 56 and 64 need a second one for the length.
TEST(Sha256Test, KnownDigestsAcrossThePaddingEdges)
{
    EXPECT_EQ(HexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HexOf(std::string(55, 'a')),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(HexOf(std::string(64, 'a')),
              "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
    std::vector<std::uint8_t> image;
    for (int i = 0; i < 1024; ++i) {
        image.push_back(static_cast<std::uint8_t>(i));
    }
    EXPECT_EQ(Sha256Hex(image), "785b0751fc2c53dc14a4ce3d800e69ef9ce1009eb327ccf458afe09c242c26c9");
}

}  // namespace
}  // namespace tovrik
