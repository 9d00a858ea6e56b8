#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// Runs on the demo machine profile (tests/profiles/demo), which adds one
// adapter of the vendor beside the adapter Wine reports of its own.
TEST(DisplayDevicesTest, ListsTheProfilesAdapterWithItsProperties) {
  DisplayDevices port;
  const auto devices = port.PresentDisplayDevices();
  ASSERT_TRUE(devices);

  const auto vendor = std::find_if(devices->begin(), devices->end(), [](const DisplayDevice& d) {
    return d.hardwareId == L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00";
  });
  ASSERT_NE(vendor, devices->end()) << "the profile's adapter is not among " << devices->size() << " devices";
  EXPECT_TRUE(vendor->hasBusAddress);
  EXPECT_EQ(vendor->description, L"Velmora Prism 7A10 Graphics");
  EXPECT_EQ(vendor->locationInformation, L"PCI bus 1, device 0, function 0");
  EXPECT_EQ(vendor->driver, L"{4d36e968-e325-11ce-bfc1-08002be10318}\\0001");
}

TEST(DisplayDevicesTest, WinesOwnAdapterHasNoBusAddress) {
  DisplayDevices port;
  const auto devices = port.PresentDisplayDevices();
  ASSERT_TRUE(devices);
  const auto wine = std::find_if(devices->begin(), devices->end(), [](const DisplayDevice& d) {
    return d.hardwareId && d.hardwareId->starts_with(L"PCI\\VEN_0000&DEV_0000");
  });
  ASSERT_NE(wine, devices->end()) << "Wine lists an adapter of its own for the X display";
  EXPECT_FALSE(wine->hasBusAddress);
}

}  // namespace
}  // namespace quillo::win32
