#pragma once

#include <string>
#include <vector>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "catalog/features.h"
#include "detect/adapters.h"
#include "ports/ports.h"

namespace quillo {

// Where the start-up checks begin.
enum class StartFrom { kFirstCheck, kVendorAdapterCheck };

// The outcome of the start-up checks.
struct StartupDecision {
  enum class Kind { kEndSilently, kAppleNotice, kDefaultNotice, kConnectionNotice, kOpenMainWindow };
  Kind kind = Kind::kEndSilently;
  // Carried by kOpenMainWindow only.
  std::wstring processorBrand;
  std::vector<AdapterInfo> vendorAdapters;
  std::wstring featureCataloguePath;
};

// Which window a machine that passed the start-up checks gets.
enum class MainWindowKind { kSectioned, kClassic };

// Matches the feature catalogue against the vendor's adapters in list order
// until one has features (or the catalogue cannot be read): the sectioned
// window when the map then holds any feature, the classic one otherwise.
MainWindowKind ChooseMainWindow(FeatureReader& reader, const StartupDecision& decision, CompatibleFeatures& features);

// "EndSilently", "AppleNotice", ...
const wchar_t* DecisionName(StartupDecision::Kind kind);

// The application object: one per process. Its start-up checks make sure
// only one copy runs, refuse hardware and systems the utility does not serve,
// probe the connection and fetch the feature compatibility catalogue.
class CQuilloUtilityApp {
 public:
  CQuilloUtilityApp(Ports ports, const Endpoints& endpoints, RunLog& log);

  StartupDecision RunStartupChecks(StartFrom from);

  // The individual checks, each true when it holds.
  bool IsAppleHardware();
  bool HasVendorAdapter();
  bool CheckInternetConnection();
  bool DownloadFeatureCatalogue();

  const std::wstring& featureCataloguePath() const { return featureCataloguePath_; }

 private:
  Ports ports_;
  const Endpoints& endpoints_;
  uint32_t registeredMessage_ = 0;
  DisplayDetector detector_;
  std::wstring featureCataloguePath_;
};

}  // namespace quillo
