// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/Zip.h"

#include "forms/Questions.h"
#include "platform/Paths.h"
#include "platform/Volumes.h"
#include "zip/UnzDllApi.h"

#include <QCoreApplication>
#include <QLibrary>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

namespace fs = std::filesystem;

#if defined(_WIN32)
const char* const UnzipLibraryName = "UnzDll.dll";
#else
const char* const UnzipLibraryName = "UnzDll.so";
#endif

namespace {

constexpr std::int32_t CommandVersion = 160;

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The disk questions of a spanned archive, put to the user through the questions in force.
bool AskOkCancel(const std::string& question) {
    return Ask().AskOkCancel(Text(question));
}

// The loaded unzip library, shared by every instance.
struct TUnzipLibrary {
    QLibrary library;
    TUnzDllExec exec = nullptr;
};

TUnzipLibrary& UnzipLibrary() {
    static TUnzipLibrary unzip;
    return unzip;
}

// The process's current folder for the time of one extraction; the library writes into it.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::string& folder) {
        std::error_code error;
        previous_ = fs::current_path(error);
        fs::current_path(folder, error); // a folder that cannot be entered leaves the files where they fall
    }
    ~TCurrentFolder() {
        std::error_code error;
        if (!previous_.empty())
            fs::current_path(previous_, error);
    }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    fs::path previous_;
};

std::int32_t OptionField(bool set) {
    return set ? -1 : 0;
}

} // namespace

std::string UnzipLibraryMissing() {
    return std::string("Unable to load \"") + UnzipLibraryName + "\".";
}

bool LoadUnzipLibrary(const std::string& folder) {
    TUnzipLibrary& unzip = UnzipLibrary();
    if (unzip.exec != nullptr)
        return true;
    unzip.library.setFileName(Text(folder.empty() ? UnzipLibraryName : PrivateLibrary(folder, UnzipLibraryName)));
    if (!unzip.library.load())
        return false;
    const auto exec = reinterpret_cast<TUnzDllExec>(unzip.library.resolve("UnzDllExec"));
    if (exec == nullptr || unzip.library.resolve("GetUnzDllVersion") == nullptr) {
        unzip.library.unload();
        return false;
    }
    unzip.exec = exec;
    return true;
}

void FreeUnzipLibrary() {
    TUnzipLibrary& unzip = UnzipLibrary();
    if (unzip.library.isLoaded())
        unzip.library.unload();
    unzip.exec = nullptr;
}

TZip::TZip() = default;

TZip::~TZip() {
    FreeUnzipLibrary();
}

TFileInfo TZip::EntryAt(int index) const {
    if (index < 0 || index >= EntryCount())
        throw ZipException("Index range error");
    return directory_.entries[static_cast<std::size_t>(index)];
}

void TZip::Open(const std::string& path) {
    archivePassword_.clear();
    directory_ = TZipDirectory();
    archivePath_ = path;
    if (!path.empty()) {
        CheckArchiveDrive(path);
        std::error_code error;
        if (!fs::exists(path, error)) {
            std::ofstream empty(path, std::ios::binary);
            const std::string bytes = directory_.endRecord.Bytes();
            if (!empty.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !empty.flush())
                throw ZipException("Unable to create \n\"" + path + "\"\n" + std::strerror(errno));
        }
        ReadZipDirectory(path, AskOkCancel, directory_);
    }
    if (OnContentsChanged)
        OnContentsChanged(*this);
}

std::int32_t TZip::Extract() {
    CancelRequested = false;
    if (directory_.entries.empty())
        return 0;
    if (directory_.endRecord.ThisDisk != 0) {
        Ask().ShowMessage(QStringLiteral("Cannot Add, Delete or Extract from a multiple disk Zip file...\nMerge this "
                                         "Zip file onto the hard disk before retrying."));
        return 0;
    }
    std::error_code error;
    if (!ExtractFolder.empty() && !fs::is_directory(ExtractFolder, error)) {
        Ask().ShowMessage(QStringLiteral("Unable to extract files to:\n\"%1\"\nThis folder does not exist.")
                              .arg(Text(ExtractFolder)));
        return 0;
    }
    if (!LoadUnzipLibrary(LibraryFolder))
        throw ZipException(UnzipLibraryMissing());
    callbackError_ = nullptr;
    const std::int32_t result = RunLibrary();
    if (callbackError_)
        std::rethrow_exception(std::exchange(callbackError_, nullptr));
    MemberSpecs.clear();
    return result;
}

std::int32_t TZip::RunLibrary() {
    std::error_code error;
    const std::string archive = fs::absolute(archivePath_, error).string();
    const std::string folder = !ExtractFolder.empty() ? ExtractFolder : fs::path(archive).parent_path().string();

    std::vector<TUnzMember> members(MemberSpecs.size(), TUnzMember{});
    for (std::size_t i = 0; i < MemberSpecs.size(); ++i)
        members[i].Name = MemberSpecs[i].c_str();
    const bool replaceOlder = (ExtractOptions & ExtractReplaceOlder) != 0;
    const bool updateOlder = !replaceOlder && (ExtractOptions & ExtractUpdateOlder) != 0;
    const bool freshen = !replaceOlder && !updateOlder && (ExtractOptions & ExtractFreshen) != 0;
    TUnzCommand command{};
    command.Caller = this;
    command.Version = CommandVersion;
    command.Callback = &TZip::Callback;
    command.Password = archivePassword_.empty() ? nullptr : archivePassword_.c_str();
    command.OptionBit4 = OptionField(freshen);
    command.Reserved40 = -1;
    command.OptionBit1 = OptionField(replaceOlder);
    command.OptionBit2 = OptionField(updateOlder);
    command.OptionBit16 = OptionField((ExtractOptions & ExtractWithFolders) != 0);
    command.NoOptionBit124 =
        OptionField((ExtractOptions & (ExtractReplaceOlder | ExtractUpdateOlder | ExtractFreshen)) == 0);
    command.MemberCount = static_cast<std::int32_t>(members.size());
    command.ArchivePath = archive.c_str();
    command.Members = members.data();
    command.Reserved104 = 3;
    command.Reserved144 = 7;

    const TCurrentFolder current(folder);
    if (!ShowProgressDialog || !MakeProgressWindow)
        return UnzipLibrary().exec(&command);
    progressWindow_ = MakeProgressWindow(*this);
    progressWindow_->ShowView();
    struct TCloseWindow {
        std::unique_ptr<TZipProgressView>& window;
        ~TCloseWindow() { window.reset(); }
    } closeWindow{progressWindow_};
    return UnzipLibrary().exec(&command);
}

std::int32_t TZip::Callback(TUnzCallbackRecord* record) {
    TZip& zip = *static_cast<TZip*>(record->Caller);
    if (!zip.CancelRequested) {
        try {
            zip.HandleCallback(*record);
        } catch (...) {
            zip.callbackError_ = std::current_exception();
            zip.CancelRequested = true;
        }
    }
    const bool cancelled = zip.CancelRequested;
    // Lets the progress window repaint and its Cancel button be pressed; without one there is nothing to let.
    if (zip.progressWindow_ && QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
    return cancelled ? UnzStop : UnzGoOn;
}

void TZip::HideProgress() {
    if (ShowProgressDialog && progressWindow_)
        progressWindow_->HideView();
}

void TZip::ShowProgress() {
    if (ShowProgressDialog && progressWindow_ && !CancelRequested)
        progressWindow_->ShowView();
}

void TZip::HandleCallback(TUnzCallbackRecord& record) {
    const std::string text(record.Text, strnlen(record.Text, sizeof record.Text));
    switch (record.Action) {
    case UnzMemberBegins:
        currentMember_ = text;
        if (OnZEDBeginFileEvent)
            OnZEDBeginFileEvent(*this, currentMember_, record.Number, batchCount_, batchBytes_);
        if (progressWindow_)
            progressWindow_->SetText(currentMember_);
        break;
    case UnzProgress:
        bytesDone_ += record.Number;
        if (OnZEDProgressEvent)
            OnZEDProgressEvent(*this, currentMember_, record.Number, batchBytes_);
        if (progressWindow_)
            progressWindow_->SetPosition(bytesDone_);
        break;
    case UnzBatchEnds:
        if (OnZEDEndBatchEvent)
            OnZEDEndBatchEvent(*this, skippedCount_, batchCount_, batchBytes_);
        HideProgress();
        break;
    case UnzBatchCount:
        batchCount_ = record.Number;
        break;
    case UnzBatchBytes:
        batchBytes_ = record.Number;
        bytesDone_ = 0;
        skippedCount_ = 0;
        if (progressWindow_)
            progressWindow_->SetMaximum(batchBytes_);
        break;
    case UnzPasswordNeeded: {
        HideProgress();
        const auto answer = Ask().AskText(
            ApplicationTitle, QStringLiteral("A new password is required for \"%1\"").arg(Text(text)), QString());
        ShowProgress();
        const std::string password = answer ? answer->toStdString() : std::string();
        if (password.empty()) {
            record.Flag = 0;
            record.Number = 0;
        } else {
            const std::size_t length = std::min(password.size(), sizeof record.Text - 1);
            std::memcpy(record.Text, password.data(), length);
            record.Text[length] = '\0';
            record.Flag = 1;
            if (record.Number > 0)
                --record.Number;
        }
        break;
    }
    case UnzCrcError: {
        HideProgress();
        const auto answer = Ask().AskYesNoCancel(
            QStringLiteral("\"%1\" may be corrupted (CRC error).\nExtract this file anyway? ...").arg(Text(text)),
            QuestionTone::Question, true);
        if (!answer)
            CancelRequested = true;
        record.Flag = answer.value_or(false) ? 1 : 0;
        ShowProgress();
        break;
    }
    case UnzFileExists: {
        const int policy = ExtractOptions & (ExtractReplaceOlder | ExtractUpdateOlder | ExtractAskReplace);
        if (policy == 0) {
            record.Number = 1;
        } else if ((policy & (ExtractReplaceOlder | ExtractUpdateOlder)) != 0) {
            record.Number = record.Flag & 1;
        } else {
            HideProgress();
            const bool older = (record.Flag & 1) != 0;
            const auto answer =
                older ? Ask().AskYesNoCancel(
                            QStringLiteral("\"%1\" is older than the zipped file.\nOverwrite this file? ...")
                                .arg(Text(text)),
                            QuestionTone::Information, false)
                      : Ask().AskYesNoCancel(QStringLiteral("\"%1\" is the same age or newer than the zipped "
                                                            "file.\nDo you really want to overwrite this file? ...")
                                                 .arg(Text(text)),
                                             QuestionTone::Warning, true);
            if (!answer)
                CancelRequested = true;
            record.Number = answer.value_or(false) ? 1 : 0;
            ShowProgress();
        }
        break;
    }
    case UnzSkipped:
        ++skippedCount_;
        break;
    default:
        break;
    }
}
