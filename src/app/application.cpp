#include "app/application.h"

#include "detect/system.h"

namespace quillo {
namespace {

using Kind = StartupDecision::Kind;

StartupDecision Decide(Kind kind) {
  StartupDecision decision;
  decision.kind = kind;
  return decision;
}

}  // namespace

const wchar_t* DecisionName(Kind kind) {
  switch (kind) {
    case Kind::kEndSilently:
      return L"EndSilently";
    case Kind::kAppleNotice:
      return L"AppleNotice";
    case Kind::kDefaultNotice:
      return L"DefaultNotice";
    case Kind::kConnectionNotice:
      return L"ConnectionNotice";
    case Kind::kOpenMainWindow:
      break;
  }
  return L"OpenMainWindow";
}

CQuilloUtilityApp::CQuilloUtilityApp(Ports ports, const Endpoints& endpoints, RunLog& log)
    : ports_(ports), endpoints_(endpoints), detector_(ports.devices, ports.registry, log) {}

StartupDecision CQuilloUtilityApp::RunStartupChecks(StartFrom from) {
  if (from == StartFrom::kFirstCheck) {
    registeredMessage_ = ports_.shell.RegisterMessage(L"QuilloUtility");
    if (ports_.shell.CreateNamedMutex(L"QuilloUtility") != MutexResult::kCreated) return Decide(Kind::kEndSilently);
    if (IsAppleHardware()) return Decide(Kind::kAppleNotice);
  }
  if (!HasVendorAdapter()) return Decide(Kind::kDefaultNotice);

  SystemInfoPort& system = ports_.system;
  if (IsOlderThanWindows2000(system) || IsWindowsXP(system) || IsWindowsVista(system)) {
    return Decide(Kind::kDefaultNotice);
  }
  if (!IsWindows7OrLater(system)) return Decide(Kind::kEndSilently);

  if (!CheckInternetConnection()) return Decide(Kind::kConnectionNotice);
  if (!DownloadFeatureCatalogue()) return Decide(Kind::kConnectionNotice);

  StartupDecision decision = Decide(Kind::kOpenMainWindow);
  GetProcessorBrand(system, decision.processorBrand);
  std::vector<AdapterInfo> others;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  detector_.DetectAdapters(decision.vendorAdapters, others, otherDescription, hardwareIds);
  decision.featureCataloguePath = featureCataloguePath_;
  return decision;
}

bool CQuilloUtilityApp::IsAppleHardware() {
  const auto devices = ports_.devices.PresentDisplayDevices();
  bool apple = false;
  for (const DisplayDevice& device : devices.value_or(std::vector<DisplayDevice>{})) {
    if (!device.hasBusAddress || !device.hardwareId || device.hardwareId->empty() ||
        device.hardwareId->find(L"PCI\\VEN_") == std::wstring::npos) {
      continue;
    }
    AdapterInfo adapter;
    ParseHardwareId(*device.hardwareId, adapter);
    if (adapter.subsystemVendorId == L"106B") apple = true;
  }
  return apple;
}

bool CQuilloUtilityApp::HasVendorAdapter() {
  std::vector<AdapterInfo> vendorAdapters;
  std::vector<AdapterInfo> others;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  detector_.DetectAdapters(vendorAdapters, others, otherDescription, hardwareIds);
  return !vendorAdapters.empty();
}

bool CQuilloUtilityApp::CheckInternetConnection() {
  return VendorWebSiteReachable(ports_.network, endpoints_);
}

bool CQuilloUtilityApp::DownloadFeatureCatalogue() {
  featureCataloguePath_ = ports_.system.TempPath() + L"CompatibleFeatures.xml";
  const std::wstring url = L"https://" + endpoints_.supportServer + L"/drivers/xml/compatible_features.xml";
  return ports_.network.DownloadToFile(url, featureCataloguePath_) == 0;
}

MainWindowKind ChooseMainWindow(FeatureReader& reader, const StartupDecision& decision, CompatibleFeatures& features) {
  for (const AdapterInfo& adapter : decision.vendorAdapters) {
    if (reader.MatchFeatures(features, decision.featureCataloguePath, decision.processorBrand, adapter.deviceId,
                             adapter.revisionId) == 0) {
      break;
    }
  }
  return features.empty() ? MainWindowKind::kClassic : MainWindowKind::kSectioned;
}

}  // namespace quillo
