#pragma once

// The QuickDraw picture opcodes 0x00 to 0xA1: name, length of their data and
// what the data mean.

// The data lengths that are not byte counts.
constexpr int kPictLengthWord = -1;  // a 16-bit length word, then that many bytes
constexpr int kPictOwnReader = -2;   // the decoder reads or steps over the data itself

struct PictOpcode {
    const char* name;  // "reserved" for the opcodes set aside for Apple
    int length;        // bytes of data, or one of the two values above
    const char* arguments;
};

constexpr int kPictTableOpcodes = 0xA2;

// The row of an opcode below kPictTableOpcodes.
const PictOpcode& PictOpcodeAt(int opcode);
