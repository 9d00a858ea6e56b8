#pragma once

#include "ports/display_devices.h"
#include "ports/network.h"
#include "ports/registry.h"
#include "ports/resources.h"
#include "ports/shell.h"
#include "ports/system_info.h"
#include "ports/xml_reader.h"

namespace quillo {

// Everything the core reaches of the platform, handed around as one.
struct Ports {
  DisplayDevicePort& devices;
  RegistryPort& registry;
  SystemInfoPort& system;
  NetworkPort& network;
  ShellPort& shell;
  ResourcePort& resources;
  XmlReaderPort& xml;
};

}  // namespace quillo
