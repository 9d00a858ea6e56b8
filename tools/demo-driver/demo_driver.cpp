// Plays the user of the demo run: waits for the utility's window (the
// sectioned main window or the classic one, whichever opened), presses
// Download Now, reports the status line as the download goes on until it is
// complete, and closes the window. In the main window it then opens the
// first feature section before closing, so that the run's screenshots show
// one. Exit code 0 when the download completed, 1 when it did not within the
// time allowed (or the utility reported a problem), 2 when no window
// appeared.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kPopupMessage = 1077;

// The controls the demo uses in one of the two windows.
struct WindowControls {
  const wchar_t* name;
  int downloadButton;
  int statusLine;
  int targetLine;
  int progressBar;
  int featureToggle;  // 0: the window has no feature sections
};
constexpr WindowControls kMainWindow{L"the main window", 1011, 1014, 1013, 1012, 1019};
constexpr WindowControls kClassicWindow{L"the classic window", 1061, 1065, 1062, 1012, 0};

struct UtilityWindow {
  HWND hwnd = nullptr;
  const WindowControls* controls = nullptr;
};

// The utility's visible window, told apart by its Download Now button.
UtilityWindow FindUtilityWindow() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", L"Velmora Quillo")) != nullptr) {
    if (!IsWindowVisible(window)) continue;
    for (const WindowControls* controls : {&kMainWindow, &kClassicWindow}) {
      if (GetDlgItem(window, controls->downloadButton) != nullptr) return {window, controls};
    }
  }
  return {};
}

// A message box of the utility over its window, if one is open.
HWND FindPopup() {
  HWND popup = nullptr;
  while ((popup = FindWindowExW(nullptr, popup, L"#32770", nullptr)) != nullptr) {
    if (GetDlgItem(popup, kPopupMessage) != nullptr && IsWindowVisible(popup)) return popup;
  }
  return nullptr;
}

// The text of a control, without waiting on a window that does not answer.
std::wstring ItemText(HWND window, int id) {
  wchar_t text[512] = L"";
  HWND item = GetDlgItem(window, id);
  if (item == nullptr) return L"";
  SendMessageTimeoutW(item, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

// The progress bar as "position/maximum", or empty when it is hidden.
std::wstring Progress(HWND window, int id) {
  HWND bar = GetDlgItem(window, id);
  if (bar == nullptr || !IsWindowVisible(bar)) return L"";
  DWORD_PTR position = 0;
  DWORD_PTR maximum = 0;
  SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position);
  SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &maximum);
  return std::to_wstring(position) + L"/" + std::to_wstring(maximum);
}

void Say(const std::wstring& line) {
  std::fputws((line + L"\n").c_str(), stdout);
  std::fflush(stdout);
}

void Press(HWND window, int id) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 300;
  UtilityWindow found;
  for (int i = 0; i < seconds * 10 && found.hwnd == nullptr; ++i) {
    found = FindUtilityWindow();
    if (found.hwnd == nullptr) Sleep(100);
  }
  if (found.hwnd == nullptr) {
    Say(L"demo: the utility's window did not appear");
    return 2;
  }
  const HWND window = found.hwnd;
  const WindowControls& controls = *found.controls;
  Say(std::wstring(L"demo: ") + controls.name + L" is open");
  Sleep(2000);  // as a person would, look first
  Say(L"demo: pressing Download Now");
  Press(window, controls.downloadButton);

  // A message the utility shows ends the demo download: it is read out and acknowledged.
  bool told = false;
  auto answerPopup = [&] {
    HWND popup = FindPopup();
    if (popup == nullptr) return false;
    Say(L"demo: the utility says: " + ItemText(popup, kPopupMessage));
    PostMessageW(popup, WM_COMMAND, IDOK, 0);
    Sleep(500);
    told = true;
    return true;
  };

  // The status line changes with every piece: it is reported every two
  // seconds, and whenever the download completes.
  std::wstring target;
  std::wstring reported;
  DWORD lastReport = 0;
  bool complete = false;
  for (int i = 0; i < seconds * 10 && IsWindow(window); ++i) {
    if (answerPopup()) break;
    const std::wstring line = ItemText(window, controls.targetLine);
    if (!line.empty() && line != target) Say(L"demo: " + line);
    if (!line.empty()) target = line;
    const std::wstring status = ItemText(window, controls.statusLine);
    complete = status == L"Download Complete";
    if (!status.empty() && status != reported && (complete || GetTickCount() - lastReport >= 2000)) {
      const std::wstring bar = Progress(window, controls.progressBar);
      Say(L"demo: " + status + (bar.empty() ? L"" : L" [progress " + bar + L"]"));
      reported = status;
      lastReport = GetTickCount();
    }
    if (complete) break;
    Sleep(100);
  }
  // The setup is checked and started after the completion shows.
  for (int i = 0; i < 30 && !told; ++i) {
    if (answerPopup()) complete = false;
    Sleep(100);
  }
  if (complete && controls.featureToggle != 0 && IsWindow(window)) {
    // Opening a feature section; the run's screenshots, one every two seconds, catch it.
    Say(L"demo: opening the first feature section");
    Press(window, controls.featureToggle);
    Sleep(3000);
  }
  Say(complete ? L"demo: closing the window" : L"demo: no complete download; closing the window");
  PostMessageW(window, WM_CLOSE, 0, 0);
  return complete ? 0 : 1;
}
