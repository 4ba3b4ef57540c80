// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The bytes of an ELF program as the system's loader reads its head: a 32- or 64-bit (`elfClass`, ELFCLASS32 or
// ELFCLASS64) little-endian x86 program whose one program header names `interpreter` as its loader.
std::string ElfProgram(unsigned char elfClass, const std::string& interpreter);
