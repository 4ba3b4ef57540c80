// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the unzip library as an archive: lists it, then extracts every member through the
// library with a password and "extract anyway" always answered, and stops the run when anything lands outside
// the target folder, a part file stays behind, or a link is created.
#include "zip/Zip.h"

#include "FuzzSupport.h"
#include "forms/Questions.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <dlfcn.h>

namespace fs = std::filesystem;

namespace {

// Answers every question at once, so the library goes through each of its roads.
class TAnswerAll final : public Questions {
public:
    void ShowMessage(const QString&) override {}
    void ShowWarning(const QString&) override {}
    void ShowError(const QString&) override {}
    bool AskYesNo(const QString&) override { return true; }
    bool AskOkCancel(const QString&) override { return false; }
    std::optional<bool> AskYesNoCancel(const QString&, QuestionTone, bool) override { return true; }
    std::optional<QString> AskText(const QString&, const QString&, const QString&) override {
        return QStringLiteral("password");
    }
    std::optional<QString> PickFolder(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> PickOpenFile(const QString&, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> PickSaveFile(const QString&, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<RgbColor> PickColor(RgbColor) override { return std::nullopt; }
};

// A part file of the library, known by the library's own rule, must never stay behind.
void CheckNoPartFile(const fs::path& work) {
    for (const auto& entry : fs::recursive_directory_iterator(work))
        if (IsPartFileName(entry.path().filename().string()))
            StopFuzzing("part file left behind: " + entry.path().string());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every TZip unloads the library when it goes; libFuzzer's counters live in the instrumented library, so a
    // handle of the run's own keeps it mapped.
    static void* const library = ::dlopen(JoinPath(QUENDRY_UNZDLL_FOLDER, UnzipLibraryName).c_str(), RTLD_NOW);
    if (library == nullptr)
        StopFuzzing("the unzip library cannot be loaded");
    static const TWorkFolder workFolder("quendry-fuzz-unzip");
    static TAnswerAll answers;
    SetQuestions(&answers);
    const fs::path work = workFolder.Path();
    const auto [archive, out] = WriteFuzzInput(workFolder, "archive.zip", data, size);
    TZip zip;
    zip.ShowProgressDialog = false;
    zip.LibraryFolder = QUENDRY_UNZDLL_FOLDER;
    zip.ExtractFolder = out.string();
    try {
        zip.Open(archive.string());
        for (int i = 0; i < zip.EntryCount(); ++i)
            zip.MemberSpecs.push_back(zip.EntryAt(i).FileName);
        zip.Extract();
    } catch (const ZipException&) {
        // A damaged archive is refused with its message.
    }
    CheckNothingEscaped(work, archive, out);
    CheckNoPartFile(work);
    fs::remove_all(out);
    fs::remove(archive);
    return 0;
}
