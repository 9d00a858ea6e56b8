// The classic window's web page: the system's web-browser control hosted in
// a child window of a real window, navigating to the vendor server. Nothing
// renders here (the browser engine is not installed), so a navigation is
// judged by the request the server receives.

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/endpoints.h"
#include "ui/classic/web_explorer_win32.h"
#include "win32/vendor_server.h"

namespace quillo::ui {
namespace {

using test::VendorServer;

constexpr char kPageRequest[] = "GET /en-us/download/hcc?app=qlo HTTP/1.1";
constexpr UINT kPing = WM_APP + 7;
// How long a request may take to reach the server before a test gives up on it.
constexpr DWORD kRequestLimitMs = 60000;

std::wstring SupportPage() {
  return L"http://" + BuiltInEndpoints().supportServer + L"/en-us/download/hcc?app=qlo";
}

// Dispatches this thread's messages until `done` holds or `limitMs` have
// passed; whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

// Dispatches this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

// The support server's request lines from `first` on.
std::vector<std::string> SupportLinesFrom(size_t first) {
  std::vector<std::string> lines = VendorServer::RequestLines("support");
  if (first >= lines.size()) return {};
  return {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()};
}

std::string Listed(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text.empty() ? " nothing" : text;
}

// Pumps messages until the support server has received the page's request
// after its first `first` lines; fails with what it received otherwise.
testing::AssertionResult PageRequested(size_t first) {
  std::vector<std::string> lines;
  const bool seen = PumpUntil(
      [&] {
        lines = SupportLinesFrom(first);
        for (const std::string& line : lines) {
          if (line == kPageRequest) return true;
        }
        return false;
      },
      kRequestLimitMs);
  if (seen) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the support server did not receive '" << kPageRequest << "' within "
                                     << kRequestLimitMs / 1000 << " s; it received:" << Listed(lines);
}

RECT ClientRect(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  return area;
}

// Where `child` lies in its parent's client area.
RECT PlaceInParent(HWND child) {
  RECT place{};
  GetWindowRect(child, &place);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

testing::AssertionResult Fills(HWND control, HWND host) {
  if (control == nullptr) return testing::AssertionFailure() << "the host holds no control window";
  const RECT place = PlaceInParent(control);
  const RECT area = ClientRect(host);
  if (EqualRect(&place, &area)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the control lies at (" << place.left << "," << place.top << ")-("
                                     << place.right << "," << place.bottom << "), the host's client area is (0,0)-("
                                     << area.right << "," << area.bottom << ")";
}

int CountChildren(HWND window) {
  int count = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) ++count;
  return count;
}

// The thread's visible top-level windows other than `own`: a dialog the page raised.
struct WindowSearch {
  HWND own;
  std::vector<HWND> found;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  if (window != search->own && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> OtherVisibleWindows(HWND own) {
  WindowSearch search{own, {}};
  EnumThreadWindows(GetCurrentThreadId(), NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A real top-level window with a child that hosts the page, where the
// classic window's placeholder lies, on a thread that has initialised OLE as
// the program's entry does. The vendor server starts each test without fault
// switches.
class BrowserTest : public testing::Test {
 protected:
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
      ++pings_;
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    oleInitialised_ = true;
    ASSERT_TRUE(VendorServer::SetFaults(""));
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"QuilloBrowserTestFrame";
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&frameClass);  // fails harmlessly once registered
    frame_ = CreateWindowExW(0, L"QuilloBrowserTestFrame", L"Browser test", WS_OVERLAPPEDWINDOW, 40, 40, 600, 500,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(frame_, nullptr);
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 3, 185, 331, 205, frame_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(1064)), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    ShowWindow(frame_, SW_SHOW);
    UpdateWindow(frame_);
    pings_ = 0;
  }

  void TearDown() override {
    if (frame_ != nullptr) DestroyWindow(frame_);
    PumpFor(100);
    EXPECT_EQ(CWeb_explorer::SitesAlive(), 0) << "a control still holds its container site";
    if (oleInitialised_) OleUninitialize();
    EXPECT_TRUE(VendorServer::SetFaults(""));
  }

  // Posts the frame a message and pumps until it has been handled.
  testing::AssertionResult Answers() {
    const int expected = pings_ + 1;
    PostMessageW(frame_, kPing, 0, 0);
    if (PumpUntil([&] { return pings_ >= expected; }, kRequestLimitMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "a message posted to the window was not handled within "
                                       << kRequestLimitMs / 1000 << " s";
  }

  static size_t SupportLineCount() { return VendorServer::RequestLines("support").size(); }

  HWND frame_ = nullptr;
  HWND host_ = nullptr;
  bool oleInitialised_ = false;
  static inline int pings_ = 0;
};

TEST_F(BrowserTest, LoadsTheSupportPageAndFillsItsHostAsTheHostChanges) {
  const size_t before = SupportLineCount();
  {
    CWeb_explorer browser;
    ASSERT_TRUE(browser.Create(host_));
    EXPECT_EQ(browser.hwnd(), host_);
    EXPECT_EQ(CountChildren(host_), 1);
    EXPECT_EQ(CWeb_explorer::SitesAlive(), 1);
    EXPECT_TRUE(Fills(GetWindow(host_, GW_CHILD), host_));

    EXPECT_TRUE(browser.SetSilent(true));
    ASSERT_TRUE(browser.Navigate(SupportPage()));
    ASSERT_TRUE(PageRequested(before));
    EXPECT_EQ(SupportLinesFrom(before), std::vector<std::string>{kPageRequest}) << "one request, for the page";

    // Larger, then smaller than it started: the control follows each time.
    for (const SIZE size : {SIZE{520, 300}, SIZE{200, 90}}) {
      SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
      SetWindowPos(host_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      PumpFor(100);
      EXPECT_EQ(ClientRect(host_).right, size.cx);
      EXPECT_TRUE(Fills(GetWindow(host_, GW_CHILD), host_));
    }
    EXPECT_TRUE(Answers());

    browser.Destroy();
    EXPECT_EQ(browser.hwnd(), nullptr);
    EXPECT_EQ(CountChildren(host_), 0) << "the control's windows went with it";
    EXPECT_EQ(CWeb_explorer::SitesAlive(), 0) << "the control let go of its site";
    browser.Destroy();
    EXPECT_FALSE(browser.Navigate(SupportPage()));
    EXPECT_FALSE(browser.SetSilent(true));
  }
  // The host outlives the browser and hears nothing more from it.
  SetWindowPos(host_, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(Answers());
  EXPECT_TRUE(DestroyWindow(frame_));
  frame_ = nullptr;
  PumpFor(200);
}

TEST_F(BrowserTest, StaysResponsiveWhileThePageNeverLoadsAndLoadsItOnceTheServerIsBack) {
  ASSERT_TRUE(VendorServer::SetFaults("support * refuse"));
  CWeb_explorer browser;
  ASSERT_TRUE(browser.Create(host_));
  EXPECT_TRUE(browser.SetSilent(true));
  const size_t before = SupportLineCount();
  ASSERT_TRUE(browser.Navigate(SupportPage()));
  EXPECT_TRUE(Answers());
  // Long enough for the refused connection to be tried and given up; the
  // window keeps answering, and no dialog comes up over it.
  PumpFor(3000);
  EXPECT_TRUE(Answers());
  EXPECT_TRUE(OtherVisibleWindows(frame_).empty()) << "a window came up while the page failed to load";
  EXPECT_TRUE(IsWindow(GetWindow(host_, GW_CHILD)));
  EXPECT_EQ(SupportLinesFrom(before), std::vector<std::string>{}) << "the refusing server received a request";

  ASSERT_TRUE(VendorServer::SetFaults(""));
  const size_t again = SupportLineCount();
  ASSERT_TRUE(browser.Navigate(SupportPage()));
  EXPECT_TRUE(PageRequested(again));
}

TEST_F(BrowserTest, LetsGoOfTheControlWhileThePageIsStillArriving) {
  // The page trickles in over about four seconds.
  ASSERT_TRUE(VendorServer::SetFaults("support /en-us/download/hcc rate 40"));
  const size_t before = SupportLineCount();
  CWeb_explorer browser;
  ASSERT_TRUE(browser.Create(host_));
  EXPECT_TRUE(browser.SetSilent(true));
  ASSERT_TRUE(browser.Navigate(SupportPage()));
  ASSERT_TRUE(PageRequested(before));
  browser.Destroy();
  EXPECT_EQ(CountChildren(host_), 0);
  EXPECT_EQ(CWeb_explorer::SitesAlive(), 0) << "the control let go of its site at once";
  // The rest of the page arrives, or the transfer ends, with nobody left to take it.
  PumpFor(6000);
  EXPECT_TRUE(Answers());
  browser.Destroy();
}

TEST_F(BrowserTest, GoesWithItsWindow) {
  const size_t before = SupportLineCount();
  CWeb_explorer browser;
  ASSERT_TRUE(browser.Create(host_));
  ASSERT_TRUE(browser.Navigate(SupportPage()));
  ASSERT_TRUE(PageRequested(before));
  EXPECT_TRUE(DestroyWindow(frame_));
  frame_ = nullptr;
  EXPECT_EQ(browser.hwnd(), nullptr) << "the browser let go of its host as the host went";
  EXPECT_EQ(CWeb_explorer::SitesAlive(), 0);
  EXPECT_FALSE(browser.Navigate(SupportPage()));
  PumpFor(200);
  browser.Destroy();
}

TEST_F(BrowserTest, HostsOneControlAtATimeAndRefusesWhatIsNoWindow) {
  CWeb_explorer browser;
  EXPECT_EQ(browser.hwnd(), nullptr);
  EXPECT_FALSE(browser.Navigate(SupportPage())) << "nothing hosted yet";
  EXPECT_FALSE(browser.SetSilent(true));
  EXPECT_FALSE(browser.Create(nullptr));

  // Hosted again in the same window, then moved to another: one control, in the last host.
  ASSERT_TRUE(browser.Create(host_));
  ASSERT_TRUE(browser.Create(host_));
  EXPECT_EQ(CountChildren(host_), 1);
  EXPECT_EQ(CWeb_explorer::SitesAlive(), 1) << "the first control's site was let go";
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 340, 10, 200, 150, frame_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(browser.Create(other));
  EXPECT_EQ(browser.hwnd(), other);
  EXPECT_EQ(CountChildren(host_), 0);
  EXPECT_EQ(CountChildren(other), 1);
  EXPECT_TRUE(Fills(GetWindow(other, GW_CHILD), other));

  // A window that is gone hosts nothing, and the control hosted before is released.
  DestroyWindow(host_);
  EXPECT_FALSE(browser.Create(host_));
  EXPECT_EQ(browser.hwnd(), nullptr);
  EXPECT_EQ(CountChildren(other), 0);
}

}  // namespace
}  // namespace quillo::ui
