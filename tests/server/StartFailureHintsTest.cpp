#include "server/StartFailureHints.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>

namespace {

// A program header as the system's loader reads it: a 32- or 64-bit ELF file whose one program header names
// `interpreter`.
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

TEST(StartFailureHintsTest, A32BitProgramWhoseLoaderIsMissingSaysWhatToInstall) {
    TestFolder folder;
    const std::string missing = folder.File("no-such-lib/ld-linux.so.2");
    const struct {
        const char* name;
        std::string content;
        bool said;
    } cases[] = {
        {"missing loader", ElfProgram(ELFCLASS32, missing), true},
        {"present loader", ElfProgram(ELFCLASS32, folder.Write("ld-linux.so.2", "")), false},
        {"64-bit program", ElfProgram(ELFCLASS64, missing), false},
        {"script", "#!/bin/sh\nexec ./engine \"$@\"\n", false},
        {"cut short", ElfProgram(ELFCLASS32, missing).substr(0, 60), false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        const std::string program = folder.Write("cod_lnxded", c.content);
        const auto line = MissingLoaderLine(program);
        if (c.said)
            EXPECT_EQ(line, "Server program : the 32-bit loader " + missing +
                                " is missing: dpkg --add-architecture i386 && apt-get update && apt-get install "
                                "libc6:i386")
                << c.name;
        else
            EXPECT_EQ(line, std::nullopt) << c.name;
    }
    EXPECT_EQ(MissingLoaderLine(folder.File("absent")), std::nullopt);
}

TEST(StartFailureHintsTest, TheOutputOfAFailedStartNamesTheMissingLibraryOrWine) {
    const std::string add = "dpkg --add-architecture i386 && apt-get update && apt-get install ";
    EXPECT_EQ(StartFailureHints({"./cod_lnxded: error while loading shared libraries: libstdc++.so.5: cannot open "
                                 "shared object file: No such file or directory"}),
              std::vector<std::string>{"Server program : the 32-bit library libstdc++.so.5 is missing: " + add +
                                       "libstdc++5:i386"});
    EXPECT_EQ(StartFailureHints({"./cod_lnxded: error while loading shared libraries: libfoo.so.3: cannot open shared "
                                 "object file: No such file or directory"}),
              std::vector<std::string>{"Server program : the 32-bit library libfoo.so.3 is missing: install the i386 "
                                       "package that provides it"});
    EXPECT_EQ(StartFailureHints({"it looks like wine32 is missing, you should install it.",
                                 "multiarch needs to be enabled first.  as root, please",
                                 "execute \"dpkg --add-architecture i386 && apt-get update &&",
                                 "apt-get install wine32:i386\"", "it looks like wine32 is missing"}),
              std::vector<std::string>{"Server program : 32-bit Wine is missing: " + add + "wine32:i386"});
    EXPECT_EQ(StartFailureHints({"Hunk_Clear: reset the hunk ok", "ERROR: Couldn't load default.cfg"}),
              std::vector<std::string>{});
}

} // namespace
