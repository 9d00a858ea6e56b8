#include "catalog/driver_offer.h"

#include <algorithm>
#include <cwctype>

#include "catalog/decimal.h"
#include "catalog/xml_passes.h"
#include "detect/installed.h"

namespace quillo {
namespace {

// The record's names that make up the offer, with the field each fills and the
// label its log line carries.
struct RecordField {
  const wchar_t* name;
  const wchar_t* logLabel;
  std::wstring DriverOffer::*field;
};

const RecordField kRecordFields[] = {
    {L"minimalsetup", L"Minimal file is ", &DriverOffer::minimalPackageUrl},
    {L"minimalsetupsize", L"Minimal file size is ", &DriverOffer::minimalPackageSize},
    {L"file", L"file is ", &DriverOffer::fullPackageUrl},
    {L"filesize", L"filesize is ", &DriverOffer::fullPackageSize},
    {L"dotnet", L"dotnet is ", &DriverOffer::dotnetPackageUrl},
    {L"dotnetfile", L"dotnetfile is ", &DriverOffer::dotnetPackageUrl},
    {L"dotnetsize", L"dotnetsize is ", &DriverOffer::dotnetPackageSize},
    {L"label", L"label is ", &DriverOffer::label},
    {L"internal", L"internal is ", &DriverOffer::internalVersion},
    {L"beta", L"beta is ", &DriverOffer::betaVersion},
    {L"betafile", L"betafile is ", &DriverOffer::betaPackageUrl},
    {L"betafilesize", L"betafilesize is ", &DriverOffer::betaPackageSize},
    {L"dotnetbeta", L"dotnetbetafile is ", &DriverOffer::dotnetBetaUrl},
    {L"dotnetbetasize", L"dotnetbetasize is ", &DriverOffer::dotnetBetaSize},
};

const wchar_t kMajorGreater[] = L"Installed Major version is greater than Internal version. So, exiting..... ";
const wchar_t kMinorGreater[] = L"Installed Minor version is greater than Internal version. So, exiting..... ";
const wchar_t kSubGreater[] = L"Installed Sub version is greater than Internal version. So, exiting..... ";

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

void CutToShorter(std::wstring& a, std::wstring& b) {
  const size_t length = std::min(a.size(), b.size());
  a.resize(length);
  b.resize(length);
}

}  // namespace

VersionText SplitVersionText(const std::wstring& text) {
  VersionText split;
  const size_t dash = text.find(L'-');
  if (dash == std::wstring::npos || dash == 0) {
    split.version = text;
    return split;
  }
  split.version = text.substr(0, dash);
  const std::wstring tags = text.substr(dash + 1);
  const size_t second = tags.find(L'-');
  if (second == std::wstring::npos || second == 0) return split;
  split.secondTag = tags.substr(0, second);
  const std::wstring rest = tags.substr(second + 1);
  const size_t third = rest.find(L'-');
  split.thirdTag = third == std::wstring::npos || third == 0 ? rest : rest.substr(0, third);
  return split;
}

TagValue::TagValue(uint64_t value) : digits_(std::to_string(value)) {}

std::strong_ordering operator<=>(const TagValue& a, const TagValue& b) {
  if (a.digits_.size() != b.digits_.size()) return a.digits_.size() <=> b.digits_.size();
  return a.digits_.compare(b.digits_) <=> 0;
}

TagValue VersionTagValue(const std::wstring& tag) {
  std::string digits;
  for (wchar_t c : tag) {
    if (c >= L'0' && c <= L'9') {
      digits += static_cast<char>(c);
    } else if (c >= L'a' && c <= L'f') {
      digits += std::to_string(c - L'a' + 10);
    } else if (c >= L'A' && c <= L'F') {
      digits += std::to_string(c - L'A' + 10);
    }
  }
  TagValue value;
  const size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos) value.digits_ = digits.substr(first);
  return value;
}

VersionComponents SplitVersionComponents(const std::wstring& text) {
  VersionComponents parts;
  const size_t dot = text.find(L'.');
  if (dot == std::wstring::npos || dot == 0) return parts;
  parts.major = text.substr(0, dot);
  const std::wstring rest = text.substr(dot + 1);
  const size_t second = rest.find(L'.');
  if (second == std::wstring::npos || second == 0) {
    parts.minor = rest;
  } else {
    parts.minor = rest.substr(0, second);
    parts.sub = rest.substr(second + 1);
  }
  return parts;
}

std::wstring SizeTextWithoutUnit(const std::wstring& size) {
  if (size.size() <= 2) return size;
  return size.substr(0, size.size() - 3);
}

std::wstring InstalledDriverVerdict(const std::wstring& installed, const std::wstring& offered, WindowKind window) {
  VersionComponents have = SplitVersionComponents(installed);
  VersionComponents want = SplitVersionComponents(offered);
  CutToShorter(have.minor, want.minor);
  if (!have.sub.empty() && !want.sub.empty()) CutToShorter(have.sub, want.sub);
  const VersionText haveTags = SplitVersionText(installed);
  const VersionText wantTags = SplitVersionText(offered);

  struct Step {
    std::strong_ordering order;
    const wchar_t* verdict;
  };
  const Step steps[] = {
      {DecimalInt32(have.major) <=> DecimalInt32(want.major), kMajorGreater},
      {DecimalInt32(have.minor) <=> DecimalInt32(want.minor), kMinorGreater},
      {DecimalInt32(have.sub) <=> DecimalInt32(want.sub), window == WindowKind::kMain ? kMinorGreater : kMajorGreater},
      {VersionTagValue(haveTags.secondTag) <=> VersionTagValue(wantTags.secondTag), kMinorGreater},
  };
  for (const Step& step : steps) {
    if (step.order > 0) return step.verdict;
    if (step.order < 0) return std::wstring();
  }
  // The last step counts an equal tag as current too.
  if (VersionTagValue(haveTags.thirdTag) >= VersionTagValue(wantTags.thirdTag)) return kSubGreater;
  return std::wstring();
}

DriverSelection::DriverSelection(WindowKind window, Ports ports, const Endpoints& endpoints, RunState& state,
                                 DisplayDetector& detector)
    : window_(window), ports_(ports), endpoints_(endpoints), state_(state), detector_(detector) {}

void DriverSelection::ChooseDevice(const std::vector<AdapterInfo>& vendorAdapters,
                                   const std::vector<std::wstring>& hardwareIds) {
  const PrimaryRule rule = detector_.SelectPrimaryAdapter(vendorAdapters, hardwareIds, deviceId_, revisionId_);
  if (rule == PrimaryRule::kNone) return;
  const wchar_t* label = rule == PrimaryRule::kFallback ? L"Primary Card(HWE) is " : L"Primary Card is ";
  detector_.WriteLog(label + deviceId_ + L"\r\n" + L"revision id is " + revisionId_ + L"\r\n");
}

bool DriverSelection::ReadRecord(const std::wstring& cataloguePath, const std::wstring& osType,
                                 CatalogueWalk& walk) {
  ParseDriverCatalogue(ports_.xml, walk, record_, cataloguePath, deviceId_, revisionId_, osType);

  for (const auto& [key, value] : record_) {
    const std::wstring name = Lower(key);
    std::wstring entry;
    for (const RecordField& field : kRecordFields) {
      if (name != field.name) continue;
      offer_.*field.field = value;
      entry += field.logLabel + value + L"\r\n";
      if (name == L"minimalsetup") minimalSetupOffered_ = true;
      if (name == L"label") recordFound_ = true;
    }
    detector_.WriteLog(entry);
  }
  if (window_ == WindowKind::kMain) {
    if (recordFound_) state_.recordFound = true;
    if (minimalSetupOffered_) state_.minimalSetupOffered = true;
  }

  if (!recordFound_) {
    detector_.WriteLog(L"Display Card in the machine is not found in XML file and returning..\r\n");
    return false;
  }
  return true;
}

bool DriverSelection::CheckVersions() {
  auto logVersion = [this](const wchar_t* label, const std::wstring& text) {
    const VersionText split = SplitVersionText(text);
    detector_.WriteLog(label + split.version + L"\r\n" + split.secondTag + L"\r\n" + split.thirdTag + L"\r\n");
  };
  if (!offer_.internalVersion.empty()) logVersion(L"Internal Version is ", offer_.internalVersion);
  if (!offer_.betaVersion.empty()) {
    logVersion(L"Beta Version is ", offer_.betaVersion);
  } else {
    detector_.WriteLog(L"Beta Version is not available \r\n");
  }

  std::wstring installed;
  std::wstring driverKey;
  if (GetDriverKey(ports_.devices, driverKey, deviceId_) &&
      ReadReleaseVersion(ports_.registry, driverKey, installed)) {
    logVersion(L"Installed version is ", installed);
  } else {
    installed.clear();
  }

  if (IsBasicDriverPresent(ports_.devices, detector_, deviceId_)) return false;
  detector_.WriteLog(L"Version Check to be done as system has some installed driver.... \r\n");

  const std::wstring verdict = InstalledDriverVerdict(installed, offer_.internalVersion, window_);
  if (verdict.empty()) return false;

  detector_.WriteLog(verdict + L"\r\n");
  if (window_ == WindowKind::kMain) state_.driverCurrent = true;
  return true;
}

void DriverSelection::ChoosePackage(bool localServerMode) {
  const std::wstring plain = L"http://" + endpoints_.downloadServer + L"/";
  const std::wstring secure = L"https://" + endpoints_.downloadServer + L"/";
  auto onDownloadServer = [&](const std::wstring& url) {
    return url.find(plain) != std::wstring::npos || url.find(secure) != std::wstring::npos;
  };

  std::wstring chosen;
  auto choose = [&](const std::wstring& url, const std::wstring& size) {
    chosen = url;
    if (!size.empty()) offer_.sizeText = SizeTextWithoutUnit(size);
  };
  if (minimalSetupOffered_) {
    choose(offer_.minimalPackageUrl, offer_.minimalPackageSize);
  } else if (state_.netFrameworkRequired) {
    choose(offer_.fullPackageUrl, offer_.fullPackageSize);
  } else if (onDownloadServer(offer_.dotnetPackageUrl)) {
    choose(offer_.dotnetPackageUrl, offer_.dotnetPackageSize);
  }
  if (chosen.empty()) choose(offer_.fullPackageUrl, offer_.fullPackageSize);

  // The server's prefix is taken to stand at the front wherever it was found.
  if (chosen.find(plain) != std::wstring::npos) {
    offer_.packagePath = chosen.substr(plain.size());
  } else if (chosen.find(secure) != std::wstring::npos) {
    offer_.packagePath = chosen.substr(secure.size());
  } else {
    offer_.packagePath = chosen;
  }
  const size_t slash = offer_.packagePath.rfind(L'/');
  offer_.packageFileName =
      slash == std::wstring::npos || slash == 0 ? offer_.packagePath : offer_.packagePath.substr(slash + 1);
  offer_.localPackagePath = ports_.system.TempPath() + offer_.packageFileName;
  detector_.WriteLog(L"Downloading the file to " + offer_.localPackagePath + L"\r\n" +
                     L"File to be downloaded from server is " + offer_.packagePath + L"\r\n");

  offer_.referrer = localServerMode ? std::wstring() : L"http://" + endpoints_.supportServer;
  offer_.sizeMB = DecimalInt64(offer_.sizeText);
}

}  // namespace quillo
