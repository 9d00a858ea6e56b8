#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/application.h"
#include "app/run_log.h"
#include "notices/error_notice.h"
#include "platform/win32/win32_ports.h"
#include "ui/classic/classic_window_win32.h"
#include "ui/main/main_window_win32.h"
#include "ui/common/error_notice_win32.h"
#include "usage/usage_events.h"

namespace {

#ifdef QUILLO_TEST_HOOKS
// Test and demo builds tell a test which way the start-up went, and end
// there before any window, when asked to; release builds have no such
// output. True when the run is to end.
bool ReportDecision(quillo::StartupDecision::Kind kind) {
  if (GetEnvironmentVariableW(L"QUILLO_REPORT_DECISION", nullptr, 0) == 0) return false;
  std::wstring name = quillo::DecisionName(kind);
  const std::string line = "startup decision: " + std::string(name.begin(), name.end()) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return true;
}
#else
bool ReportDecision(quillo::StartupDecision::Kind) { return false; }
#endif

constexpr wchar_t kConnectionMessage[] =
    L"Can\u2019t connect to Velmora web service. Please check your internet connection, then try again.";

}  // namespace

// The program's entry: set up the common controls and OLE (the classic
// window hosts a web page), run the start-up checks and act on their
// decision: a notice, or the window that fits the machine.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;  // all standard control classes
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);

  quillo::win32::DisplayDevices devices;
  quillo::win32::Registry registry;
  quillo::win32::SystemInfo system;
  quillo::win32::Network network;
  quillo::win32::Shell shell;
  quillo::win32::Resources resources;
  quillo::win32::XmlReaders xml;
  quillo::win32::Files files;
  quillo::win32::Signature signatures;
  const quillo::Ports ports{devices, registry, system, network, shell, resources, xml};
  quillo::RunLog log(system);
  quillo::NoticeState noticeState;
  quillo::RunState state;
  const quillo::Endpoints& endpoints = quillo::BuiltInEndpoints();

  // The notice in one of its start-up modes; the result of its modal run.
  auto showNotice = [&](bool appleHardware, const wchar_t* customMessage) {
    quillo::ui::ErrorNotifyUI notice(instance, ports, log, endpoints, noticeState);
    notice.appleHardwareMode = appleHardware;
    if (customMessage != nullptr) notice.SetCustomMessage(customMessage, L"");
    return notice.DoModal(nullptr);
  };

  using Kind = quillo::StartupDecision::Kind;
  quillo::CQuilloUtilityApp app(ports, endpoints, log);
  quillo::StartupDecision decision = app.RunStartupChecks(quillo::StartFrom::kFirstCheck);
  if (ReportDecision(decision.kind)) return 0;

  if (decision.kind == Kind::kAppleNotice) {
    const INT_PTR result = showNotice(true, nullptr);
    if (result == IDOK || result == IDCANCEL) return 0;
    // The notice could not be shown: go on with the checks after the Apple one.
    decision = app.RunStartupChecks(quillo::StartFrom::kVendorAdapterCheck);
  }
  switch (decision.kind) {
    case Kind::kDefaultNotice:
      showNotice(false, nullptr);
      break;
    case Kind::kConnectionNotice:
      showNotice(false, kConnectionMessage);
      ExitProcess(0);
    case Kind::kOpenMainWindow: {
      quillo::FeatureReader reader(xml);
      quillo::CompatibleFeatures features;
      const quillo::MainWindowKind kind = quillo::ChooseMainWindow(reader, decision, features);
      quillo::UsageReporter usage(network, endpoints, log);
      const quillo::ui::WindowContext context{ports, files, signatures, endpoints, log, state, usage, noticeState};
      // The run is over once the window closes: a worker still waiting on a
      // stalled connection must not keep the process alive, so the process
      // ends before the window object would wait for its workers.
      const auto runThenEnd = [](quillo::ui::Dialog& window) {
        window.DoModal(nullptr);
        ExitProcess(0);
      };
      if (kind == quillo::MainWindowKind::kSectioned) {
        quillo::ui::CQuilloUtilityDlg window(instance, context);
        runThenEnd(window);
      }
      quillo::ui::OldUIDialog window(instance, context);
      runThenEnd(window);
    }
    case Kind::kAppleNotice:
    case Kind::kEndSilently:
      break;
  }
  OleUninitialize();
  return 0;
}
