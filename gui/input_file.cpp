#include "gui/input_file.h"

#include <commdlg.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "gui/modal_calls.h"
#include "platform/code_page.h"
#include "platform/input_file.h"
#include "split/paths.h"

namespace {

struct DropFinisher {
  void operator()(HDROP drop) const { DragFinish(drop); }
};
struct LocalFreer {
  void operator()(LPWSTR* block) const { LocalFree(block); }
};

// `path` made full against the current folder; the path as given when
// Windows cannot do that.
std::wstring full_path(const wchar_t* path) {
  const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path, needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

// A full path as the system hands it over (UTF-16) made the input, unless
// the program's code page cannot hold it exactly (only where Windows ignores
// the manifest's UTF-8): then the "Error" box, never a look-alike.
void use_system_path(WindowState& state, const std::wstring& path) {
  std::string narrow;
  if (!platform::to_code_page(CP_ACP, path, narrow)) {
    show_error_box(EILSEQ, narrow.c_str(), "opening");
    return;
  }
  use_input_file(state, narrow.c_str());
}

// The dialog, with the process's current folder as it was before: the dialog
// leaves the folder the user browsed to as the current one, which keeps that
// folder (on a USB stick, say) in use until the program ends. The flag
// OFN_NOCHANGEDIR says so too, but is documented as ineffective for the open
// dialog.
BOOL open_file_dialog(OPENFILENAMEW& record) {
  record.Flags |= OFN_NOCHANGEDIR;
  std::wstring before(GetCurrentDirectoryW(0, nullptr), L'\0');
  before.resize(GetCurrentDirectoryW(static_cast<DWORD>(before.size()), &before[0]));
  const BOOL chosen = modal_calls().get_open_file_name(&record);
  if (!before.empty()) SetCurrentDirectoryW(before.c_str());
  return chosen;
}

}  // namespace

void choose_input_file(WindowState& state) {
  // The wide dialog: the 8-bit one hands back '?' or a look-alike for a
  // letter the code page lacks. It works on a copy: on a cancel or a failure
  // (a too long path makes it write the needed size into the buffer) the
  // earlier choice stays.
  wchar_t chosen[kPathCharacters + 1] = {};
  MultiByteToWideChar(CP_ACP, 0, state.input_path, -1, chosen, kPathCharacters + 1);
  OPENFILENAMEW record{};
  record.lStructSize = sizeof record;  // the whole 64-bit record, or the call fails at once
  record.lpstrFilter =
      L"ADIF Files\0*.adi;*.adif\0All Files\0*.*\0";  // the literal adds the final NUL
  record.lpstrFile = chosen;
  record.nMaxFile = kPathCharacters + 1;
  record.lpstrTitle = L"Input ADIF File";
  record.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  record.lpstrDefExt = L"adi";
  if (!open_file_dialog(record)) return;
  // Already a full path, taken as chosen: making it full again would turn a
  // device name (aux.adi) into \\.\aux.
  use_system_path(state, chosen);
}

bool use_input_file(WindowState& state, const char* path) {
  // Windows' limit counts UTF-16 units, not bytes: a Cyrillic path of 165
  // characters is 270 bytes, and is taken like an ASCII one of that length.
  const int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0) - 1;
  if (units > kPathCharacters || std::strlen(path) >= sizeof state.input_path) {
    show_error_box(ENAMETOOLONG, path, "opening");
    return false;
  }
  snprintf(state.input_path, sizeof state.input_path, "%s", path);
  SendMessageA(state.input_list, LB_RESETCONTENT, 0, 0);
  SendMessageA(state.input_list, LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(file_name_part(state.input_path)));
  return true;
}

void take_dropped_file(WindowState& state, HDROP drop) {
  const std::unique_ptr<std::remove_pointer_t<HDROP>, DropFinisher> release(drop);
  // Like Input: a new input in the middle of a split could name files the
  // split is writing.
  if (state.split.running()) return;
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return;
  std::wstring path(length + 1, L'\0');
  if (DragQueryFileW(drop, 0, &path[0], length + 1) != length) return;
  path.resize(length);
  use_system_path(state, full_path(path.c_str()));
}

void take_command_line_file(WindowState& state, const wchar_t* command_line) {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreer> arguments(CommandLineToArgvW(command_line, &count));
  if (!arguments || count < 2) return;
  use_system_path(state, full_path(arguments.get()[1]));
}

void show_error_box(int error, const char* path, const char* action) {
  char before[32] = {};
  char reason[kMessageSize] = {};
  char text[kMessageSize] = {};
  snprintf(before, sizeof before, "Error %s ", action);
  snprintf(reason, sizeof reason, ":\n%s", platform::input_error_text(error));
  format_path_message(text, sizeof text, before, path, reason);
  modal_calls().message_box(nullptr, text, "Error", MB_ICONERROR | MB_OK);
}
