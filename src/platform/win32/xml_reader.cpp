#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// {7279FC81-709D-4095-B63D-69FE4B0D9030}
const IID kIXmlReader = {0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

int32_t Result(HRESULT hr) { return static_cast<int32_t>(hr); }

class XmlLiteReader final : public XmlReader {
 public:
  XmlLiteReader(IXmlReader* reader, IStream* stream) : reader_(reader), stream_(stream) {}
  ~XmlLiteReader() override {
    stream_->Release();
    reader_->Release();
  }
  XmlLiteReader(const XmlLiteReader&) = delete;
  XmlLiteReader& operator=(const XmlLiteReader&) = delete;

  int32_t Read(XmlNodeType* nodeType) override {
    ::XmlNodeType type = ::XmlNodeType_None;
    const HRESULT hr = reader_->Read(&type);
    *nodeType = static_cast<quillo::XmlNodeType>(type);
    return Result(hr);
  }
  int32_t MoveToFirstAttribute() override { return Result(reader_->MoveToFirstAttribute()); }
  int32_t MoveToNextAttribute() override { return Result(reader_->MoveToNextAttribute()); }
  bool IsDefault() override { return reader_->IsDefault() != FALSE; }
  bool IsEmptyElement() override { return reader_->IsEmptyElement() != FALSE; }
  int32_t GetPrefix(std::wstring* prefix) override { return Text(&IXmlReader::GetPrefix, prefix); }
  int32_t GetLocalName(std::wstring* localName) override { return Text(&IXmlReader::GetLocalName, localName); }
  int32_t GetValue(std::wstring* value) override { return Text(&IXmlReader::GetValue, value); }
  int32_t ReadValueChunk(wchar_t* buffer, uint32_t maxChars, uint32_t* charsRead) override {
    UINT read = 0;
    const HRESULT hr = reader_->ReadValueChunk(buffer, maxChars, &read);
    *charsRead = read;
    return Result(hr);
  }

 private:
  using TextGetter = HRESULT (STDMETHODCALLTYPE IXmlReader::*)(LPCWSTR*, UINT*);
  int32_t Text(TextGetter getter, std::wstring* out) {
    LPCWSTR text = nullptr;
    UINT length = 0;
    const HRESULT hr = (reader_->*getter)(&text, &length);
    if (SUCCEEDED(hr) && text != nullptr) out->assign(text, length);
    return Result(hr);
  }

  IXmlReader* reader_;
  IStream* stream_;
};

}  // namespace

XmlOpenResult XmlReaders::Open(const std::wstring& path, bool prohibitDtd) {
  XmlOpenResult result;
  IStream* stream = nullptr;
  if (FAILED(SHCreateStreamOnFileW(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, &stream))) {
    result.status = XmlOpenResult::Status::kFileNotOpened;
    return result;
  }
  IXmlReader* reader = nullptr;
  HRESULT hr = CreateXmlReader(kIXmlReader, reinterpret_cast<void**>(&reader), nullptr);
  if (FAILED(hr)) {
    stream->Release();
    result.status = XmlOpenResult::Status::kReaderNotCreated;
    result.error = Result(hr);
    return result;
  }
  if (prohibitDtd) reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  hr = reader->SetInput(stream);
  if (FAILED(hr)) {
    stream->Release();
    reader->Release();
    result.status = XmlOpenResult::Status::kInputNotSet;
    result.error = Result(hr);
    return result;
  }
  result.status = XmlOpenResult::Status::kOpened;
  result.reader = std::make_unique<XmlLiteReader>(reader, stream);
  return result;
}

}  // namespace quillo::win32
