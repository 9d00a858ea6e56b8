#include <windows.h>
#include <commctrl.h>

// The program's entry. The start-up checks and the windows are built on top
// of this; for now the program sets up the common controls and ends.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;  // all standard control classes
  InitCommonControlsEx(&controls);
  return 0;
}
