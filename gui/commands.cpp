#include "gui/commands.h"

#include <cstring>
#include <new>

#include "gui/input_file.h"
#include "gui/modal_calls.h"
#include "gui/resource.h"
#include "gui/win32_host.h"
#include "platform/input_file.h"
#include "split/paths.h"
#include "split/split.h"
#include "split/status.h"
#include "split/version.h"

namespace {

void add_line(HWND list, const char* text) {
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// Splits the open input and shows the outcome in the status list.
void run_split(WindowState& state, HWND window, platform::InputFile& input) {
  SendMessageA(state.status_list, LB_RESETCONTENT, 0, 0);
  SplitSession::Running running(state.split, window);
  try {
    Win32Host host(input.get(), &state.split);
    const SplitResult result =
        split_log(input.get(), state.input_path, host, nullptr, running.files());
    input.reset();
    show_status_groups(
        result.status, [&](const StatusMessage* head) { return show_status_list(state, head); },
        [&] { add_line(state.status_list, ""); });
  } catch (const std::bad_alloc&) {
    // The split ends on its own when memory runs out; only the closing pass
    // and the status lines come here, and the files are closed by then.
    add_line(state.status_list, "ERROR: Not enough memory to finish the split");
  }
}

// Returns true when the window procedure is to return 1 (no input chosen, or
// it cannot be opened).
bool split_command(WindowState& state, HWND window) {
  if (state.input_path[0] == '\0') {
    char text[kMessageSize] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_NO_INPUT, text, sizeof text);
    modal_calls().message_box(nullptr, text, "Error", MB_ICONERROR | MB_OK);
    return true;
  }
  int error = 0;
  platform::InputFile input = platform::open_input(state.input_path, error);
  if (!input) {
    show_error_box(error, state.input_path, "opening");
    return true;
  }
  run_split(state, window, input);
  return false;
}

void help_command() {
  char address[40] = {};
  LoadStringA(GetModuleHandleA(nullptr), IDS_HELP_ADDRESS, address, sizeof address);
  if (address[0] == '\0') return;  // an empty address would open the program's folder
  // Sized for the program's path in UTF-8, which a Cyrillic folder makes
  // longer in bytes than MAX_PATH.
  char module_path[kPathBytes] = {};
  const DWORD length = GetModuleFileNameA(nullptr, module_path, sizeof module_path);
  if (length == 0 || length >= sizeof module_path) module_path[0] = '\0';
  char target[kPathBytes + 40] = {};
  help_target(address, module_path, target, sizeof target);
  modal_calls().shell_execute(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

void about_command(HWND window) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  char title[80] = {};
  char version[80] = {};
  char maker[80] = {};
  char text[260] = {};
  char caption[80] = {};
  LoadStringA(module, IDS_TITLE, title, sizeof title);
  snprintf(version, sizeof version, "Version %s -- %s %s", version_text(), __DATE__, __TIME__);
  LoadStringA(module, IDS_MAKER_LINE, maker, sizeof maker);
  snprintf(text, sizeof text, "%s\n%s\n%s", title, version, maker);
  LoadStringA(module, IDS_ABOUT_CAPTION, caption, sizeof caption);
  modal_calls().message_box(window, text, caption, MB_ICONINFORMATION | MB_OK);
}

}  // namespace

bool handle_command(WindowState& state, HWND window, WPARAM wParam) {
  if (HIWORD(wParam) != 0) return false;
  switch (LOWORD(wParam)) {
    case ID_INPUT:
      if (!state.split.running()) choose_input_file(state);
      return false;
    case ID_SPLIT:
      return !state.split.running() && split_command(state, window);
    case ID_HELP:
      help_command();
      return false;
    case ID_ABOUT:
      about_command(window);
      return false;
    case ID_EXIT:
      state.split.quit();
      return false;
    default:
      return false;
  }
}

int show_status_list(const WindowState& state, const StatusMessage* head) {
  int added = 0;
  for (const std::string* text : oldest_first(head)) {
    const LRESULT extent = SendMessageA(state.status_list, LB_GETHORIZONTALEXTENT, 0, 0);
    const LRESULT wanted = 8 * static_cast<LRESULT>(text->size());
    if (wanted > extent) SendMessageA(state.status_list, LB_SETHORIZONTALEXTENT, wanted, 0);
    add_line(state.status_list, text->c_str());
    ++added;
  }
  return added;
}

void help_target(const char* address, const char* module_path, char* out, std::size_t size) {
  const bool has_scheme =
      std::strstr(address, "://") != nullptr || std::strncmp(address, "mailto:", 7) == 0;
  const char* name = file_name_part(module_path);
  if (has_scheme || name == module_path) {
    snprintf(out, size, "%s", address);
    return;
  }
  const int folder = static_cast<int>(name - module_path);
  snprintf(out, size, "%.*s%s", folder, module_path, address);
}
