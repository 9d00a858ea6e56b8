#include "ui/classic/web_explorer_win32.h"

#include <commctrl.h>

#include <atomic>
#include <utility>

namespace quillo::ui {
namespace {

// The system's web-browser control.
constexpr CLSID kWebBrowserClass = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

// Its automation members the window uses.
constexpr DISPID kNavigate = 104;
constexpr DISPID kSilent = 551;

constexpr UINT_PTR kHostSubclass = 0x5745;

std::atomic<long> sitesAlive{0};

}  // namespace

// The container side the control talks to: its client site, its in-place
// site and the frame around it. One object answers for all three; it lives
// as long as anyone holds a reference, and once let go by its explorer it
// answers without touching the host or the explorer again.
class BrowserSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  BrowserSite(HWND host, CWeb_explorer& owner) : host_(host), owner_(&owner) { ++sitesAlive; }

  void Detach() {
    host_ = nullptr;
    owner_ = nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleClientSite: the page is never saved and has no container of ours.
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(WINBOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, for the in-place site and the frame alike: the host.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = host_;
    return host_ != nullptr ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite: in place inside the host, filling it.
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return host_ != nullptr ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || info == nullptr) {
      return E_POINTER;
    }
    *frame = nullptr;
    *document = nullptr;  // no document window apart from the frame
    if (host_ == nullptr) return E_UNEXPECTED;
    AddRef();
    *frame = this;
    GetClientRect(host_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(host_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(WINBOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  // The control keeps filling the host wherever it asks to go.
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override {
    if (owner_ != nullptr) owner_->Resize();
    return S_OK;
  }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus,
  // status bar or accelerators of ours.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
    return widths == nullptr ? S_OK : INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~BrowserSite() { --sitesAlive; }

  LONG references_ = 1;
  HWND host_;
  CWeb_explorer* owner_;
};

long CWeb_explorer::SitesAlive() { return sitesAlive; }

CWeb_explorer::CWeb_explorer() = default;

CWeb_explorer::~CWeb_explorer() { Destroy(); }

bool CWeb_explorer::Create(HWND host) {
  Destroy();
  if (host == nullptr || !IsWindow(host)) return false;

  IOleObject* object = nullptr;
  if (FAILED(CoCreateInstance(kWebBrowserClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return false;
  }
  object_ = object;
  site_ = new BrowserSite(host, *this);
  if (!SetWindowSubclass(host, HostProc, kHostSubclass, reinterpret_cast<DWORD_PTR>(this))) {
    Destroy();
    return false;
  }
  host_ = host;

  // The control sends nothing anywhere before it has a site, and draws
  // nothing before it is active in place.
  RECT area{};
  GetClientRect(host, &area);
  if (FAILED(object->SetClientSite(static_cast<IOleClientSite*>(site_))) ||
      FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, host,
                            &area)) ||
      FAILED(object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace_))) ||
      FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation_)))) {
    Destroy();
    return false;
  }
  SetWindowLongPtrW(host, GWL_STYLE, GetWindowLongPtrW(host, GWL_STYLE) | WS_CLIPCHILDREN);
  Resize();
  return true;
}

void CWeb_explorer::Resize() {
  // A control that asks for another place while being placed gets the same place.
  if (host_ == nullptr || inPlace_ == nullptr || resizing_) return;
  resizing_ = true;
  RECT area{};
  GetClientRect(host_, &area);
  inPlace_->SetObjectRects(&area, &area);
  resizing_ = false;
}

bool CWeb_explorer::Navigate(const std::wstring& url) {
  VARIANT arguments[5];  // in reverse order: the headers, post data, target frame and flags stay empty
  for (VARIANT& argument : arguments) VariantInit(&argument);
  arguments[4].vt = VT_BSTR;
  arguments[4].bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  if (arguments[4].bstrVal == nullptr) return false;
  DISPPARAMS parameters{arguments, nullptr, 5, 0};
  const HRESULT result = Invoke(kNavigate, DISPATCH_METHOD, parameters);
  VariantClear(&arguments[4]);
  return SUCCEEDED(result);
}

bool CWeb_explorer::SetSilent(bool silent) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = silent ? VARIANT_TRUE : VARIANT_FALSE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{&value, &named, 1, 1};
  return SUCCEEDED(Invoke(kSilent, DISPATCH_PROPERTYPUT, parameters));
}

HRESULT CWeb_explorer::Invoke(DISPID member, WORD flags, DISPPARAMS& parameters) {
  if (automation_ == nullptr) return E_UNEXPECTED;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT result = automation_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, nullptr,
                                             &exception, &badArgument);
  if (result == DISP_E_EXCEPTION) {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  return result;
}

void CWeb_explorer::Destroy() {
  // Taken out first: whatever the control calls back while it goes finds
  // nothing left to act on, and a second call finds nothing to do.
  IDispatch* automation = std::exchange(automation_, nullptr);
  IOleInPlaceObject* inPlace = std::exchange(inPlace_, nullptr);
  IOleObject* object = std::exchange(object_, nullptr);
  BrowserSite* site = std::exchange(site_, nullptr);
  HWND host = std::exchange(host_, nullptr);

  if (automation != nullptr) automation->Release();
  if (inPlace != nullptr) {
    inPlace->InPlaceDeactivate();
    inPlace->Release();
  }
  if (object != nullptr) {
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object->Release();
  }
  if (site != nullptr) {
    site->Detach();
    site->Release();
  }
  if (host != nullptr) RemoveWindowSubclass(host, HostProc, kHostSubclass);
}

LRESULT CALLBACK CWeb_explorer::HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
  auto* explorer = reinterpret_cast<CWeb_explorer*>(self);
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_SIZE) {
    explorer->Resize();
  } else if (message == WM_DESTROY) {
    // The host's children, the control's windows among them, are still
    // there: the control goes before them.
    explorer->Destroy();
  }
  return result;
}

}  // namespace quillo::ui
