#include "gui/main_window.h"

#include "gui/commands.h"
#include "gui/input_file.h"
#include "gui/resource.h"

namespace {

constexpr int kMinTrackWidth = 500;
constexpr int kMinTrackHeight = 400;
constexpr int kStatusX = 20;
constexpr int kStatusY = 125;

HWND create_control(HWND parent, const char* class_name, const char* text, DWORD style,
                    DWORD ex_style, int x, int y, int width, int height, int id) {
  return CreateWindowExA(ex_style, class_name, text, style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// The status list keeps its top-left corner and its right margin, and its
// bottom edge stays 160 pixels above the client area's bottom. The width is
// moved by the change of the client width rather than recomputed, so whatever
// margin the first layout left is kept.
void relayout_status_list(WindowState& state, LPARAM lParam) {
  const int32_t cx = LOWORD(lParam);
  const int32_t cy = HIWORD(lParam);
  RECT rect{};
  GetWindowRect(state.status_list, &rect);
  const int32_t width = (rect.right - rect.left) + (cx - state.layout_width);
  SetWindowPos(state.status_list, nullptr, kStatusX, kStatusY, width, cy - 160, 0);
  state.layout_height = cy;
  state.layout_width = cx;
}

// The state handed over as creation data, kept in the window's user data from
// WM_NCCREATE on. Null before that: WM_GETMINMAXINFO comes first.
WindowState* state_of(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  return reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

void create_controls(HWND window, WindowState& state) {
  const DWORD button = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
  state.input_list =
      create_control(window, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_HSCROLL | LBS_NOSEL,
                     WS_EX_CLIENTEDGE, 135, 25, 200, 30, ID_INPUT_NAME_LIST);
  // Input is the only tab stop, so Tab always comes back to it.
  create_control(window, "BUTTON", "Input", button | WS_TABSTOP, 0, 20, 25, 80, 25, ID_INPUT);
  create_control(window, "BUTTON", "Split", button, 0, 20, 75, 80, 25, ID_SPLIT);
  create_control(window, "BUTTON", "Help", button, 0, 135, 75, 80, 25, ID_HELP);
  create_control(window, "BUTTON", "About", button, 0, 250, 75, 80, 25, ID_ABOUT);
  create_control(window, "BUTTON", "Exit", button, 0, 365, 75, 80, 25, ID_EXIT);
  state.status_list = create_control(window, "LISTBOX", "",
                                     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                         LBS_NOSEL | LBS_NOINTEGRALHEIGHT,
                                     WS_EX_CLIENTEDGE, kStatusX, kStatusY, state.layout_width - 60,
                                     state.layout_height - 200, ID_STATUS_LIST);
  if (state.status_list != nullptr) {
    // Fixed pitch, so that 8 pixels per character is a fair horizontal extent.
    SendMessageA(state.status_list, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), 1);
  }
  RECT client{};
  GetClientRect(window, &client);
  state.layout_width = client.right;
  state.layout_height = client.bottom;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowState* state = state_of(window, message, lParam);
  if (state == nullptr && message != WM_GETMINMAXINFO) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_CREATE:
      create_controls(window, *state);
      DragAcceptFiles(window, TRUE);
      break;
    case WM_SIZE:
      // A minimised window reports a 0 x 0 client area; laying out for that
      // would leave the list mis-sized after the restore.
      if (wParam != SIZE_MINIMIZED) relayout_status_list(*state, lParam);
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = kMinTrackWidth;
      info->ptMinTrackSize.y = kMinTrackHeight;
      break;
    }
    case WM_DESTROY:
      // During a split this only books the quit: the split on the stack below
      // carries on (its list handles now lead nowhere) and closes its files.
      state->split.quit();
      break;
    case WM_COMMAND:
      if (handle_command(*state, window, wParam)) return 1;
      break;
    case WM_DROPFILES:
      take_dropped_file(*state, reinterpret_cast<HDROP>(wParam));
      break;
    case WM_QUERYENDSESSION:
      // A split cut off by the end of the session leaves files that look
      // complete and are not: refused while one runs, unless the end is
      // critical (the user chose to shut down anyway).
      if (!state->split.may_end_session((lParam & ENDSESSION_CRITICAL) != 0)) return FALSE;
      break;
    case WM_ENDSESSION:
      if (wParam) state->split.end_session();
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
