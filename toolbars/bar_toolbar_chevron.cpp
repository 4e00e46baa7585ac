// The chevron at a toolbar's line end and its viewer.
#include "toolbars/bar_common.h"
#include "toolbars/bar_toolbar.h"

namespace movra::bars {

TBarChevronItem::TBarChevronItem(ui::TComponent* owner) : TBarCustomItem(owner) {
  SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu | isNoAutoOpen));
}

void TBarChevronItem::SetChevronHint(const std::string& hint) {
  SetHint(hint);
  SetCaption(DoubleAmpersands(hint.substr(0, hint.find('|'))));
}

IBarView* TBarChevronItem::ChevronSourceView() { return toolbar_ ? toolbar_->View() : nullptr; }

TBarItemViewerClass TBarChevronItem::ViewerClass() { return ViewerClassOf<TBarChevronItemViewer>(); }

namespace {

// Monochrome rows, most significant bit leftmost: two arrows down in a vertical view, two to
// the right otherwise.
constexpr unsigned char kVerticalGlyph[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
constexpr unsigned char kHorizontalGlyph[8] = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};

}  // namespace

void DrawChevronGlyph(HDC dc, const RECT& rect, bool vertical, bool pushed, COLORREF colour) {
  // Rows of a monochrome bitmap are padded to 16 bits.
  unsigned char bits[16] = {};
  const unsigned char* glyph = vertical ? kVerticalGlyph : kHorizontalGlyph;
  for (int row = 0; row < 8; ++row) bits[row * 2] = glyph[row];
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ oldBitmap = SelectObject(memory, pattern);
  int x, y, w, h;
  if (vertical) {
    x = rect.right - 9;
    y = rect.top + 2;
    w = 5;
    h = 8;
  } else {
    x = rect.left + 2;
    y = rect.top + 4;
    w = 8;
    h = 6;
  }
  if (pushed) {
    ++x;
    ++y;
  }
  // Set bits take the brush, clear ones leave the destination (DSPDxax).
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, w, h, memory, 0, 0, 0x00E20746);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
  DeleteObject(pattern);
}

void TBarChevronItemViewer::Paint(ui::TCanvas& canvas, const RECT& clientRect, bool, bool pushed, bool selected) {
  HDC dc = canvas.Handle();
  const bool enabled = Item()->Enabled();
  if (enabled) {
    RECT edge = clientRect;
    if (pushed)
      DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    else if (selected && !View()->Customizing())
      DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }
  const bool vertical = View()->IsVertical();
  if (enabled) {
    DrawChevronGlyph(dc, clientRect, vertical, pushed, GetSysColor(COLOR_BTNTEXT));
  } else {
    RECT lower = clientRect;
    OffsetRect(&lower, 0, 1);
    DrawChevronGlyph(dc, lower, vertical, pushed, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawChevronGlyph(dc, clientRect, vertical, pushed, GetSysColor(COLOR_BTNSHADOW));
  }
}

}  // namespace movra::bars
