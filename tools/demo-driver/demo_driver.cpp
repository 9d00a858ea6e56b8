// Plays the user of the demo run: waits for the utility's window, presses
// Download Now, reports the status line as it changes until the download is
// complete, and closes the window. Exit code 0 when the download completed,
// 1 when it did not within the time allowed, 2 when no window appeared.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kDownloadButton = 1061;
constexpr int kStatusLine = 1065;
constexpr int kPopupMessage = 1077;

// The utility's window that carries a download button.
HWND FindUtilityWindow() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", L"Velmora Quillo")) != nullptr) {
    if (GetDlgItem(window, kDownloadButton) != nullptr && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// A message box of the utility over its window, if one is open.
HWND FindPopup() {
  HWND popup = nullptr;
  while ((popup = FindWindowExW(nullptr, popup, L"#32770", nullptr)) != nullptr) {
    if (GetDlgItem(popup, kPopupMessage) != nullptr && IsWindowVisible(popup)) return popup;
  }
  return nullptr;
}

std::wstring ItemText(HWND window, int id) {
  wchar_t text[512] = L"";
  SendMessageTimeoutW(GetDlgItem(window, id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return text;
}

void Say(const std::wstring& line) {
  std::fputws((line + L"\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 120;
  HWND window = nullptr;
  for (int i = 0; i < seconds * 10 && window == nullptr; ++i) {
    window = FindUtilityWindow();
    if (window == nullptr) Sleep(100);
  }
  if (window == nullptr) {
    Say(L"demo: the utility's window did not appear");
    return 2;
  }
  Sleep(2000);  // as a person would, look first
  Say(L"demo: pressing Download Now");
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kDownloadButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, kDownloadButton)));

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

  std::wstring last;
  bool complete = false;
  for (int i = 0; i < seconds * 10 && IsWindow(window); ++i) {
    if (answerPopup()) break;
    const std::wstring status = ItemText(window, kStatusLine);
    if (status != last && !status.empty()) Say(L"demo: " + status);
    last = status;
    if (status == L"Download Complete") {
      complete = true;
      break;
    }
    Sleep(100);
  }
  // The setup is checked and started after the completion shows.
  for (int i = 0; i < 30 && !told; ++i) {
    if (answerPopup()) complete = false;
    Sleep(100);
  }
  Say(complete ? L"demo: closing the window" : L"demo: no complete download; closing the window");
  PostMessageW(window, WM_CLOSE, 0, 0);
  return complete ? 0 : 1;
}
