#include "gui/application.h"

#include <commctrl.h>
#include <shellapi.h>

#include "gui/main_window.h"

Application::Application(HINSTANCE instance_handle) : instance(instance_handle) {}

bool Application::create_window() {
  // Loads the common controls the manifest asks for (version 6), so that the
  // buttons and lists are drawn in the system's current style.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSA window_class{};
  window_class.style = 0;  // no redraw-on-resize: only the status list moves
  window_class.lpfnWndProc = main_window_proc;
  window_class.hInstance = instance;
  // Found by the system's file search; when it is this program, its icon group
  // IDI_PROGRAM is at index 0. ExtractIconA answers 1 for a file that is no
  // program or icon file, which is not an icon.
  HICON icon = ExtractIconA(instance, "VARNEL.exe", 0);
  window_class.hIcon = icon == reinterpret_cast<HICON>(1) ? nullptr : icon;
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = title;
  if (RegisterClassA(&window_class) == 0) return false;

  main_window =
      CreateWindowExA(0, title, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, 0,
                      state.layout_width, state.layout_height, nullptr, nullptr, instance, &state);
  if (main_window == nullptr) return false;
  ShowWindow(main_window, SW_SHOW);
  UpdateWindow(main_window);
  return true;
}

int Application::run() {
  while (GetMessageA(&message, nullptr, 0, 0) != 0) {
    // Gives Tab and the other dialog keys their dialog meaning in the window.
    if (IsDialogMessageA(main_window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
