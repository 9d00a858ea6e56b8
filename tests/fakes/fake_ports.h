#pragma once

// In-memory stand-ins for the platform ports, for tests of the core. Each
// behaves like its Win32 adapter for the cases the core relies on.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ports/display_devices.h"
#include "ports/files.h"
#include "ports/network.h"
#include "ports/registry.h"
#include "ports/resources.h"
#include "ports/shell.h"
#include "ports/ports.h"
#include "ports/system_info.h"

namespace quillo::fakes {

class FakeDisplayDevices final : public DisplayDevicePort {
 public:
  // Empty: the device set cannot be opened.
  std::optional<std::vector<DisplayDevice>> devices = std::vector<DisplayDevice>{};

  std::optional<std::vector<DisplayDevice>> PresentDisplayDevices() override { return devices; }
};

// Keys and values under HKLM. Paths and names compare without regard to case;
// subkeys enumerate in name order and values in the order they were set, as
// the system does.
class FakeRegistry final : public RegistryPort {
 public:
  void AddKey(const std::wstring& path);
  void SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value);
  void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    SetValue(path, name, RegistryValue::String(text));
  }
  // Opening `path` with `access` fails from now on, as it does for a process without the right.
  void Deny(const std::wstring& path, KeyAccess access);

  std::optional<RegistryNames> SubkeyNames(const std::wstring& path, KeyAccess access,
                                           size_t nameBufferChars) override;
  std::optional<RegistryNames> ValueNames(const std::wstring& path, KeyAccess access,
                                          size_t nameBufferChars) override;
  std::optional<RegistryValue> ReadValue(const std::wstring& path, const std::wstring& name, KeyAccess access,
                                         size_t maxBytes) override;

 private:
  struct Key {
    std::vector<std::pair<std::wstring, RegistryValue>> values;
    std::set<KeyAccess> denied;
  };
  Key* Open(const std::wstring& path, KeyAccess access);

  std::map<std::wstring, Key> keys_;  // by lower-case path
  std::map<std::wstring, std::wstring> spelling_;  // lower-case path -> path as added
};

class FakeSystemInfo final : public SystemInfoPort {
 public:
  std::optional<WindowsVersion> version = WindowsVersion{10, 0, 19045};
  bool wow64 = true;
  std::map<uint32_t, CpuidRegisters> cpuid;  // leaves not listed answer zeros
  uint16_t uiLanguage = 0x0409;
  std::wstring tempPath = L"C:\\Users\\user\\AppData\\Local\\Temp\\";
  LocalTime now{2026, 12, 9, 12, 0, 0, 0};
  uint32_t tickCount = 0;

  std::optional<WindowsVersion> Version() override { return version; }
  bool IsWow64() override { return wow64; }
  CpuidRegisters Cpuid(uint32_t leaf) override;
  uint16_t UserDefaultUiLanguage() override { return uiLanguage; }
  std::wstring TempPath() override { return tempPath; }
  LocalTime Now() override { return now; }
  uint32_t TickCount() override { return tickCount; }
  // ASCII passes; everything else becomes '?', the default character of the Western code pages.
  std::string ToAnsi(const std::wstring& text) override;
};

// A scripted server: each request path answers with its response; every
// request is recorded with the headers added to it.
class FakeNetwork final : public NetworkPort {
 public:
  struct Response {
    uint32_t status = 200;
    std::string body;
    // A body too large to hold: this many bytes of PackageByte(offset) in place of `body`.
    std::optional<uint64_t> generatedLength;
    bool sendContentLength = true;
    // A package server: "Range: bytes=N-..." is answered 206 with the bytes
    // from N on, and 416 with an empty body from the end on.
    bool answersRange = false;
    // The connection drops after this many body bytes (none: never).
    std::optional<uint64_t> dropAfter;
    // The answer comes this late; a request whose time limit is shorter
    // fails to send with a time-out, as the server never answered.
    uint32_t firstByteDelayMs = 0;
  };
  struct Request {
    HttpTarget target;
    std::vector<std::wstring> headers;
    bool sent = false;
    uint64_t bodyBytesRead = 0;
  };
  // The system's code for a request that ran out of time.
  static constexpr uint32_t kTimeoutError = 12002;
  static char PackageByte(uint64_t offset) { return static_cast<char>((offset * 131 + offset / 7919) & 0xFF); }

  std::set<std::string> reachable;               // URLs the probe reaches
  std::map<std::wstring, std::string> files;     // URL -> content for DownloadToFile
  std::map<std::wstring, Response> responses;    // request path -> response
  std::optional<std::pair<HttpStep, uint32_t>> openFailure;
  uint32_t sendError = 0;                        // nonzero: Send fails with it
  std::vector<Request> requests;
  std::vector<std::string> probes;
  std::vector<std::pair<std::wstring, std::wstring>> downloads;  // URL, file
  // Called before each body read with the request's index; a test uses it
  // to act while a download runs.
  std::function<void(size_t request)> beforeRead;

  bool CheckConnection(const std::string& url) override {
    probes.push_back(url);
    return reachable.count(url) != 0;
  }
  int32_t DownloadToFile(const std::wstring& url, const std::wstring& path) override;
  HttpOpenResult OpenRequest(const HttpTarget& target) override;
};

// Files in memory. A file may stand for a large one: `skipped` bytes that
// nobody reads back, followed by `data`.
class FakeFiles final : public FilePort {
 public:
  struct File {
    uint64_t skipped = 0;
    std::string data;
    uint64_t size() const { return skipped + data.size(); }
  };
  std::map<std::wstring, File> files;
  std::set<std::wstring> readOnly;            // opening these for writing fails
  std::optional<uint64_t> diskSpace;          // writes beyond this many bytes in all fail
  std::vector<std::pair<std::wstring, FileOpen>> opened;

  std::optional<uint64_t> FileSize(const std::wstring& path) override {
    const auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second.size();
  }
  std::unique_ptr<WritableFile> OpenForWriting(const std::wstring& path, FileOpen mode) override;
  bool RemoveFile(const std::wstring& path) override { return files.erase(path) == 1; }
};

class FakeShell final : public ShellPort {
 public:
  struct Process {
    std::wstring commandLine;
    std::wstring currentDirectory;
    bool waited = false;
  };
  std::vector<std::wstring> openedUrls;
  std::vector<Process> processes;
  std::vector<std::wstring> createdFolders;
  std::set<std::wstring> mutexes;  // held by another copy or this one
  bool processStartFails = false;
  uint32_t exitCode = 0;

  bool OpenUrl(const std::wstring& url) override {
    openedUrls.push_back(url);
    return true;
  }
  std::optional<uint32_t> StartProcess(const std::wstring& commandLine, const std::wstring& currentDirectory,
                                       bool waitForExit) override;
  int32_t CreateFolders(const std::wstring& path) override {
    createdFolders.push_back(path);
    return 0;
  }
  uint32_t RegisterMessage(const std::wstring&) override { return 0xC000; }
  MutexResult CreateNamedMutex(const std::wstring& name) override {
    return mutexes.insert(name).second ? MutexResult::kCreated : MutexResult::kAlreadyExists;
  }
};

class FakeXmlReaders final : public XmlReaderPort {
 public:
  XmlOpenResult Open(const std::wstring&, const XmlOpenOptions&) override { return XmlOpenResult{}; }
};

class FakeResources final : public ResourcePort {
 public:
  std::map<std::pair<int, std::wstring>, std::vector<uint8_t>> resources;

  std::optional<std::span<const uint8_t>> Find(int id, const std::wstring& type) override;
};

// One of each, wired together as the core expects them.
struct FakePorts {
  FakeDisplayDevices devices;
  FakeRegistry registry;
  FakeSystemInfo system;
  FakeNetwork network;
  FakeShell shell;
  FakeResources resources;
  FakeXmlReaders xml;

  Ports ports() { return Ports{devices, registry, system, network, shell, resources, xml}; }
};

}  // namespace quillo::fakes
