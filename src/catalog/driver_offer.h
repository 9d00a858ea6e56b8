#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "app/endpoints.h"
#include "app/run_state.h"
#include "catalog/driver_catalogue.h"
#include "detect/adapters.h"
#include "ports/ports.h"

namespace quillo {

// The driver package a window offers, taken from the catalogue record.
struct DriverOffer {
  std::wstring label;
  std::wstring internalVersion;
  std::wstring betaVersion;
  std::wstring fullPackageUrl;
  std::wstring fullPackageSize;
  std::wstring minimalPackageUrl;
  std::wstring minimalPackageSize;
  std::wstring dotnetPackageUrl;
  std::wstring dotnetPackageSize;
  std::wstring betaPackageUrl;
  std::wstring betaPackageSize;
  std::wstring dotnetBetaUrl;
  std::wstring dotnetBetaSize;
  std::wstring packagePath;       // request path on the driver download server
  std::wstring packageFileName;
  std::wstring localPackagePath;  // the temporary folder and the file name
  std::wstring sizeText;          // the size text without its unit
  // Megabytes. Wider than the 32 bits the size once had, so that no size
  // text the catalogue may carry wraps around.
  int64_t sizeMB = 0;
  std::wstring referrer;          // the support site; empty for the local test server
};

// "16.200.1035.1001-160303a-300154C": the version before the first dash and
// the two tags after it. Without a second dash both tags are empty.
struct VersionText {
  std::wstring version;
  std::wstring secondTag;
  std::wstring thirdTag;
};
VersionText SplitVersionText(const std::wstring& text);

// The number a version tag stands for: its digits, with each hexadecimal
// letter written as its decimal value (a = 10 ... f = 15), everything else
// dropped. Tags grow two digits per letter, so the number is kept whole
// rather than in 32 bits: tags compare by their true value, and wherever a
// tag's value fits 32 bits the comparison is the same as with 32 bits.
class TagValue {
 public:
  TagValue() = default;
  explicit TagValue(uint64_t value);
  // Decimal digits without leading zeros; "0" for zero.
  const std::string& digits() const { return digits_; }
  friend std::strong_ordering operator<=>(const TagValue& a, const TagValue& b);
  friend bool operator==(const TagValue& a, const TagValue& b) = default;

 private:
  friend TagValue VersionTagValue(const std::wstring& tag);
  std::string digits_ = "0";
};
TagValue VersionTagValue(const std::wstring& tag);

// A version text taken apart at its first two dots: "16.200.1035.1001" has
// major "16", minor "200" and sub "1035.1001". Without a dot after the first
// character there are no parts at all.
struct VersionComponents {
  std::wstring major;
  std::wstring minor;
  std::wstring sub;
};
VersionComponents SplitVersionComponents(const std::wstring& text);

// The size text of a package without its unit: the last three characters
// go, a text of one or two characters stays whole.
std::wstring SizeTextWithoutUnit(const std::wstring& size);

enum class WindowKind { kMain, kClassic };

// Compares the installed driver's version text with the offered one: major,
// minor and sub number (minors, and subs when both are there, cut to the
// shorter's length first), then the two tags. Empty when the offered driver
// is newer; otherwise the log line that says why the installed one counts as
// current. Equal versions count as current.
std::wstring InstalledDriverVerdict(const std::wstring& installed, const std::wstring& offered, WindowKind window);

// The catalogue steps of a window's initialisation: which adapter, which
// record, whether the installed driver is current, which package. The steps
// run in order; between ReadRecord and CheckVersions the window sends its
// launch event.
class DriverSelection {
 public:
  DriverSelection(WindowKind window, Ports ports, const Endpoints& endpoints, RunState& state,
                  DisplayDetector& detector);

  // The primary adapter's device and revision IDs, logged.
  void ChooseDevice(const std::vector<AdapterInfo>& vendorAdapters, const std::vector<std::wstring>& hardwareIds);

  // Reads the catalogue record for the adapter and takes it apart into the
  // offer. False (logged) when the catalogue has no record for it: the window
  // then reports the hardware as unsupported.
  bool ReadRecord(const std::wstring& cataloguePath, const std::wstring& osType, CatalogueWalk& walk);

  // Logs the versions and, unless only the basic display driver is there,
  // compares the installed driver with the offered one. True when the
  // installed driver is current (in the main window also `driverCurrent`).
  bool CheckVersions();

  // Chooses the package and works out where it comes from and goes to.
  void ChoosePackage(bool localServerMode);

  const std::wstring& deviceId() const { return deviceId_; }
  const std::wstring& revisionId() const { return revisionId_; }
  const DriverRecord& record() const { return record_; }
  const DriverOffer& offer() const { return offer_; }
  bool recordFound() const { return recordFound_; }
  bool minimalSetupOffered() const { return minimalSetupOffered_; }

 private:
  WindowKind window_;
  Ports ports_;
  const Endpoints& endpoints_;
  RunState& state_;
  DisplayDetector& detector_;
  std::wstring deviceId_;
  std::wstring revisionId_;
  DriverRecord record_;
  DriverOffer offer_;
  bool recordFound_ = false;
  bool minimalSetupOffered_ = false;
};

}  // namespace quillo
