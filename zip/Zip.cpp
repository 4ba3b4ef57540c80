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

// Disk numbers and the number of disks a spanned archive may have.
constexpr int MaxDiskNumber = 1000;
constexpr std::int32_t CommandVersion = 160;

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

[[noreturn]] void ThrowNotAZip(const std::string& path) {
    throw ZipException("\"" + path + "\"\nis not a valid Zip file.");
}

[[noreturn]] void ThrowBadHeader() {
    throw ZipException("Error reading 'CentralFileHeader'!");
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

int DriveKind(const std::string& path) {
    return path.empty() ? DriveNoRootDir : SystemVolumes().DriveKind(path);
}

bool VolumeLabel(const std::string& path, std::string& label) {
    const auto read = SystemVolumes().VolumeLabel(path);
    if (!read)
        return false;
    label = *read;
    return true;
}

int SpanDiskNumber(const std::string& path) {
    static const std::string Mark = "PKBACK# ";
    std::error_code error;
    std::string label;
    if (!fs::exists(path, error) || DriveKind(path) != DriveRemovable || !VolumeLabel(path, label) ||
        label.compare(0, Mark.size(), Mark) != 0)
        return 0;
    const std::string digits = label.substr(Mark.size(), 3);
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return digits.empty() ? 0 : number;
}

bool AskForDisk(const std::string& path, int disk) {
    const QString question =
        QStringLiteral(
            "Insert [ Disk %1 ] of the Zip file into the floppy drive\nbefore pressing [ OK ] to continue ...")
            .arg(disk);
    while (SpanDiskNumber(path) != disk)
        if (!Ask().AskOkCancel(question))
            return false;
    return true;
}

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
    return entries_[static_cast<std::size_t>(index)];
}

void TZip::Open(const std::string& path) {
    archivePassword_.clear();
    oemNames_ = false;
    endRecord_ = TEndRecord();
    archiveComment_.clear();
    endRecordPos_ = -1;
    ClearEntries();
    archivePath_ = path;
    if (!path.empty()) {
        std::string label;
        if (!VolumeLabel(path, label))
            throw ZipException("Unable to access the selected drive!");
        std::error_code error;
        if (!fs::exists(path, error)) {
            std::ofstream empty(path, std::ios::binary);
            const std::string bytes = endRecord_.Bytes();
            if (!empty.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !empty.flush())
                throw ZipException("Unable to create \n\"" + path + "\"\n" + std::strerror(errno));
        }
        ReadCentralDirectory();
    }
    if (OnContentsChanged)
        OnContentsChanged(*this);
}

void TZip::ReadCentralDirectory() {
    ClearEntries();
    // The archive is opened once: the directory of a one-file archive is read through the file its end record was
    // found in.
    std::unique_ptr<TZipFile> file;
    for (;;) {
        file = std::make_unique<TZipFile>(archivePath_);
        if (file->Failed())
            throw ZipException("Unable to open \"" + archivePath_ + "\": " + file->Reason());
        const auto found = FindEndRecord(*file);
        if (found) {
            endRecordPos_ = *found;
            unsigned char bytes[EndRecordSize];
            file->Seek(*found);
            file->Read(bytes, sizeof bytes);
            endRecord_ = TEndRecord::Parse(bytes);
            if (IsZip64(*file, *found, endRecord_))
                throw ZipException("\"" + archivePath_ + "\"\nis a ZIP64 archive; only classic Zip files can be read.");
            if (endRecord_.ThisDisk > MaxDiskNumber || endRecord_.DirectoryDisk > MaxDiskNumber)
                ThrowNotAZip(archivePath_);
            if (!file->Seek(*found + EndRecordSize) || !file->Read(archiveComment_, endRecord_.CommentLength))
                archiveComment_.clear();
            break;
        }
        file.reset();
        const int disk = SpanDiskNumber(archivePath_);
        if (disk == 0)
            ThrowNotAZip(archivePath_);
        if (!Ask().AskOkCancel(QStringLiteral("This is [ Disk %1 ] of a multiple disk Zip file.\nInsert the last "
                                              "disk of the Zip file before pressing [ OK ] to continue ...")
                                   .arg(disk)))
            return;
    }
    if (endRecord_.TotalEntries == 0)
        return;

    std::vector<std::int64_t> starts;
    if (endRecord_.ThisDisk != 0) {
        // The directory of a spanned archive may lie on another disk: the file is opened again.
        file.reset();
        if (endRecord_.DirectoryDisk != endRecord_.ThisDisk && !AskForDisk(archivePath_, endRecord_.DirectoryDisk))
            return;
        starts = {endRecord_.DirectoryOffset};
    } else {
        // A directory that the bytes in front of the end record cannot hold is refused before it is read.
        if (endRecord_.DirectorySize > endRecordPos_ ||
            std::int64_t(endRecord_.TotalEntries) * CentralHeaderSize > endRecordPos_)
            ThrowNotAZip(archivePath_);
        starts = CentralDirectoryCandidates(*file, endRecordPos_, endRecord_);
    }
    for (const std::int64_t start : starts) {
        if (!file)
            file = std::make_unique<TZipFile>(archivePath_);
        if (ReadEntries(archivePath_, file, start))
            return;
        ClearEntries();
    }
    ThrowBadHeader();
}

bool TZip::ReadEntries(const std::string& path, std::unique_ptr<TZipFile>& file, std::int64_t start) {
    if (file->Failed() || !file->Seek(start))
        return false;
    entries_.reserve(endRecord_.TotalEntries);
    for (int i = 0; i < endRecord_.TotalEntries;) {
        TFileInfo info;
        switch (ReadCentralEntry(*file, i == 0, oemNames_, info)) {
        case TEntryRead::Read:
            entries_.push_back(std::move(info));
            ++i;
            break;
        case TEntryRead::BadSignature:
            return false;
        case TEntryRead::ShortRead: {
            // The directory of a spanned archive goes on at the start of the next disk.
            if (endRecord_.ThisDisk == 0)
                return false;
            const int disk = SpanDiskNumber(path);
            file.reset();
            if (disk == 0 || disk > endRecord_.ThisDisk || !AskForDisk(path, disk + 1))
                return false;
            file = std::make_unique<TZipFile>(path);
            if (file->Failed())
                return false;
            break;
        }
        }
    }
    // A count that wrapped at 65 536 (a ZIP64 archive without its records) or a damaged one leaves records
    // unread: another record follows the last one counted, or the directory says it is longer than the records
    // read. A directory that says it is shorter is only a wrong size, which other readers accept too.
    if (endRecord_.ThisDisk != 0)
        return true;
    const std::int64_t directoryEnd = file->Position();
    const char* damage = nullptr;
    if (HasCentralHeaderAt(*file, directoryEnd))
        damage = "its directory holds another number of members than it says";
    else if (directoryEnd - start < std::int64_t(endRecord_.DirectorySize))
        damage = "its directory is longer than the members it lists";
    if (damage != nullptr) {
        ClearEntries();
        throw ZipException("\"" + path + "\"\nis damaged or a ZIP64 archive: " + damage +
                           "; only classic Zip files can be read.");
    }
    return true;
}

std::int32_t TZip::Extract() {
    CancelRequested = false;
    if (entries_.empty())
        return 0;
    if (endRecord_.ThisDisk != 0) {
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
