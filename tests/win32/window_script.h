#pragma once

// What the window tests share: the shell that records the pages it opens,
// the steps run inside a window's modal run as a person would drive it, and
// reading the window's controls and boxes back.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32_ports.h"
#include "ui/common/dialog.h"

namespace quillo::test {

inline std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
  return narrow;
}

inline std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[1024] = L"";
  GetDlgItemTextW(dialog, id, text, 1024);
  return text;
}

inline bool Visible(HWND dialog, int id) {
  return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// The real system, with the user's language and the version a test chooses.
class ChosenSystem final : public SystemInfoPort {
 public:
  std::optional<WindowsVersion> version;  // empty: the system's own
  uint16_t language = 0;                  // 0: the system's own
  std::optional<WindowsVersion> Version() override { return version ? version : real_.Version(); }
  bool IsWow64() override { return real_.IsWow64(); }
  CpuidRegisters Cpuid(uint32_t leaf) override { return real_.Cpuid(leaf); }
  uint16_t UserDefaultUiLanguage() override { return language != 0 ? language : real_.UserDefaultUiLanguage(); }
  std::wstring TempPath() override { return real_.TempPath(); }
  LocalTime Now() override { return real_.Now(); }
  uint32_t TickCount() override { return real_.TickCount(); }
  std::string ToAnsi(const std::wstring& text) override { return real_.ToAnsi(text); }

 private:
  win32::SystemInfo real_;
};

// The shell records the pages it is asked to open and starts programs for real.
class RecordingShell final : public ShellPort {
 public:
  std::vector<std::wstring> pages;
  bool OpenUrl(const std::wstring& url) override {
    pages.push_back(url);
    return true;
  }
  std::optional<uint32_t> StartProcess(const std::wstring& commandLine, const std::wstring& folder,
                                       bool wait) override {
    return real_.StartProcess(commandLine, folder, wait);
  }
  int32_t CreateFolders(const std::wstring& path) override { return real_.CreateFolders(path); }
  uint32_t RegisterMessage(const std::wstring& name) override { return real_.RegisterMessage(name); }
  MutexResult CreateNamedMutex(const std::wstring& name) override { return real_.CreateNamedMutex(name); }

 private:
  win32::Shell real_;
};

// Steps run inside the modal run, each once its condition holds; a step
// that waits too long ends the window, and the test names it.
class Script {
 public:
  struct Step {
    std::string waitingFor;
    std::function<bool()> ready;
    std::function<void()> action;
  };
  Script(ui::Dialog& window, std::vector<Step> steps) : window_(window), steps_(std::move(steps)) {
    current_ = this;
    started_ = std::chrono::steady_clock::now();
    timer_ = SetTimer(nullptr, 0, 100, &Script::Tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  // Empty when every step ran; otherwise what the script was waiting for.
  std::string stuckAt;
  bool done() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ != nullptr) current_->Advance();
  }
  void Advance() {
    if (running_ || next_ >= steps_.size()) return;
    running_ = true;  // a step's action may run a modal loop of its own
    Step& step = steps_[next_];
    if (!step.ready || step.ready()) {
      ++next_;
      started_ = std::chrono::steady_clock::now();
      if (step.action) step.action();
    } else if (std::chrono::steady_clock::now() - started_ > std::chrono::seconds(60)) {
      stuckAt = step.waitingFor;
      next_ = steps_.size();
      CloseEverything();
    }
    running_ = false;
  }
  void CloseEverything() {
    // A popup or notice of the window first, then the window.
    HWND top = GetLastActivePopup(window_.hwnd());
    if (top != nullptr && top != window_.hwnd()) PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
    window_.EndDialog(-3);
  }
  static inline Script* current_ = nullptr;
  ui::Dialog& window_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool running_ = false;
  std::chrono::steady_clock::time_point started_;
  UINT_PTR timer_ = 0;
};

// A modal box of the program shown over the window: the popup (its message
// is control 1077) or the notice (1068).
inline HWND FindBox(int messageControl) {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
    if (IsWindowVisible(box) && GetDlgItem(box, messageControl) != nullptr) return box;
  }
  return nullptr;
}

// Lets the window system deliver what was sent, then tells whether `done` holds.
inline bool Settle(const std::function<bool()>& done) {
  for (int i = 0; i < 100; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

// Saves the window as a person sees it on the X display as `name`.png, when
// the run asks for it (QUILLO_SHOTS_DIR, a Unix folder): Wine starts the
// display's own screenshot tool, which sees what the X server shows.
inline void SaveScreenshot(HWND window, const std::string& name) {
  const char* folder = std::getenv("QUILLO_SHOTS_DIR");
  if (folder == nullptr || name.empty()) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle([] { return false; });
  RECT area{};
  GetWindowRect(window, &area);
  std::string commandLine = "Z:\\usr\\bin\\import -window root -crop " + std::to_string(area.right - area.left) +
                            "x" + std::to_string(area.bottom - area.top) + "+" + std::to_string(area.left) + "+" +
                            std::to_string(area.top) + " " + folder + "/" + name + ".png";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start the screenshot tool: " << GetLastError();
    return;
  }
  // Keep the window painting while the tool reads the screen.
  Settle([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace quillo::test
