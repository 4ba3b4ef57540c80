// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The interface of the unzip library UnzDll: the command record handed to UnzDllExec and the record of its
// callback. Fields keep the order and meaning of the Windows library; pointers have the platform's width, so
// the byte offsets in the comments hold for 32-bit builds.

#include <cstdint>

#if defined(_WIN32)
#define UNZDLL_CALL __stdcall
#define UNZDLL_EXPORT extern "C" __declspec(dllexport)
#else
#define UNZDLL_CALL
#define UNZDLL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The callback record: what the library reports or asks, and the caller's answer in Flag, Number and Text.
struct TUnzCallbackRecord {
    std::int32_t Reserved0;
    void* Caller; // 4: the Caller of the command record
    std::int32_t Reserved8[2];
    std::int32_t Action; // 16: one of the UnzAction codes
    std::int32_t Flag;   // 20: in and out
    std::int32_t Number; // 24: in and out
    char Text[512];      // 28: zero-terminated name, or the password answered
};

// Returns UnzStop to end the batch, UnzGoOn to let it go on.
using TUnzCallback = std::int32_t(UNZDLL_CALL*)(TUnzCallbackRecord* record);
inline constexpr std::int32_t UnzGoOn = 0;
inline constexpr std::int32_t UnzStop = -1;

// Action codes of the callback.
enum UnzAction : std::int32_t {
    UnzMemberBegins = 1, // Text: member name, Number: its size
    UnzProgress = 2,     // Number: bytes written since the last step
    UnzBatchEnds = 3,
    UnzBatchCount = 5,     // Number: members in the batch
    UnzBatchBytes = 6,     // Number: their total size
    UnzPasswordNeeded = 8, // Text: member name, Number: tries left. Answer Flag 1 and Text, or Flag 0
    UnzCrcError = 9,       // Text: member name. Answer Flag 1 to keep the file
    UnzFileExists = 10,    // Text: file name, Flag bit 0: the file is older than the member. Answer Number 1 to replace
    UnzSkipped = 11,       // Text: member name
};

// One member to extract: the name as the zip reader lists it (UTF-8, backslashes).
struct TUnzMember {
    const char* Name;
    char Reserved[68];
};

// The command record. Fields this library does not read carry the values the Windows library expects.
struct TUnzCommand {
    std::int32_t Reserved0;      // 0
    void* Caller;                // 4: handed back in every callback
    std::int32_t Version;        // 8: 160
    TUnzCallback Callback;       // 12
    std::int32_t Reserved16[2];  // 16
    const char* Password;        // 24: or null
    std::int32_t OptionBit4;     // 28: -1 for option bit 4 (not read here)
    std::int32_t Reserved32[2];  // 32
    std::int32_t Reserved40;     // 40: -1
    std::int32_t Reserved44;     // 44
    std::int32_t OptionBit1;     // 48: -1 for option bit 1 (not read here: the caller's answer to
    std::int32_t OptionBit2;     // 52: -1 for option bit 2  UnzFileExists decides every replacement)
    std::int32_t OptionBit16;    // 56: -1 for option bit 16 (not read here)
    std::int32_t NoOptionBit124; // 60: -1 when none of the option bits 1, 2, 4 (not read here)
    std::int32_t MemberCount;    // 64
    const char* ArchivePath;     // 68
    const TUnzMember* Members;   // 72
    std::int32_t Reserved76[7];  // 76
    std::int32_t Reserved104;    // 104: 3
    std::int32_t Reserved108[9]; // 108
    std::int32_t Reserved144;    // 144: 7
};

static_assert(sizeof(void*) != 4 || sizeof(TUnzCommand) == 148, "the command record is 148 bytes");
static_assert(sizeof(void*) != 4 || sizeof(TUnzMember) == 72, "a member entry is 72 bytes");

using TUnzDllExec = std::int32_t(UNZDLL_CALL*)(const TUnzCommand* command);
using TGetUnzDllVersion = std::int32_t(UNZDLL_CALL*)();
