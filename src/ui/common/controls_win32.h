#pragma once

// The program's own control classes, attached to controls of the dialog
// templates.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "notices/link_words.h"
#include "ports/shell.h"
#include "ui/common/dialog.h"

namespace quillo::ui {

// A read-only multi-line edit (a plain or a rich one) whose words beginning with "http://" are drawn
// as links over the edit's own text, show the hand cursor and open in the
// browser when clicked without a selection.
class CQLUFNotesEdit : public Control {
 public:
  explicit CQLUFNotesEdit(ShellPort& shell) : shell_(shell) {}
  ~CQLUFNotesEdit() override;

  // Called once for every link opened; the owner reports it (usage event 9).
  std::function<void(const std::wstring& link)> onLinkOpened;

  virtual bool IsLinkWord(const std::wstring& word) { return quillo::IsLinkWord(word); }

  // For tests and tools: the links of the visible text as last drawn.
  const std::vector<LinkSpan>& links() const { return links_; }
  int lineAllowance() const { return lineAllowance_; }

 protected:
  void OnAttached() override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Paints the links after the edit has painted itself.
  virtual void AfterPaint(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  std::wstring Text() const;
  int CharFromPos(POINT client) const;
  POINT PosFromChar(int index) const;
  void BuildLinks(int first, int last);
  std::wstring LinkAt(POINT client);
  bool BelowText(POINT client) const;
  bool HasSelection() const;
  void DrawLinks();

  ShellPort& shell_;
  HFONT linkFont_ = nullptr;
  int lineAllowance_ = 0;
  bool rich_ = false;
  std::wstring pressedWord_;
  int cursorId_ = 32649;  // the system's hand cursor
  std::vector<LinkSpan> links_;
  COLORREF linkColour_ = RGB(102, 178, 255);
  COLORREF hoverColour_ = RGB(51, 51, 255);
};

// A static text that never erases its background, so that frequent updates
// do not flicker.
class QLUStaticCtrl : public Control {
 public:
  // Turns the control's redraw off, then sets the text.
  virtual void SetText(const std::wstring& text);

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// An edit that draws a light two-pixel outline around itself while disabled.
class CSubEdit : public Control {
 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void DrawOutline();
  HBRUSH brush_ = nullptr;  // never created
};

// The windows' progress bars: no visual theme, a static edge and a white
// background; and their bar colour.
void RestyleProgressBar(HWND progress);
void ColourProgressBar(HWND progress);

}  // namespace quillo::ui
