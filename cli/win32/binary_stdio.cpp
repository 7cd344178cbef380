// SPDX-License-Identifier: MIT
// Linked into the Windows console programs: standard input, output and error
// carry bytes as they are, so a transcript ends its lines with "\n" on Windows
// too and matches the expected files written on Linux byte for byte.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

struct BinaryStandardStreams {
    BinaryStandardStreams()
    {
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }
};

const BinaryStandardStreams binaryStandardStreams;

}  // namespace
