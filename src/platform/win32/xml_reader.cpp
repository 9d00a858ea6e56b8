#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include "platform/win32/file_stream.h"
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
    HRESULT hr = reader_->Read(&type);
    *nodeType = static_cast<quillo::XmlNodeType>(type);
    if (hr == S_OK) {
      // Some builds of the reader (Wine's among them) meet an input that ends
      // inside an element by handing out the last node again and again
      // instead of failing. A node that does not move on is that end.
      Position here{type, 0, 0};
      reader_->GetLineNumber(&here.line);
      reader_->GetLinePosition(&here.column);
      if (here == last_) hr = static_cast<HRESULT>(static_cast<uint32_t>(MX_E_INPUTEND));
      last_ = here;
    }
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

  struct Position {
    ::XmlNodeType type = ::XmlNodeType_None;
    UINT line = 0;
    UINT column = 0;
    bool operator==(const Position& other) const {
      return type == other.type && line == other.line && column == other.column;
    }
  };

  IXmlReader* reader_;
  IStream* stream_;
  Position last_;
};

HRESULT OpenStream(const std::wstring& path, XmlByteSource source, IStream** stream) {
  if (source == XmlByteSource::kFileStream) return FileStream::OpenFile(path, stream);
  return SHCreateStreamOnFileW(path.c_str(), STGM_READ, stream);
}

}  // namespace

XmlOpenResult XmlReaders::Open(const std::wstring& path, const XmlOpenOptions& options) {
  XmlOpenResult result;
  IStream* stream = nullptr;
  HRESULT hr = OpenStream(path, options.source, &stream);
  if (FAILED(hr) || stream == nullptr) {
    result.status = XmlOpenResult::Status::kFileNotOpened;
    result.error = Result(hr);
    return result;
  }
  IXmlReader* reader = nullptr;
  hr = CreateXmlReader(kIXmlReader, reinterpret_cast<void**>(&reader), nullptr);
  if (FAILED(hr)) {
    stream->Release();
    result.status = XmlOpenResult::Status::kReaderNotCreated;
    result.error = Result(hr);
    return result;
  }
  if (options.prohibitDtd) {
    hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (FAILED(hr)) {
      stream->Release();
      reader->Release();
      result.status = XmlOpenResult::Status::kPropertyNotSet;
      result.error = Result(hr);
      return result;
    }
  }
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
