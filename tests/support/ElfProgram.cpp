// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ElfProgram.h"

#include <elf.h>

#include <cstring>

std::string ElfProgram(unsigned char elfClass, const std::string& interpreter) {
    Elf32_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = elfClass;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_EXEC;
    header.e_machine = EM_386;
    header.e_phoff = sizeof header;
    header.e_phentsize = sizeof(Elf32_Phdr);
    header.e_phnum = 1;
    Elf32_Phdr program{};
    program.p_type = PT_INTERP;
    program.p_offset = sizeof header + sizeof program;
    program.p_filesz = static_cast<Elf32_Word>(interpreter.size() + 1);
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(&program), sizeof program);
    bytes.append(interpreter).push_back('\0');
    return bytes;
}
