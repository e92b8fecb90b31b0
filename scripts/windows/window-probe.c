/* Starts a Windows program and waits for its window: prints where the window
 * stands and at what scale, as NAME=value lines for a shell, then closes it
 * (--close) or waits until the program ends. Fails at once when the program
 * ends before its window appears (a DLL missing, say), or after SECONDS.
 * Usage: window-probe SECONDS TITLE_START PROGRAM.exe [--close]
 * Exit status: 0 when the window appeared and the program then ended with 0.
 * Used by scripts/windows/gather and check-window. */
#include <windows.h>
#include <shellscalingapi.h>
#include <stdio.h>
#include <wchar.h>

struct Search {
  DWORD process;
  const wchar_t* title;
  HWND found;
};

static BOOL CALLBACK Look(HWND window, LPARAM data) {
  struct Search* search = (struct Search*)data;
  DWORD process = 0;
  wchar_t title[256];
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != NULL) return TRUE;
  GetWindowTextW(window, title, 256);
  if (wcsncmp(title, search->title, wcslen(search->title)) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

static void Describe(HWND window) {
  RECT frame, client;
  POINT origin = {0, 0};
  MONITORINFO monitor;
  monitor.cbSize = sizeof monitor;
  UINT dpi_x = 0, dpi_y = 0;
  HMONITOR where = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  ClientToScreen(window, &origin);
  GetMonitorInfoW(where, &monitor);
  GetDpiForMonitor(where, MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y);
  printf("FRAME_LEFT=%ld\nFRAME_TOP=%ld\nFRAME_RIGHT=%ld\nFRAME_BOTTOM=%ld\n", frame.left, frame.top, frame.right,
         frame.bottom);
  printf("CLIENT_LEFT=%ld\nCLIENT_TOP=%ld\nCLIENT_WIDTH=%ld\nCLIENT_HEIGHT=%ld\n", origin.x, origin.y, client.right,
         client.bottom);
  printf("SCREEN_WIDTH=%ld\nSCREEN_HEIGHT=%ld\n", monitor.rcMonitor.right - monitor.rcMonitor.left,
         monitor.rcMonitor.bottom - monitor.rcMonitor.top);
  printf("WORK_BOTTOM=%ld\nSCREEN_DPI=%u\n", monitor.rcWork.bottom, dpi_x);
  printf("WINDOW_DPI_AWARENESS=%d\n", (int)GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window)));
  fflush(stdout);
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: window-probe SECONDS TITLE_START PROGRAM.exe [--close]\n");
    return 2;
  }
  const DWORD seconds = (DWORD)_wtoi(argv[1]);
  const int close = argc > 4 && wcscmp(argv[4], L"--close") == 0;
  /* Coordinates as the screen's own pixels, whatever the program's scale. */
  if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
    SetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE);
  }

  wchar_t folder[MAX_PATH];
  wcsncpy(folder, argv[3], MAX_PATH - 1);
  folder[MAX_PATH - 1] = L'\0';
  wchar_t* last = wcsrchr(folder, L'\\');
  if (last != NULL) *last = L'\0';
  STARTUPINFOW start;
  ZeroMemory(&start, sizeof start);
  start.cb = sizeof start;
  PROCESS_INFORMATION started;
  if (!CreateProcessW(argv[3], NULL, NULL, NULL, FALSE, 0, NULL, last != NULL ? folder : NULL, &start, &started)) {
    fprintf(stderr, "window-probe: cannot start %ls (error %lu)\n", argv[3], GetLastError());
    return 1;
  }
  struct Search search = {started.dwProcessId, argv[2], NULL};
  const ULONGLONG until = GetTickCount64() + 1000ULL * seconds;
  DWORD status = 0;
  while (search.found == NULL) {
    if (WaitForSingleObject(started.hProcess, 100) == WAIT_OBJECT_0) {
      GetExitCodeProcess(started.hProcess, &status);
      fprintf(stderr, "window-probe: %ls ended with status 0x%08lx before its window appeared\n", argv[3], status);
      return 1;
    }
    if (GetTickCount64() > until) {
      fprintf(stderr, "window-probe: no window of %ls titled \"%ls...\" within %lu s\n", argv[3], argv[2], seconds);
      TerminateProcess(started.hProcess, 1);
      return 1;
    }
    EnumWindows(Look, (LPARAM)&search);
  }
  Describe(search.found);
  if (close) {
    PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 1000 * seconds) != WAIT_OBJECT_0) {
      fprintf(stderr, "window-probe: %ls did not close\n", argv[3]);
      TerminateProcess(started.hProcess, 1);
      return 1;
    }
  } else {
    WaitForSingleObject(started.hProcess, INFINITE);
  }
  GetExitCodeProcess(started.hProcess, &status);
  if (status != 0) fprintf(stderr, "window-probe: %ls ended with status 0x%08lx\n", argv[3], status);
  return status == 0 ? 0 : 1;
}
