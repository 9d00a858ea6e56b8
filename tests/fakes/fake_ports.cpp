#include "fakes/fake_ports.h"

#include <algorithm>
#include <cwctype>
#include <fstream>

namespace quillo::fakes {
namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

std::wstring Parent(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

RegistryNames Fit(const std::vector<std::wstring>& names, size_t nameBufferChars) {
  RegistryNames fitted;
  for (const std::wstring& name : names) {
    if (name.size() + 1 <= nameBufferChars) {
      fitted.emplace_back(name);
    } else {
      fitted.emplace_back(std::nullopt);
    }
  }
  return fitted;
}

class FakeRequest final : public HttpRequest {
 public:
  FakeRequest(FakeNetwork& network, size_t index, const FakeNetwork::Response* response)
      : network_(network), index_(index), response_(response) {}

  bool AddHeaders(const std::wstring& headers, HeaderMode) override {
    network_.requests[index_].headers.push_back(headers);
    return true;
  }
  uint32_t Send() override {
    if (network_.sendError != 0) return network_.sendError;
    const uint32_t limit = network_.requests[index_].target.timeoutMs;
    if (response_ != nullptr && limit != 0 && response_->firstByteDelayMs > limit) {
      return FakeNetwork::kTimeoutError;
    }
    sent_ = true;
    network_.requests[index_].sent = true;
    if (response_ == nullptr) {
      status_ = 404;
      return 0;
    }
    status_ = response_->status;
    length_ = response_->generatedLength.value_or(response_->body.size());
    const std::optional<uint64_t> first = RangeStart();
    if (response_->answersRange && status_ == 200 && first) {
      if (*first >= length_) {
        status_ = 416;
        start_ = length_;
      } else {
        status_ = 206;
        start_ = *first;
      }
    }
    return 0;
  }
  std::optional<uint32_t> StatusCode() override {
    if (!sent_) return std::nullopt;
    return status_;
  }
  std::optional<std::wstring> ContentLength(size_t bufferBytes) override {
    if (!sent_ || response_ == nullptr || !response_->sendContentLength) return std::nullopt;
    const std::wstring text = std::to_wstring(length_ - start_);
    // Windows' wide characters are two bytes, whatever they are here.
    if ((text.size() + 1) * sizeof(char16_t) > bufferBytes) return std::nullopt;
    return text;
  }
  std::optional<size_t> Read(uint8_t* buffer, size_t size) override {
    if (!sent_) return std::nullopt;
    if (network_.beforeRead) network_.beforeRead(index_);
    if (response_ == nullptr) return 0;
    const uint64_t available = length_ - start_;
    const uint64_t end = std::min(available, response_->dropAfter.value_or(available));
    if (position_ >= end) {
      if (end < available) return std::nullopt;
      return 0;
    }
    const size_t count = static_cast<size_t>(std::min<uint64_t>(size, end - position_));
    const uint64_t offset = start_ + position_;
    if (response_->generatedLength) {
      for (size_t i = 0; i < count; ++i) buffer[i] = static_cast<uint8_t>(FakeNetwork::PackageByte(offset + i));
    } else {
      std::copy_n(response_->body.data() + offset, count, buffer);
    }
    position_ += count;
    network_.requests[index_].bodyBytesRead += count;
    return count;
  }

 private:
  // The first byte a "Range: bytes=N-..." header asks for.
  std::optional<uint64_t> RangeStart() const {
    for (const std::wstring& header : network_.requests[index_].headers) {
      const std::wstring prefix = L"Range: bytes=";
      if (!header.starts_with(prefix)) continue;
      const size_t dash = header.find(L'-', prefix.size());
      if (dash == std::wstring::npos || dash == prefix.size()) return std::nullopt;
      return std::stoull(header.substr(prefix.size(), dash - prefix.size()));
    }
    return std::nullopt;
  }

  FakeNetwork& network_;
  size_t index_;
  const FakeNetwork::Response* response_;
  bool sent_ = false;
  uint32_t status_ = 0;
  uint64_t length_ = 0;
  uint64_t start_ = 0;
  uint64_t position_ = 0;
};

}  // namespace

void FakeRegistry::AddKey(const std::wstring& path) {
  for (std::wstring key = path; !key.empty(); key = Parent(key)) {
    keys_.try_emplace(Lower(key));
    spelling_.try_emplace(Lower(key), key);
  }
}

void FakeRegistry::SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value) {
  AddKey(path);
  auto& values = keys_[Lower(path)].values;
  const auto existing = std::find_if(values.begin(), values.end(),
                                     [&](const auto& entry) { return Lower(entry.first) == Lower(name); });
  if (existing != values.end()) {
    existing->second = value;
  } else {
    values.emplace_back(name, value);
  }
}

void FakeRegistry::Deny(const std::wstring& path, KeyAccess access) {
  AddKey(path);
  keys_[Lower(path)].denied.insert(access);
}

FakeRegistry::Key* FakeRegistry::Open(const std::wstring& path, KeyAccess access) {
  const auto found = keys_.find(Lower(path));
  if (found == keys_.end() || found->second.denied.count(access) != 0) return nullptr;
  return &found->second;
}

std::optional<RegistryNames> FakeRegistry::SubkeyNames(const std::wstring& path, KeyAccess access,
                                                       size_t nameBufferChars) {
  if (Open(path, access) == nullptr) return std::nullopt;
  const std::wstring prefix = Lower(path) + L"\\";
  std::vector<std::wstring> names;
  for (const auto& [lowerPath, spelled] : spelling_) {
    if (lowerPath.starts_with(prefix) && lowerPath.find(L'\\', prefix.size()) == std::wstring::npos) {
      names.push_back(spelled.substr(prefix.size()));
    }
  }
  return Fit(names, nameBufferChars);
}

std::optional<RegistryNames> FakeRegistry::ValueNames(const std::wstring& path, KeyAccess access,
                                                      size_t nameBufferChars) {
  const Key* key = Open(path, access);
  if (key == nullptr) return std::nullopt;
  std::vector<std::wstring> names;
  for (const auto& entry : key->values) names.push_back(entry.first);
  return Fit(names, nameBufferChars);
}

std::optional<RegistryValue> FakeRegistry::ReadValue(const std::wstring& path, const std::wstring& name,
                                                     KeyAccess access, size_t maxBytes) {
  const Key* key = Open(path, access);
  if (key == nullptr) return std::nullopt;
  for (const auto& [valueName, value] : key->values) {
    if (Lower(valueName) == Lower(name)) {
      if (value.data.size() > maxBytes) return std::nullopt;
      return value;
    }
  }
  return std::nullopt;
}

CpuidRegisters FakeSystemInfo::Cpuid(uint32_t leaf) {
  const auto found = cpuid.find(leaf);
  return found == cpuid.end() ? CpuidRegisters{} : found->second;
}

std::string FakeSystemInfo::ToAnsi(const std::wstring& text) { return Narrow(text); }

int32_t FakeNetwork::DownloadToFile(const std::wstring& url, const std::wstring& path) {
  downloads.emplace_back(url, path);
  const auto found = files.find(url);
  if (found == files.end()) return static_cast<int32_t>(0x800C0005);  // INET_E_RESOURCE_NOT_FOUND
  std::ofstream out(Narrow(path), std::ios::binary | std::ios::trunc);
  if (!out) return static_cast<int32_t>(0x80070005);  // E_ACCESSDENIED
  out << found->second;
  return 0;
}

HttpOpenResult FakeNetwork::OpenRequest(const HttpTarget& target) {
  HttpOpenResult result;
  if (openFailure) {
    result.failedStep = openFailure->first;
    result.error = openFailure->second;
    return result;
  }
  requests.push_back(Request{target, {}});
  const auto found = responses.find(target.path);
  result.request =
      std::make_unique<FakeRequest>(*this, requests.size() - 1, found == responses.end() ? nullptr : &found->second);
  return result;
}

namespace {

class FakeFile final : public WritableFile {
 public:
  FakeFile(FakeFiles& owner, FakeFiles::File& file) : owner_(owner), file_(file) {}
  bool Append(const uint8_t* data, size_t size) override {
    if (owner_.diskSpace) {
      uint64_t used = 0;
      for (const auto& entry : owner_.files) used += entry.second.data.size();
      if (used + size > *owner_.diskSpace) return false;
    }
    file_.data.append(reinterpret_cast<const char*>(data), size);
    return true;
  }

 private:
  FakeFiles& owner_;
  FakeFiles::File& file_;
};

}  // namespace

std::unique_ptr<WritableFile> FakeFiles::OpenForWriting(const std::wstring& path, FileOpen mode) {
  opened.emplace_back(path, mode);
  if (readOnly.count(path) != 0) return nullptr;
  const auto found = files.find(path);
  if (found == files.end() && mode == FileOpen::kExisting) return nullptr;
  File& file = files[path];
  if (mode == FileOpen::kReplace) file = File{};
  return std::make_unique<FakeFile>(*this, file);
}

std::optional<uint32_t> FakeShell::StartProcess(const std::wstring& commandLine,
                                                const std::wstring& currentDirectory, bool waitForExit) {
  if (processStartFails) return std::nullopt;
  processes.push_back(Process{commandLine, currentDirectory, waitForExit});
  return waitForExit ? exitCode : 0;
}

std::optional<std::span<const uint8_t>> FakeResources::Find(int id, const std::wstring& type) {
  const auto found = resources.find({id, type});
  if (found == resources.end()) return std::nullopt;
  return std::span<const uint8_t>(found->second);
}

}  // namespace quillo::fakes
