#include "platform/output_files.h"

#include <windows.h>
#include <stdio.h>

#include <cstdint>
#include <new>
#include <string>

#include "split/paths.h"

namespace platform {

namespace {

// What the file system gives back as the name of the file open on
// `handle`, compared with the file name part of `asked`.
NameGivenBack name_given_back(HANDLE handle, const std::wstring& asked) {
  std::wstring actual(MAX_PATH, L'\0');
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_NONE;
  DWORD length = GetFinalPathNameByHandleW(handle, &actual[0], MAX_PATH, flags);
  if (length >= MAX_PATH) {
    actual.resize(length);
    length = GetFinalPathNameByHandleW(handle, &actual[0], length, flags);
  }
  if (length == 0 || length >= actual.size()) {
    // Some network file systems cannot give the final name; the long form
    // of the path asked for tells the same.
    length = GetLongPathNameW(asked.c_str(), &actual[0], static_cast<DWORD>(actual.size()));
    if (length == 0 || length >= actual.size()) return NameGivenBack::kNone;
  }
  actual.resize(length);
  return CompareStringOrdinal(file_name_part(actual.c_str()), -1, file_name_part(asked.c_str()), -1,
                              TRUE) == CSTR_EQUAL
             ? NameGivenBack::kSame
             : NameGivenBack::kOther;
}

// Whether the file open on `handle` holds the name `path` asked for, letter
// case aside. Windows also opens a file through its short 8.3 alias
// (AB_C~H4U.ADI for ab_cdefghij.adi), which a QTH can spell; the name the
// file system keeps tells them apart. Only a name that can be such an alias
// is looked up: on a share that cannot say, every other name is still
// written.
bool opened_as_asked(HANDLE handle, const char* path) {
  const int size = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (size <= 0) return false;
  std::wstring asked(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, &asked[0], size);
  asked.resize(static_cast<size_t>(size) - 1);
  const NameGivenBack given =
      may_be_short_name(asked.c_str()) ? name_given_back(handle, asked) : NameGivenBack::kSame;
  return name_as_asked(asked.c_str(), given);
}

// Readers may share an output, writers may not: a second open of the same
// file through another spelling of its path fails instead of emptying what
// this split is writing. A symbolic link or junction at the name is opened as
// itself, never followed, so that it can be refused.
constexpr DWORD kAccess = GENERIC_WRITE | FILE_READ_ATTRIBUTES;
constexpr DWORD kShare = FILE_SHARE_READ;
constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;

// Opens `path` as it is, or creates it when nothing is there; `created` says
// which, so that a file made here can be removed again. Two steps, not
// OPEN_ALWAYS: Wine follows a Unix symbolic link at the name, and an
// OPEN_ALWAYS through a dangling one creates its target outside the folder
// while reporting an existing file. CREATE_NEW makes nothing where any link
// stands. A created file shares deletion, so that it can be removed through
// a handle of its own (remove_when_closed); holding DELETE here instead would
// keep out every reader that does not share deletion, C's fopen among them.
HANDLE open_or_create(const char* path, bool& created) {
  created = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    HANDLE handle = CreateFileA(path, kAccess, kShare | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                kFlags, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      created = true;
      return handle;
    }
    const DWORD create_error = GetLastError();
    handle = CreateFileA(path, kAccess, kShare, nullptr, OPEN_EXISTING, kFlags, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_NOT_FOUND) return handle;
    if (create_error != ERROR_FILE_EXISTS && create_error != ERROR_ALREADY_EXISTS) break;
    // There for the create, gone for the open: removed in between, or a
    // dangling link under Wine, which ends in a refusal.
  }
  return INVALID_HANDLE_VALUE;
}

// What the file system says about the file open on `handle`. A question it
// does not answer leaves facts that refuse the file.
OpenedFile facts_of(HANDLE handle) {
  OpenedFile opened;
  BY_HANDLE_FILE_INFORMATION info;
  if (!identity_of_handle(handle, opened.id) || !GetFileInformationByHandle(handle, &info))
    return opened;
  opened.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  opened.links = info.nNumberOfLinks;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A tag that cannot be read counts as a link's.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool known = GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag);
    opened.reparse_tag = known && tag.ReparseTag != 0 ? tag.ReparseTag : kNameSurrogateBit;
  }
  return opened;
}

// Puts in place of `handle` (`first`, a reparse point opened as itself, that
// keeps its data itself, as OneDrive's files do) the same name opened the
// ordinary way, so that the filter driver that owns the tag sees the write.
// The first handle goes first: its sharing would refuse the second open.
// True when the second open reached the same file; `handle` is then that
// open's, else it is that open's or INVALID_HANDLE_VALUE.
bool reopen_through_filter(HANDLE& handle, const char* path, const OpenedFile& first) {
  CloseHandle(handle);
  handle =
      CreateFileA(path, kAccess, kShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle != INVALID_HANDLE_VALUE && may_write_reopened(first, facts_of(handle));
}

// Marks the file open on `handle` for removal once its last handle closes:
// the file itself, whatever its name leads to by then, through a second
// handle to it that holds the right to remove it.
void remove_when_closed(HANDLE handle) {
  HANDLE remover =
      ReOpenFile(handle, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
  if (remover == INVALID_HANDLE_VALUE) return;
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  SetFileInformationByHandle(remover, FileDispositionInfo, &dispose, sizeof dispose);
  CloseHandle(remover);
}

// The verdict on the file open on `handle`, opened as `path`, for a split
// that has taken `taken`: a reparse point that keeps its data itself is
// opened again through its filter, `handle` becoming that open's (or
// INVALID_HANDLE_VALUE), and is written only when that reached the same file.
// `created`: the file was made by this open, and no one's reparse point.
Verdict checked_verdict(HANDLE& handle, const char* path, const FileIdSet& taken, bool created,
                        OpenedFile& opened) {
  opened = facts_of(handle);
  if (opened.regular) opened.name_as_asked = opened_as_asked(handle, path);
  Verdict verdict = output_verdict(opened, taken);
  // A file made here is no one's reparse point; one that has become one at
  // once is refused, and removed, as before.
  if (verdict == Verdict::kReopen && !created)
    verdict = reopen_through_filter(handle, path, opened) ? Verdict::kWrite : Verdict::kRefuse;
  return verdict;
}

// Outputs open at once. Windows limits handles only by memory, but every open
// output holds a buffer: past this many, the least recently written one is
// closed until its next record.
constexpr std::size_t kMostOpenOutputs = 8192;

class HandleFile final : public OutputFile {
 public:
  HandleFile(const char* path, HANDLE handle, const FileId& id)
      : OutputFile(id), path_(path), handle_(handle) {}
  ~HandleFile() override { close(); }
  HandleFile(const HandleFile&) = delete;
  HandleFile& operator=(const HandleFile&) = delete;

  bool write(const char* bytes, std::size_t count) override {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    while (count > 0) {
      const DWORD piece = count < 0x40000000 ? static_cast<DWORD>(count) : 0x40000000;
      DWORD done = 0;
      if (!WriteFile(handle_, bytes, piece, &done, nullptr) || done == 0) return false;
      bytes += done;
      count -= done;
      written_ += done;
    }
    return true;
  }

  bool close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

  bool reopen() override {
    if (handle_ != INVALID_HANDLE_VALUE) return true;
    // Opened as the first open opened it, link or junction as itself, and
    // checked as it was; the same file, holding only what was written here.
    HANDLE handle =
        CreateFileA(path_.c_str(), kAccess, kShare, nullptr, OPEN_EXISTING, kFlags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    OpenedFile opened;
    const bool usable =
        checked_verdict(handle, path_.c_str(), {}, false, opened) == Verdict::kWrite;
    LARGE_INTEGER size{}, end{};
    if (!usable || !same_file(opened.id, id()) || !GetFileSizeEx(handle, &size) ||
        static_cast<uint64_t>(size.QuadPart) != written_ ||
        !SetFilePointerEx(handle, end, nullptr, FILE_END)) {
      if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
      return false;
    }
    handle_ = handle;
    return true;
  }

 private:
  std::string path_;
  HANDLE handle_;
  uint64_t written_ = 0;  // bytes in the file, all of them written here
};

}  // namespace

bool output_exists(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
      return false;
    default:  // denied access and the like may still hide a file
      return true;
  }
}

OutputFiles::OutputFiles(std::FILE* input) : most_open_(kMostOpenOutputs) {
  if (input != nullptr) {
    FileId id;
    if (identity_of(input, id)) {
      taken_.add(id);
    } else {
      input_unknown_ = true;
    }
  }
  // Redirected into an output, the status lines or the error message would
  // land in the middle of its records. A handle Windows opened for the
  // redirection is refused by the sharing rule below anyway; one that Wine
  // took over from a Unix shell is not.
  for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    FileId id;
    if (identity_of_handle(GetStdHandle(which), id)) taken_.add(id);
  }
}

std::unique_ptr<OutputFile> OutputFiles::open(const char* path) {
  if (input_unknown_) return nullptr;
  bool created = false;
  HANDLE handle = open_or_create(path, created);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;

  // Checked on the open handle, not the name; only then is the file emptied.
  OpenedFile opened;
  const Verdict verdict = checked_verdict(handle, path, taken_, created, opened);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<OutputFile> file;
  try {
    if (verdict == Verdict::kWrite && SetEndOfFile(handle))
      file = std::make_unique<HandleFile>(path, handle, opened.id);
  } catch (const std::bad_alloc&) {
    if (created) remove_when_closed(handle);
    CloseHandle(handle);
    throw;
  }
  if (file == nullptr) {
    // Through the handle, never by name: the file made here goes, and
    // whatever the name may lead to by now stays.
    if (created) remove_when_closed(handle);
    CloseHandle(handle);
    return nullptr;
  }
  taken_.add(opened.id);
  return file;
}

void allow_many_open_files() {
  // Nothing to raise: outputs are handles, not the C runtime's streams
  // (which msvcrt.dll stops at 2048), and handles are limited only by memory.
}

}  // namespace platform
