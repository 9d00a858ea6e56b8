#pragma once

// The ports implemented on the Win32 API. Only the Windows build compiles
// these; the core sees them through the port interfaces.

#include <windows.h>

#include "ports/display_devices.h"
#include "ports/files.h"
#include "ports/network.h"
#include "ports/registry.h"
#include "ports/resources.h"
#include "ports/shell.h"
#include "ports/signature.h"
#include "ports/system_info.h"
#include "ports/xml_reader.h"

namespace quillo::win32 {

class DisplayDevices final : public DisplayDevicePort {
 public:
  std::optional<std::vector<DisplayDevice>> PresentDisplayDevices() override;
};

class Registry final : public RegistryPort {
 public:
  std::optional<RegistryNames> SubkeyNames(const std::wstring& path, KeyAccess access,
                                           size_t nameBufferChars) override;
  std::optional<RegistryNames> ValueNames(const std::wstring& path, KeyAccess access,
                                          size_t nameBufferChars) override;
  std::optional<RegistryValue> ReadValue(const std::wstring& path, const std::wstring& name, KeyAccess access,
                                         size_t maxBytes) override;
};

class SystemInfo final : public SystemInfoPort {
 public:
  std::optional<WindowsVersion> Version() override;
  bool IsWow64() override;
  CpuidRegisters Cpuid(uint32_t leaf) override;
  uint16_t UserDefaultUiLanguage() override;
  std::wstring TempPath() override;
  LocalTime Now() override;
  uint32_t TickCount() override;
  std::string ToAnsi(const std::wstring& text) override;
};

class Network final : public NetworkPort {
 public:
  bool CheckConnection(const std::string& url) override;
  int32_t DownloadToFile(const std::wstring& url, const std::wstring& path) override;
  HttpOpenResult OpenRequest(const HttpTarget& target) override;
};

class Files final : public FilePort {
 public:
  std::optional<uint64_t> FileSize(const std::wstring& path) override;
  std::unique_ptr<WritableFile> OpenForWriting(const std::wstring& path, FileOpen mode) override;
  bool RemoveFile(const std::wstring& path) override;
};

class Shell final : public ShellPort {
 public:
  bool OpenUrl(const std::wstring& url) override;
  std::optional<uint32_t> StartProcess(const std::wstring& commandLine, const std::wstring& currentDirectory,
                                       bool waitForExit) override;
  int32_t CreateFolders(const std::wstring& path) override;
  uint32_t RegisterMessage(const std::wstring& name) override;
  MutexResult CreateNamedMutex(const std::wstring& name) override;
};

// The resources of a loaded module: the program's own by default.
class Resources final : public ResourcePort {
 public:
  explicit Resources(HMODULE module = nullptr) : module_(module) {}
  std::optional<std::span<const uint8_t>> Find(int id, const std::wstring& type) override;

 private:
  HMODULE module_;
};

class Signature final : public SignaturePort {
 public:
  SignatureCheck Check(const std::wstring& path) override;
};

class XmlReaders final : public XmlReaderPort {
 public:
  XmlOpenResult Open(const std::wstring& path, const XmlOpenOptions& options) override;
};

}  // namespace quillo::win32
