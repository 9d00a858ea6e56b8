#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "catalog/driver_catalogue.h"
#include "catalog/driver_offer.h"
#include "catalog/features.h"
#include "catalog/xml_passes.h"
#include "detect/adapters.h"
#include "ports/files.h"
#include "ports/ports.h"
#include "usage/usage_events.h"

namespace quillo {

// The notice a window shows during its initialisation: the one that ends the
// process, or the sectioned window's word that the driver is current.
struct NoticeExit {
  std::wstring message;
  std::wstring graphicsText;
  friend bool operator==(const NoticeExit&, const NoticeExit&) = default;
};

// What a main window shows once it is initialised.
struct WindowTexts {
  std::wstring languageCode;
  // Texts for labels, titles and the chipset link, by control; a control
  // without an entry keeps its template text.
  std::vector<std::pair<int, std::wstring>> controlTexts;
  std::wstring driverCurrent;     // IDS_DRIVER_ALREADY_EXISTS (127)
  std::wstring cancelled;         // IDS_DWLD_CANCELLED (137)
  std::wstring noHardware;        // IDS_NO_HW (144)
  std::wstring noConnection;      // IDS_NO_INET (146)
  std::wstring downloadComplete;  // IDS_DWNLD_CMP (147)
  std::wstring notVerified;       // IDS_NOT_VERIFIED (148)
  std::wstring targetLine;        // 142 with the suite's name and the folder
  // The four value boxes and the graphics box's tooltip.
  std::wstring graphics, processor, driver, system;
  std::wstring graphicsTip;
  std::wstring labelValue;        // the driver record's label
};

// The chipset link's text: the caption's first "%s" becomes the link to the
// support site's chipset page; empty when the caption has no "%s".
std::wstring ChipsetLinkText(const std::wstring& caption, const Endpoints& endpoints);
// The target line: the caption's first "%s" becomes `suite`, the second the
// folder without its trailing backslash.
std::wstring TargetLineText(const std::wstring& caption, const std::wstring& suite, const std::wstring& tempFolder);
// The driver box: the part of the package path after its last "/", when
// that "/" is not the first character.
std::wstring PackageBoxText(const std::wstring& packagePath);

// Removes a working file of the temporary folder; a missing file counts as removed.
bool DeleteTempFile(FilePort& files, const std::wstring& path);

// The deciding steps of a main window's initialisation, in the order the
// window runs them around its own (title bar, fonts, timer, controls). The
// sectioned window (WindowKind::kMain) and the classic one share them; where
// they differ is said in one place of the implementation.
class WindowSetup {
 public:
  WindowSetup(WindowKind window, Ports ports, FilePort& files, const Endpoints& endpoints, RunLog& log,
              RunState& state, UsageReporter& usage);

  // The caption table of the user's language, then the connection probe.
  // Empty when the window may go on; otherwise the notice to show.
  std::optional<NoticeExit> LoadCaptionsAndProbe();

  // The run log, the driver catalogue, the detection, the captions, the
  // driver selection, the four boxes, the sectioned window's features, and
  // the removal of the working files. Empty when the window may go on;
  // otherwise the notice that ends the process.
  std::optional<NoticeExit> Prepare();

  // The sectioned window's notice that the installed driver is current: it
  // shows it and opens with Download Now disabled.
  const std::optional<NoticeExit>& driverCurrentNotice() const { return driverCurrentNotice_; }

  const WindowTexts& texts() const { return texts_; }
  const DriverOffer& offer() const { return selection_.offer(); }
  bool minimalSetupOffered() const { return selection_.minimalSetupOffered(); }
  const CatalogueSource& source() const { return source_; }
  // The sectioned window's feature applications and their installers.
  const FeatureOffers& features() const { return features_; }
  DisplayDetector& detector() { return detector_; }

 private:
  bool sectioned() const { return window_ == WindowKind::kMain; }
  void TakeCaptions();

  WindowKind window_;
  Ports ports_;
  FilePort& files_;
  const Endpoints& endpoints_;
  RunLog& log_;
  RunState& state_;
  UsageReporter& usage_;
  DisplayDetector detector_;
  DriverSelection selection_;
  CatalogueSource source_;
  std::wstring captionTablePath_;
  CaptionMap captions_;
  WindowTexts texts_;
  FeatureOffers features_;
  std::optional<NoticeExit> driverCurrentNotice_;
};

}  // namespace quillo
