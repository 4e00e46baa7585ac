#include "toolbars/bar_common.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "runtime/ui/controls.h"
#include "support.h"

namespace movra::bars {
namespace {

using movra::testing::TestPicture;

TEST(BarCommonArithmetic, RoundingAndComparisons) {
  EXPECT_EQ(4, DivideRoundingOut(7, 2));
  EXPECT_EQ(-4, DivideRoundingOut(-7, 2));
  EXPECT_EQ(2, DivideRoundingOut(6, 3));
  EXPECT_EQ(1, DivideRoundingOut(1, 3));
  EXPECT_EQ(0, DivideRoundingOut(0, 5));
  EXPECT_EQ(34, DivideRoundingOut(100, 3));
  EXPECT_FALSE(SamePoint({3, -4}, {3, 4}));
}

TEST(BarCommonText, AmpersandMarkers) {
  EXPECT_EQ("File", RemoveAmpersandMarkers("&File"));
  EXPECT_EQ("Save & Exit", RemoveAmpersandMarkers("Save && E&xit"));
  EXPECT_EQ("a", RemoveAmpersandMarkers("a&"));
  EXPECT_EQ("&&", RemoveAmpersandMarkers("&&&&"));
  EXPECT_EQ("\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB", RemoveAmpersandMarkers("&\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB"));
  EXPECT_EQ("", RemoveAmpersandMarkers(""));

  EXPECT_EQ("Save && Exit", DoubleAmpersands("Save & Exit"));
  EXPECT_EQ("&&&&x", DoubleAmpersands("&&x"));
  EXPECT_EQ("\xD0\xA4&&", DoubleAmpersands("\xD0\xA4&"));
  // Doubling and removing give the text back.
  EXPECT_EQ("A & B && C", RemoveAmpersandMarkers(DoubleAmpersands("A & B && C")));

  EXPECT_EQ(U'F', AcceleratorOfCaption("&File"));
  EXPECT_EQ(U'x', AcceleratorOfCaption("Save && E&xit"));
  EXPECT_EQ(U'b', AcceleratorOfCaption("&a&b"));
  EXPECT_EQ(char32_t{0}, AcceleratorOfCaption("A&&B"));
  EXPECT_EQ(char32_t{0}, AcceleratorOfCaption("Tail&"));
  EXPECT_EQ(char32_t{0}, AcceleratorOfCaption(""));
  EXPECT_EQ(U'\u0424', AcceleratorOfCaption("\xD0\xB0&\xD0\xA4"));
  EXPECT_EQ(U'\U0001F600', AcceleratorOfCaption("&\xF0\x9F\x98\x80"));
}

TEST(BarCommonText, LabelSuffixes) {
  EXPECT_EQ("Name", TrimLabelSuffix("Name:"));
  EXPECT_EQ(":", TrimLabelSuffix(":"));
  EXPECT_EQ("a", TrimLabelSuffix("a:"));
  EXPECT_EQ("Open", TrimLabelSuffix("Open..."));
  EXPECT_EQ("a", TrimLabelSuffix("a..."));
  EXPECT_EQ("...", TrimLabelSuffix("..."));
  // Only one suffix goes.
  EXPECT_EQ("Wait...", TrimLabelSuffix("Wait...:"));
  EXPECT_EQ("Ab", TrimLabelSuffix("Ab"));
}

TEST(BarCommonLists, UniqueInsertionAndFreeing) {
  std::unique_ptr<std::vector<int>> list;
  EXPECT_TRUE(ListAddUnique(list, 3));
  ASSERT_TRUE(list);
  EXPECT_FALSE(ListAddUnique(list, 3));
  EXPECT_TRUE(ListAddUnique(list, 5));
  EXPECT_TRUE(ListInsertFirstUnique(list, 1));
  EXPECT_FALSE(ListInsertFirstUnique(list, 5));
  EXPECT_EQ((std::vector<int>{1, 3, 5}), *list);
  ListRemoveAndFree(list, 3);
  ListRemoveAndFree(list, 42);
  EXPECT_EQ((std::vector<int>{1, 5}), *list);
  ListRemoveAndFree(list, 1);
  ListRemoveAndFree(list, 5);
  EXPECT_FALSE(list);
  ListRemoveAndFree(list, 5);
  EXPECT_FALSE(list);

  std::unique_ptr<std::vector<int>> other;
  EXPECT_TRUE(ListInsertFirstUnique(other, 9));
  EXPECT_EQ((std::vector<int>{9}), *other);
}

int CompareFirst(const std::pair<int, int>& a, const std::pair<int, int>& b, void* calls) {
  ++*static_cast<int*>(calls);
  return a.first - b.first;
}

TEST(BarCommonLists, QuicksortOrdersEveryList) {
  std::mt19937 random(12345);
  for (int size = 0; size < 60; ++size) {
    std::vector<std::pair<int, int>> list;
    for (int i = 0; i < size; ++i) list.push_back({static_cast<int>(random() % 7), i});
    auto expected = list;
    int calls = 0;
    SortListByCompare(list, CompareFirst, &calls);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const auto& a, const auto& b) { return a.first < b.first; }))
        << size;
    // Nothing lost or doubled.
    auto byId = list;
    std::sort(byId.begin(), byId.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_EQ(expected, byId) << size;
    if (size < 2) {
      EXPECT_EQ(0, calls);
    }
  }
  // The order of equal items is the algorithm's own: the middle pivot, and equal items
  // swapped as they meet.
  std::vector<std::pair<int, int>> sorted{{1, 0}, {1, 1}, {2, 2}, {3, 3}, {3, 4}};
  int calls = 0;
  SortListByCompare(sorted, CompareFirst, &calls);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 1}, {1, 0}, {2, 2}, {3, 4}, {3, 3}}), sorted);
}

TEST(BarCommonSettings, MenuShowDelayFromTheRegistry) {
  const std::wstring path = L"Software\\MovraTests\\MenuDelay" + std::to_wstring(GetCurrentProcessId());
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  auto setText = [&](const std::wstring& text) {
    RegSetValueExW(key, L"MenuShowDelay", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    return ReadMenuShowDelayValue(HKEY_CURRENT_USER, path.c_str());
  };
  EXPECT_EQ(400, ReadMenuShowDelayValue(HKEY_CURRENT_USER, path.c_str())) << "value missing";
  EXPECT_EQ(0, setText(L"0"));
  EXPECT_EQ(250, setText(L"250"));
  EXPECT_EQ(0, setText(L"-20"));
  EXPECT_EQ(0, setText(L"12ms"));
  EXPECT_EQ(0, setText(L""));
  EXPECT_EQ(0, setText(std::wstring(40, L'1'))) << "longer than 32 characters";
  EXPECT_EQ(123, setText(std::wstring(29, L'0') + L"123")) << "exactly 32 characters";
  const DWORD number = 300;
  RegSetValueExW(key, L"MenuShowDelay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  EXPECT_EQ(0, ReadMenuShowDelayValue(HKEY_CURRENT_USER, path.c_str())) << "not a string";
  RegCloseKey(key);
  RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  EXPECT_EQ(400, ReadMenuShowDelayValue(HKEY_CURRENT_USER, path.c_str())) << "key missing";

  int spi = -1;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &spi, 0));
  EXPECT_EQ(std::max(spi, 0), SubmenuOpenDelay());
}

TEST(BarCommonSettings, SoundSchemeEvents) {
  const std::string name = "MovraTestEvent" + std::to_string(GetCurrentProcessId());
  const std::wstring eventKey = L"AppEvents\\Schemes\\Apps\\.Default\\" + std::wstring(name.begin(), name.end());
  const std::wstring current = eventKey + L"\\.Current";
  EXPECT_FALSE(SoundSchemeHasEvent(name));
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, current.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  EXPECT_FALSE(SoundSchemeHasEvent(name)) << "no default value";
  const std::wstring empty;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(empty.c_str()), sizeof(wchar_t));
  EXPECT_FALSE(SoundSchemeHasEvent(name)) << "empty";
  const std::wstring sound = L"ding.wav";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(sound.c_str()),
                 static_cast<DWORD>((sound.size() + 1) * sizeof(wchar_t)));
  EXPECT_TRUE(SoundSchemeHasEvent(name));
  RegCloseKey(key);
  RegDeleteKeyW(HKEY_CURRENT_USER, current.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, eventKey.c_str());
}

TEST(BarCommonSettings, OneMonitorEndsAtTheDesktop) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const RECT desk = DesktopAreaRect(true);
  const RECT screen = DesktopAreaRect(false);
  EXPECT_TRUE(EqualRect(&work, &desk));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.right);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.bottom);
  ASSERT_TRUE(LoadMonitorEntryPoints());
  ASSERT_FALSE(SeveralMonitors());
  const RECT distant{5000, 5000, 5100, 5100};
  const RECT byRect = NearestMonitorRectForRect(distant, true);
  const RECT byPoint = NearestMonitorRectForPoint({-300, 40}, false);
  EXPECT_TRUE(EqualRect(&byRect, &desk));
  EXPECT_TRUE(EqualRect(&byPoint, &screen));
  // The bound functions agree on the primary monitor.
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(MonitorFunctions().GetInfo(MonitorFunctions().FromRect(&distant, MONITOR_DEFAULTTONEAREST), &info));
  EXPECT_TRUE(EqualRect(&info.rcWork, &desk));
}

// --- Queued messages ---

struct TPaintCounter {
  static int paints;
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
      ++paints;
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
  }
};
int TPaintCounter::paints = 0;

HWND MakeCountingWindow() {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TPaintCounter::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MovraBarCommonTest";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"MovraBarCommonTest", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(BarCommonMessages, QueuedMessagesAreDiscardedOrDispatched) {
  HWND window = MakeCountingWindow();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

  PostMessageW(window, WM_APP + 1, 0, 0);
  PostMessageW(window, WM_APP + 5, 0, 0);
  PostMessageW(window, WM_APP + 20, 0, 0);
  DiscardQueuedMessages(WM_APP, WM_APP + 10);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP + 30, PM_REMOVE));
  EXPECT_EQ(UINT{WM_APP + 20}, msg.message);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP + 30, PM_REMOVE));

  // A quit met on the way is kept, with its code, and stops the removal.
  PostMessageW(window, WM_APP + 2, 0, 0);
  PostQuitMessage(7);
  DiscardQueuedMessages(WM_APP, WM_APP + 10);
  bool quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    EXPECT_NE(UINT{WM_APP + 2}, msg.message);
    if (msg.message == WM_QUIT) {
      quit = true;
      EXPECT_EQ(7u, msg.wParam);
    }
  }
  EXPECT_TRUE(quit);

  // Paints go now; other messages stay queued.
  TPaintCounter::paints = 0;
  InvalidateRect(window, nullptr, FALSE);
  PostMessageW(window, WM_APP + 3, 0, 0);
  DispatchPendingPaints();
  EXPECT_EQ(1, TPaintCounter::paints);
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 3, WM_APP + 3, PM_REMOVE));
  PostQuitMessage(9);
  InvalidateRect(window, nullptr, FALSE);
  DispatchPendingPaints();
  quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      EXPECT_EQ(9u, msg.wParam);
    } else {
      DispatchMessageW(&msg);
    }
  }
  EXPECT_TRUE(quit);
  DestroyWindow(window);
}

// --- Painting ---

// A window whose frame, background and client area print in three colours, with one child
// printing in a fourth.
constexpr COLORREF kFrame = RGB(200, 0, 0);
constexpr COLORREF kErase = RGB(0, 200, 0);
constexpr COLORREF kClient = RGB(0, 0, 200);
constexpr COLORREF kChild = RGB(200, 200, 0);
std::vector<std::string> g_printOrder;

void FillFrame(HWND window, HDC dc, void* arg) {
  RECT r;
  GetWindowRect(window, &r);
  RECT whole{0, 0, r.right - r.left, r.bottom - r.top};
  HBRUSH brush = CreateSolidBrush(*static_cast<COLORREF*>(arg));
  FillRect(dc, &whole, brush);
  DeleteObject(brush);
  g_printOrder.push_back("frame");
}

LRESULT CALLBACK PrintingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool child = GetParent(window) != nullptr;
  auto fill = [&](COLORREF colour) {
    RECT r;
    GetClientRect(window, &r);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
    DeleteObject(brush);
  };
  switch (msg) {
    case WM_PRINT: {
      COLORREF frame = child ? kChild : kFrame;
      return AnswerPrintMessage(window, reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam), FillFrame, &frame);
    }
    case WM_ERASEBKGND:
      if (!child) fill(kErase);
      g_printOrder.push_back(child ? "child erase" : "erase");
      return 1;
    case WM_PRINTCLIENT:
      // The parent's client leaves its left half in the erase colour.
      if (child) {
        fill(kChild);
      } else {
        RECT r;
        GetClientRect(window, &r);
        r.left = r.right / 2;
        HBRUSH brush = CreateSolidBrush(kClient);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
      }
      g_printOrder.push_back(child ? "child client" : "client");
      return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

TEST(BarCommonPainting, PrintAnswersFrameClientAndChildren) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PrintingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"MovraPrintTest";
  RegisterClassW(&wc);
  // Hidden, as a popup is when its picture is taken before it shows.
  HWND parent = CreateWindowExW(WS_EX_TOOLWINDOW, L"MovraPrintTest", L"", WS_POPUP | WS_BORDER | WS_THICKFRAME,
                                100, 100, 120, 90, nullptr, nullptr, wc.hInstance, nullptr);
  HWND child = CreateWindowExW(0, L"MovraPrintTest", L"", WS_CHILD | WS_VISIBLE, 70, 10, 20, 20, parent, nullptr,
                               wc.hInstance, nullptr);
  ASSERT_TRUE(parent && child);
  RECT wr;
  GetWindowRect(parent, &wr);
  POINT client{0, 0};
  ClientToScreen(parent, &client);
  const int bx = client.x - wr.left, by = client.y - wr.top;
  RECT cr;
  GetClientRect(parent, &cr);
  ASSERT_GT(bx, 1);
  ASSERT_GT(cr.right, 100);

  TestPicture picture(wr.right - wr.left, wr.bottom - wr.top);
  g_printOrder.clear();
  SendMessageW(parent, WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  picture.Save("bar_common_print");
  EXPECT_EQ((std::vector<std::string>{"frame", "erase", "client", "frame", "child erase", "child client"}),
            g_printOrder);
  EXPECT_EQ(kFrame, picture.Pixel(0, 0));
  EXPECT_EQ(kFrame, picture.Pixel(bx - 1, by + 5));
  EXPECT_EQ(kErase, picture.Pixel(bx + 2, by + 2));
  EXPECT_EQ(kClient, picture.Pixel(bx + cr.right - 2, by + cr.bottom - 2));
  EXPECT_EQ(kFrame, picture.Pixel(bx + cr.right, by + cr.bottom));
  // The child at its offset, clipped to its own 20 x 20.
  EXPECT_EQ(kChild, picture.Pixel(bx + 71, by + 11));
  EXPECT_EQ(kChild, picture.Pixel(bx + 89, by + 29));
  EXPECT_EQ(kClient, picture.Pixel(bx + 90, by + 31));
  EXPECT_EQ(kClient, picture.Pixel(bx + 69, by + 20));

  // Client only: the picture's origin is the client area, nothing of the frame.
  picture.Fill(RGB(255, 255, 255));
  g_printOrder.clear();
  SendMessageW(parent, WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CLIENT);
  EXPECT_EQ((std::vector<std::string>{"client"}), g_printOrder);
  EXPECT_EQ(RGB(255, 255, 255), picture.Pixel(2, 2));
  EXPECT_EQ(kClient, picture.Pixel(60, 5));

  // Asked only when visible, a hidden window prints nothing.
  g_printOrder.clear();
  SendMessageW(parent, WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT);
  EXPECT_TRUE(g_printOrder.empty());
  DestroyWindow(parent);
}

TEST(BarCommonPainting, FrameUpdateRegionBecomesTheClip) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 200, 50, 50, nullptr, nullptr, nullptr, nullptr);
  TestPicture picture(200, 250);
  HRGN region = CreateRectRgn(110, 215, 130, 225);
  ClipDCToFrameUpdateRegion(window, picture.Dc(), region);
  RECT box;
  EXPECT_EQ(SIMPLEREGION, GetClipBox(picture.Dc(), &box));
  EXPECT_EQ(10, box.left);
  EXPECT_EQ(15, box.top);
  EXPECT_EQ(30, box.right);
  EXPECT_EQ(25, box.bottom);
  // The caller's region is left as it was.
  RECT own;
  GetRgnBox(region, &own);
  EXPECT_EQ(110, own.left);
  DeleteObject(region);

  TestPicture other(60, 60);
  ClipDCToFrameUpdateRegion(window, other.Dc(), reinterpret_cast<HRGN>(1));
  HRGN probe = NewEmptyRegion();
  EXPECT_EQ(0, GetClipRgn(other.Dc(), probe)) << "no clip region for the whole frame";
  EXPECT_EQ(NULLREGION, GetRgnBox(probe, &own));
  DeleteObject(probe);
  DestroyWindow(window);
}

class TDcStateControl : public ui::TWinControl {
 public:
  using TWinControl::TWinControl;
  HDC seen = nullptr;
  void WndProc(ui::TMessage& m) override {
    if (m.Msg == WM_PAINT) {
      seen = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(seen, RGB(1, 2, 3));
      SetViewportOrgEx(seen, 7, 7, nullptr);
      RECT r{0, 0, 4, 4};
      FillRect(seen, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return;
    }
    TWinControl::WndProc(m);
  }
};

TEST(BarCommonPainting, PaintIntoKeepsTheDcState) {
  TDcStateControl control(nullptr);
  TestPicture picture(20, 20);
  SetTextColor(picture.Dc(), RGB(9, 9, 9));
  PaintControlInto(&control, picture.Dc());
  EXPECT_EQ(picture.Dc(), control.seen);
  EXPECT_EQ(RGB(9, 9, 9), GetTextColor(picture.Dc()));
  POINT origin;
  GetViewportOrgEx(picture.Dc(), &origin);
  EXPECT_EQ(0, origin.x);
  EXPECT_EQ(RGB(0, 0, 0), picture.Pixel(8, 8));
  EXPECT_EQ(RGB(255, 255, 255), picture.Pixel(2, 2));
}

// --- Drag frame ---

// Counts the pixels that are not white, and checks that each lies on the ring of `r`.
int CheckRing(const TestPicture& picture, const RECT& r, SIZE t) {
  int changed = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      if (picture.Pixel(x, y) == RGB(255, 255, 255)) continue;
      ++changed;
      const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      const bool inner = x >= r.left + t.cx && x < r.right - t.cx && y >= r.top + t.cy && y < r.bottom - t.cy;
      EXPECT_TRUE(inside && !inner) << x << "," << y;
    }
  return changed;
}

TEST(BarCommonDragFrame, MovingTheFrameInOnePass) {
  const RECT first{10, 10, 50, 40};
  const RECT second{14, 16, 70, 60};
  const SIZE thin{3, 2}, thick{4, 4};
  TestPicture picture(80, 80);
  DrawDragFrame(picture.Dc(), &first, nullptr, thin, thin);
  GdiFlush();
  // Half the ring inverted (the halftone), nothing outside it.
  const int ringArea = 40 * 30 - 34 * 26;
  EXPECT_EQ(ringArea / 2, CheckRing(picture, first, thin));
  EXPECT_NE(picture.Pixel(10, 20), picture.Pixel(11, 20));

  // Moving: the old frame goes and the new one comes, even where they overlap.
  DrawDragFrame(picture.Dc(), &second, &first, thick, thin);
  GdiFlush();
  picture.Save("bar_common_drag_frame");
  TestPicture fresh(80, 80);
  DrawDragFrame(fresh.Dc(), &second, nullptr, thick, thick);
  GdiFlush();
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x) ASSERT_EQ(fresh.Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
  EXPECT_GT(CheckRing(picture, second, thick), 0);

  DrawDragFrame(picture.Dc(), nullptr, &second, thick, thick);
  GdiFlush();
  EXPECT_EQ(0, CheckRing(picture, second, thick));
}

TEST(BarCommonDragFrame, DrawnOnTheDesktop) {
  // A solid window under the frame, so that the screen's pixels are known.
  constexpr COLORREF kUnder = RGB(40, 80, 120);
  HBRUSH under = CreateSolidBrush(kUnder);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = under;
  wc.lpszClassName = L"MovraDesktopFrameTest";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                WS_POPUP | WS_VISIBLE, 300, 300, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
  UpdateWindow(window);
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(kUnder, GetPixel(screen, 330, 330));
  const RECT frame{320, 320, 380, 380};
  DrawDragFrame(screen, &frame, nullptr, {4, 4}, {4, 4});
  const COLORREF a = GetPixel(screen, 320, 340), b = GetPixel(screen, 321, 340);
  // One of two neighbours inverted, the other kept; the inside untouched.
  EXPECT_TRUE((a == kUnder && b == (kUnder ^ 0xFFFFFF)) || (b == kUnder && a == (kUnder ^ 0xFFFFFF)))
      << std::hex << a << " " << b;
  EXPECT_EQ(kUnder, GetPixel(screen, 350, 350));
  DrawDragFrame(screen, nullptr, &frame, {4, 4}, {4, 4});
  EXPECT_EQ(kUnder, GetPixel(screen, 320, 340));
  EXPECT_EQ(kUnder, GetPixel(screen, 321, 340));
  ReleaseDC(nullptr, screen);
  DestroyWindow(window);
  DeleteObject(under);
}

// --- Rotated text ---

struct TTextPicture {
  TestPicture picture;
  HFONT font;
  HGDIOBJ old;
  TTextPicture(int w, int h, const wchar_t* face = L"Arial")
      : picture(w, h),
        font(CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face)),
        old(SelectObject(picture.Dc(), font)) {
    SetBkMode(picture.Dc(), TRANSPARENT);
    SetTextColor(picture.Dc(), RGB(0, 0, 0));
  }
  ~TTextPicture() {
    SelectObject(picture.Dc(), old);
    DeleteObject(font);
  }
  // The box of the pixels that are not white (empty when none).
  RECT Ink() const {
    GdiFlush();
    RECT box{picture.Width(), picture.Height(), 0, 0};
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        if (picture.Pixel(x, y) != RGB(255, 255, 255)) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }
};

TEST(BarCommonRotatedText, RotatedFontCopiesTheDcFont) {
  TTextPicture text(10, 10, L"MS Sans Serif");
  HFONT rotated = MakeRotatedFont(text.picture.Dc());
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(rotated, sizeof(lf), &lf));
  EXPECT_EQ(2700, lf.lfEscapement);
  EXPECT_EQ(2700, lf.lfOrientation);
  EXPECT_EQ(OUT_TT_ONLY_PRECIS, lf.lfOutPrecision);
  EXPECT_EQ(-16, lf.lfHeight);
  EXPECT_STREQ(L"Arial", lf.lfFaceName);
  DeleteObject(rotated);
}

TEST(BarCommonRotatedText, CaptionRunsDownCentredAndClipped) {
  const RECT rect{0, 0, 40, 200};
  TTextPicture plain(40, 200);
  DrawVerticalCaption(plain.picture.Dc(), "Wide Wall", rect, 0);
  plain.picture.Save("bar_common_vertical_caption");
  const RECT ink = plain.Ink();
  ASSERT_LT(ink.left, ink.right);
  // Along the height, and centred across the width (the glyphs' own margins aside).
  EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
  EXPECT_LE(std::abs((ink.left + ink.right) - 40), 8) << ink.left << " " << ink.right;
  EXPECT_LT(ink.top, 6);

  TTextPicture centred(40, 200);
  DrawVerticalCaption(centred.picture.Dc(), "Wide Wall", rect, DT_CENTER);
  const RECT mid = centred.Ink();
  EXPECT_LE(std::abs((mid.top + mid.bottom) - 200), 8) << mid.top << " " << mid.bottom;

  // Clipped to the rectangle unless asked not to.
  TTextPicture clipped(40, 200);
  DrawVerticalCaption(clipped.picture.Dc(), "Wide Wall", {0, 0, 40, 30}, 0);
  EXPECT_LE(clipped.Ink().bottom, 30);
  TTextPicture unclipped(40, 200);
  DrawVerticalCaption(unclipped.picture.Dc(), "Wide Wall", {0, 0, 40, 30}, DT_NOCLIP);
  EXPECT_GT(unclipped.Ink().bottom, 30);
  // Shortened with "..." to the height instead.
  TTextPicture shortened(40, 200);
  DrawVerticalCaption(shortened.picture.Dc(), "Wide Wall of Words", {0, 0, 40, 60}, DT_NOCLIP | DT_END_ELLIPSIS);
  shortened.picture.Save("bar_common_vertical_ellipsis");
  EXPECT_LE(shortened.Ink().bottom, 60);
  EXPECT_GT(shortened.Ink().bottom, 30);
}

TEST(BarCommonRotatedText, AcceleratorUnderlinedByHand) {
  const RECT rect{0, 0, 40, 120};
  TTextPicture marked(40, 120), hidden(40, 120), plain(40, 120);
  SetTextColor(marked.picture.Dc(), RGB(0, 0, 255));
  SetTextColor(hidden.picture.Dc(), RGB(0, 0, 255));
  DrawVerticalCaption(marked.picture.Dc(), "W&ide", rect, 0);
  DrawVerticalCaption(hidden.picture.Dc(), "W&ide", rect, DT_HIDEPREFIX);
  DrawVerticalCaption(plain.picture.Dc(), "Wide", rect, 0);
  marked.picture.Save("bar_common_vertical_accelerator");
  GdiFlush();
  // The text is the same with and without the marker; the underline is a line of the text
  // colour in one column, beside the "i" (below the "W").
  int differing = 0, column = -1, top = 1000, bottom = -1;
  const RECT ink = plain.Ink();
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 40; ++x) {
      const COLORREF m = marked.picture.Pixel(x, y);
      ASSERT_EQ(hidden.picture.Pixel(x, y) == RGB(255, 255, 255), plain.picture.Pixel(x, y) == RGB(255, 255, 255));
      if (m == hidden.picture.Pixel(x, y)) continue;
      ++differing;
      EXPECT_EQ(RGB(0, 0, 255), m) << x << "," << y;
      if (column < 0) column = x;
      EXPECT_EQ(column, x) << y;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  EXPECT_GT(differing, 1);
  EXPECT_LT(column, ink.left + 4) << "on the baseline's side";
  EXPECT_GT(top, ink.top + 4) << "not under the first letter";
  EXPECT_LT(bottom, ink.bottom);

  // Without prefix handling the "&" is drawn: more ink than without it.
  TTextPicture literal(40, 120);
  DrawVerticalCaption(literal.picture.Dc(), "W&ide", rect, DT_NOPREFIX);
  EXPECT_GT(literal.Ink().bottom, ink.bottom);
}

}  // namespace
}  // namespace movra::bars
