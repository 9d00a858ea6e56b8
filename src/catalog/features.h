#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "app/endpoints.h"
#include "app/run_state.h"
#include "detect/adapters.h"
#include "ports/system_info.h"
#include "ports/xml_reader.h"

namespace quillo {

// Feature name to installer location ("host/path", or a text such as "NA"
// when there is nothing to download). The first location stored stays.
using CompatibleFeatures = std::map<std::wstring, std::wstring>;

// Matches the feature compatibility catalogue against one adapter at a time.
// Its flags outlive a call: a second adapter starts where the first left.
class FeatureReader {
 public:
  explicit FeatureReader(XmlReaderPort& xml) : xml_(xml) {}

  // Adds the adapter's features to `features`. 0 when the catalogue cannot be
  // read at all, when reading stopped at a platform that matched the
  // processor too, or whenever `features` is not empty afterwards; otherwise
  // the reader's last result (1 after a complete read, negative after an error).
  int32_t MatchFeatures(CompatibleFeatures& features, std::wstring path, std::wstring processorBrand,
                        std::wstring deviceId, std::wstring revisionId);

  bool platformMatched() const { return platformMatched_; }
  bool exactPlatform() const { return exactPlatform_; }
  bool provisionalFeatures() const { return provisionalFeatures_; }

 private:
  int32_t WalkAttributes(XmlReader& reader, const std::wstring& localName, CompatibleFeatures& features,
                         const std::wstring& processorBrand, const std::wstring& deviceId,
                         const std::wstring& revisionId);

  XmlReaderPort& xml_;
  bool platformMatched_ = false;      // the current platform matched device and revision
  bool exactPlatform_ = false;        // a platform matched device, revision and processor
  bool provisionalFeatures_ = false;  // the features held come from a platform without the processor
};

// Where one feature's installer comes from and goes to; empty when the
// catalogue gives nothing to download from the expected host.
struct FeatureInstaller {
  std::wstring location;
  std::wstring requestPath;
  std::wstring localPath;
};

// What the main window learns from the feature catalogue.
struct FeatureOffers {
  bool matched = false;  // a vendor adapter yielded features
  CompatibleFeatures features;
  FeatureInstaller rapidline;  // feature 2
  FeatureInstaller wavehand;   // feature 3
  FeatureInstaller smilekey;   // feature 4
};

// The main window's reading of the feature catalogue in the temporary
// folder: the features of the first vendor adapter that has any, their
// count and availability in `state`, and the three installers.
FeatureOffers LoadFeatureOffers(FeatureReader& reader, DisplayDetector& detector, SystemInfoPort& system,
                                const Endpoints& endpoints, RunState& state);

}  // namespace quillo
