#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillo {

// One present display-class device as the device-setup functions report it.
// A property that cannot be read (absent, or too large for the 520-byte
// buffer the program reads properties into) is empty.
struct DisplayDevice {
  bool hasBusAddress = false;
  std::optional<std::wstring> hardwareId;  // first string of the hardware-ID list
  std::optional<std::wstring> description;
  std::optional<std::wstring> locationInformation;
  std::optional<std::wstring> driver;  // class GUID, backslash, instance number
};

class DisplayDevicePort {
 public:
  virtual ~DisplayDevicePort() = default;
  // The present display-class devices in enumeration order; empty when the
  // device set cannot be opened.
  virtual std::optional<std::vector<DisplayDevice>> PresentDisplayDevices() = 0;
};

}  // namespace quillo
