#include "ui/common/controls_win32.h"

#include <commctrl.h>
#include <richedit.h>
#include <uxtheme.h>

#include <cwchar>

namespace quillo::ui {
namespace {

// A rich edit control takes and gives its points through POINTL records
// where a plain edit packs them into the message's parameters.
bool IsRichEdit(HWND edit) {
  wchar_t name[32] = L"";
  GetClassNameW(edit, name, static_cast<int>(std::size(name)));
  return std::wcsncmp(name, L"RichEdit", 8) == 0;
}

}  // namespace

int CQLUFNotesEdit::CharFromPos(POINT client) const {
  if (rich_) {
    POINTL at{client.x, client.y};
    return static_cast<int>(SendMessageW(hwnd(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
  }
  return LOWORD(SendMessageW(hwnd(), EM_CHARFROMPOS, 0, MAKELPARAM(client.x, client.y)));
}

POINT CQLUFNotesEdit::PosFromChar(int index) const {
  if (rich_) {
    POINTL at{};
    SendMessageW(hwnd(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), index);
    return POINT{at.x, at.y};
  }
  const auto position = SendMessageW(hwnd(), EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
  return POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
}

CQLUFNotesEdit::~CQLUFNotesEdit() {
  Detach();
  DeleteGdiObject(linkFont_);
}

void CQLUFNotesEdit::OnAttached() {
  rich_ = IsRichEdit(hwnd());
  // A rich edit tells its parent of changes only when asked to.
  if (rich_) SendMessageW(hwnd(), EM_SETEVENTMASK, 0, ENM_CHANGE);
  LOGFONTW description{};
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  GetObjectW(font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT), sizeof description,
             &description);
  description.lfUnderline = TRUE;
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  DeleteGdiObject(linkFont_);
  linkFont_ = CreateFontIndirectW(&description);

  // Into an empty rectangle every word wraps onto a line of its own: three
  // lines of the context's default font.
  HDC dc = GetDC(hwnd());
  RECT empty{0, 0, 0, 0};
  std::wstring probe = L"Velmora QLU Utility";
  lineAllowance_ = DrawTextW(dc, probe.data(), -1, &empty, DT_CENTER | DT_WORDBREAK);
  ReleaseDC(hwnd(), dc);
}

std::wstring CQLUFNotesEdit::Text() const {
  const int length = GetWindowTextLengthW(hwnd());
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd(), text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

void CQLUFNotesEdit::BuildLinks(int first, int last) {
  links_ = FindLinkSpans(Text(), first, last, [this](const std::wstring& word) { return IsLinkWord(word); });
}

std::wstring CQLUFNotesEdit::LinkAt(POINT client) {
  return quillo::LinkAt(Text(), links_, CharFromPos(client));
}

bool CQLUFNotesEdit::BelowText(POINT client) const {
  const int length = GetWindowTextLengthW(hwnd());
  return client.y > PosFromChar(length - 1).y + lineAllowance_;
}

bool CQLUFNotesEdit::HasSelection() const {
  DWORD start = 0, end = 0;
  SendMessageW(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return start != end;
}

void CQLUFNotesEdit::DrawLinks() {
  RECT format{};
  SendMessageW(hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  HDC dc = GetDC(hwnd());
  HGDIOBJ previous = SelectObject(dc, linkFont_);
  SetBkMode(dc, TRANSPARENT);
  IntersectClipRect(dc, format.left, format.top, format.right, format.bottom);

  const int first = CharFromPos(POINT{format.left, format.top});
  const int last = CharFromPos(POINT{format.right, format.bottom});
  BuildLinks(first, last);

  const DWORD at = GetMessagePos();
  POINT mouse{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ScreenToClient(hwnd(), &mouse);
  const std::wstring hovered = LinkAt(mouse);
  const bool below = BelowText(mouse);

  DWORD selectionStart = 0, selectionEnd = 0;
  SendMessageW(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), reinterpret_cast<LPARAM>(&selectionEnd));
  const std::wstring text = Text();
  for (const LinkSpan& link : links_) {
    const bool hover = !hovered.empty() && !below && text.compare(link.start, link.length, hovered) == 0;
    SetTextColor(dc, hover ? hoverColour_ : linkColour_);
    for (int index = link.start; index < link.start + link.length && index < static_cast<int>(text.size()); ++index) {
      if (selectionStart != selectionEnd && selectionStart <= static_cast<DWORD>(index) &&
          static_cast<DWORD>(index) < selectionEnd) {
        continue;  // the edit paints the selection itself
      }
      const POINT position = PosFromChar(index);
      TextOutW(dc, position.x, position.y, &text[static_cast<size_t>(index)], 1);
    }
  }
  SelectObject(dc, previous);
  ReleaseDC(hwnd(), dc);
}

void CQLUFNotesEdit::AfterPaint(UINT, WPARAM, LPARAM) { DrawLinks(); }

LRESULT CQLUFNotesEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_PAINT: {
      const LRESULT result = Default();
      AfterPaint(message, wParam, lParam);
      return result;
    }
    case kReflectedCommand:
      if (wParam == EN_CHANGE) DrawLinks();
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      const LRESULT result = Default();
      DrawLinks();
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = Default();
      if (!LinkAt(point).empty() && !BelowText(point)) SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorId_)));
      DrawLinks();
      return result;
    }
    case WM_LBUTTONDOWN:
      pressedWord_ = LinkAt(point);
      return Default();
    case WM_LBUTTONUP: {
      const LRESULT result = Default();
      if (!HasSelection() && !BelowText(point)) {
        const std::wstring link = LinkAt(point);
        if (!link.empty() && link == pressedWord_) {
          shell_.OpenUrl(link);
          if (onLinkOpened) onLinkOpened(link);
        }
      }
      return result;
    }
    default:
      return Default();
  }
}

void QLUStaticCtrl::SetText(const std::wstring& text) {
  SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
  SetWindowTextW(hwnd(), text.c_str());
}

LRESULT QLUStaticCtrl::WndProc(UINT message, WPARAM, LPARAM) {
  if (message == WM_ERASEBKGND) return TRUE;  // the parent's colour answer paints the background with the text
  return Default();
}

void CSubEdit::DrawOutline() {
  HDC dc = GetDC(hwnd());
  RECT area{};
  GetClientRect(hwnd(), &area);
  if (!IsWindowEnabled(hwnd())) {
    HBRUSH outline = CreateSolidBrush(RGB(218, 216, 220));
    for (int ring = 0; ring < 2; ++ring) {
      InflateRect(&area, 1, 1);
      FrameRect(dc, &area, outline);
    }
    DeleteObject(outline);
  }
  ReleaseDC(hwnd(), dc);
}

LRESULT CSubEdit::WndProc(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{};
      track.cbSize = sizeof track;
      track.dwFlags = TME_HOVER | TME_LEAVE;
      track.hwndTrack = hwnd();
      track.dwHoverTime = 0;
      _TrackMouseEvent(&track);
      return Default();
    }
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
      DrawOutline();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_KEYUP:
      DrawOutline();
      return Default();
    case kReflectedCommand:
      if (wParam == EN_SETFOCUS || wParam == EN_KILLFOCUS) DrawOutline();
      return 0;
    default:
      return Default();
  }
}

void RestyleProgressBar(HWND progress) {
  constexpr LONG_PTR kStaticEdge = 0x20000;
  SetWindowTheme(progress, L"", L"");
  SetWindowLongPtrW(progress, GWL_EXSTYLE, GetWindowLongPtrW(progress, GWL_EXSTYLE) | kStaticEdge);
  SendMessageW(progress, PBM_SETBKCOLOR, 0, RGB(255, 255, 255));
}

void ColourProgressBar(HWND progress) { SendMessageW(progress, PBM_SETBARCOLOR, 0, RGB(242, 101, 34)); }

}  // namespace quillo::ui
