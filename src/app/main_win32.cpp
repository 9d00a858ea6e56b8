#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/application.h"
#include "app/run_log.h"
#include "platform/win32/win32_ports.h"

namespace {

#ifdef QUILLO_TEST_HOOKS
// Test and demo builds tell a test which way the start-up went when asked
// to; release builds have no such output.
void ReportDecision(quillo::StartupDecision::Kind kind) {
  if (GetEnvironmentVariableW(L"QUILLO_REPORT_DECISION", nullptr, 0) == 0) return;
  std::wstring name = quillo::DecisionName(kind);
  const std::string line = "startup decision: " + std::string(name.begin(), name.end()) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
#else
void ReportDecision(quillo::StartupDecision::Kind) {}
#endif

}  // namespace

// The program's entry: set up the common controls, run the start-up checks
// and act on their decision. The notice and the main windows come on top of
// this; until they exist the program ends once it has decided.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;  // all standard control classes
  InitCommonControlsEx(&controls);

  quillo::win32::DisplayDevices devices;
  quillo::win32::Registry registry;
  quillo::win32::SystemInfo system;
  quillo::win32::Network network;
  quillo::win32::Shell shell;
  quillo::win32::Resources resources;
  quillo::win32::XmlReaders xml;
  const quillo::Ports ports{devices, registry, system, network, shell, resources, xml};
  quillo::RunLog log(system);

  quillo::CQuilloUtilityApp app(ports, quillo::BuiltInEndpoints(), log);
  const quillo::StartupDecision decision = app.RunStartupChecks(quillo::StartFrom::kFirstCheck);
  ReportDecision(decision.kind);
  return 0;
}
