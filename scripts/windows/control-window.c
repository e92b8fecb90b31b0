/* A Windows program that shows a window with a line of text for two seconds
 * and writes nothing: what Wine itself writes to its prefix when any window
 * program starts is seen around it (scripts/windows/check-window). */
#include <windows.h>

static LRESULT CALLBACK Answer(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    TextOutW(dc, 10, 10, L"control", 7);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_TIMER) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous, (void)line, (void)show;
  WNDCLASSW kind = {0};
  kind.lpfnWndProc = Answer;
  kind.hInstance = instance;
  kind.lpszClassName = L"control";
  RegisterClassW(&kind);
  HWND window = CreateWindowW(L"control", L"control", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, NULL, NULL,
                              instance, NULL);
  SetTimer(window, 1, 2000, NULL);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
