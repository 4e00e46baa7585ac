#include "themes/skin_utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "runtime/ui/controls.h"
#include "toolbars/bar_common.h"

namespace movra::skin {

ESkinAssertion::ESkinAssertion(const char* unit, int line)
    : movra::Exception("Assertion failure (" + std::string(unit) + ", line " + std::to_string(line) + ")") {}

void SkinAssertionFailure(const char* unit, int line) { throw ESkinAssertion(unit, line); }

namespace {

constexpr const char* kUnit = "SkinUtils";
constexpr int kMixWeightLine = 422;
constexpr int kDisabledLevelLine = 1133;
constexpr int kGradientLengthLine = 1868;
constexpr int kBlendWeightLine = 431;

TSysColorSource sysColorSource = nullptr;
TScreenBitsSource screenBitsSource = nullptr;

int Red(COLORREF c) { return static_cast<int>(c & 0xFF); }
int Green(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
TColor Pack(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }
int ClampByte(int v) { return std::clamp(v, 0, 255); }

// Floor division and modulo: negative numerators round toward minus infinity.
int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }
int FloorMod(int a, int b) { return a - FloorDiv(a, b) * b; }

template <typename F>
F Bind(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A bitmap in its own memory DC, grown on demand and reused: a 32-bit top-down DIB section, or
// a monochrome bitmap.
struct WorkBitmap {
  bool mono = false;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int width = 0;   // allocated
  int height = 0;  // allocated

  void Free() {
    if (dc) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
    *this = WorkBitmap{mono};
  }
  // Makes room for w x h; rows of the DIB are `width` words apart.
  bool Ensure(int w, int h) {
    if (bitmap && w <= width && h <= height) return true;
    const int nw = std::max(w, width), nh = std::max(h, height);
    Free();
    if (mono) {
      bitmap = CreateBitmap(nw, nh, 1, 1, nullptr);
    } else {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      info.bmiHeader.biWidth = nw;
      info.bmiHeader.biHeight = -nh;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* p = nullptr;
      bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
      bits = static_cast<uint32_t*>(p);
    }
    if (!bitmap) return false;
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    width = nw;
    height = nh;
    return true;
  }
  uint32_t* Row(int y) const { return bits + static_cast<size_t>(y) * width; }
};

struct GradientEntry {
  int count = 0;
  COLORREF c1 = 0, c2 = 0;
  std::vector<COLORREF> colors;
};

constexpr int kDitherRows = 1024;
constexpr int kProfiles = 8;
constexpr int kDitherCacheSize = 16;

struct DitherEntry {
  int32_t color = -1;  // pixel-word order
  int amplitude = -1;
  // One screen-compatible bitmap of all eight profiles, profile p in row p.
  HBITMAP bitmap = nullptr;
};

struct DitherRow {
  int profile = 0;
  int shift = 0;
};

struct Module {
  int starts = 0;
  bool running = false;
  HMODULE user32 = nullptr;
  HMODULE msimg32 = nullptr;
  TSkinEntryPoints entries;
  WorkBitmap workA, workB;
  WorkBitmap mask{true};
  HDC nearestDc = nullptr;
  HBITMAP nearestBitmap = nullptr;
  HGDIOBJ nearestOld = nullptr;
  HFONT captionFont = nullptr;
  std::array<GradientEntry, 16> gradients;
  int gradientRing = 0;
  std::array<std::vector<int>, kProfiles> profiles;
  std::array<DitherRow, kDitherRows> rows;
  std::array<DitherEntry, kDitherCacheSize> dithers;
  int ditherRing = 0;
  std::mt19937 random{20261209u};
};

Module& M() {
  static Module module;
  return module;
}

void FreeSharedObjects(Module& m) {
  m.workA.Free();
  m.workB.Free();
  m.mask.Free();
  if (m.nearestDc) {
    SelectObject(m.nearestDc, m.nearestOld);
    DeleteDC(m.nearestDc);
    m.nearestDc = nullptr;
  }
  if (m.nearestBitmap) DeleteObject(m.nearestBitmap);
  m.nearestBitmap = nullptr;
  if (m.captionFont) DeleteObject(m.captionFont);
  m.captionFont = nullptr;
}

void CreateSharedObjects(Module& m) {
  m.workA.Ensure(16, 16);
  m.workB.Ensure(16, 16);
  m.mask.Ensure(16, 16);
  HDC screen = GetDC(nullptr);
  m.nearestBitmap = CreateCompatibleBitmap(screen, 8, 8);
  m.nearestDc = CreateCompatibleDC(screen);
  m.nearestOld = SelectObject(m.nearestDc, m.nearestBitmap);
  ReleaseDC(nullptr, screen);
  NONCLIENTMETRICSW metrics;
  if (ui::GetNonClientMetrics(metrics)) m.captionFont = CreateFontIndirectW(&metrics.lfSmCaptionFont);
  if (!m.captionFont) m.captionFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int RandomBelow(Module& m, int n) { return std::uniform_int_distribution<int>(0, n - 1)(m.random); }

void BuildDitherTexture(Module& m) {
  constexpr double kTwoPi = 6.283185307179586;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (auto& profile : m.profiles) {
    const int length = (RandomBelow(m, 101) + 100) / 2;
    double phase[8];
    for (int k = 1; k <= 7; ++k) phase[k] = unit(m.random);
    profile.assign(2 * static_cast<size_t>(length), 0);
    for (int j = 0; j < length; ++j) {
      const double g = j * kTwoPi / length;
      int v = static_cast<int>(std::lround(150 * std::sin(g) + 100 * std::sin(kTwoPi * phase[1] + 2 * g) +
                                           50 * std::sin(kTwoPi * phase[2] + 3 * g) +
                                           20 * std::sin(kTwoPi * phase[3] + 4 * g)));
      int w = static_cast<int>(std::lround(150 * std::sin(g + kTwoPi * phase[4]) +
                                           100 * std::sin(2 * g + kTwoPi * phase[5]) +
                                           50 * std::sin(3 * g + kTwoPi * phase[6]) +
                                           20 * std::sin(4 * g + kTwoPi * phase[7])));
      v = std::clamp(v, -255, 255);
      w = std::clamp(w, -255, 255);
      if (std::abs(w - v) > 300) {
        const int mid = (v + w) / 2;
        v = mid - 150;
        w = mid + 150;
      }
      profile[2 * j] = std::min(v, w);
      profile[2 * j + 1] = std::max(v, w);
    }
  }
  for (int i = 0; i < kDitherRows; ++i) {
    DitherRow& row = m.rows[i];
    row.profile = RandomBelow(m, kProfiles);
    row.shift = RandomBelow(m, static_cast<int>(m.profiles[row.profile].size()));
    row.shift = (i & 1) ? (row.shift | 1) : (row.shift & ~1);
  }
}

void ClearDither(Module& m) {
  for (auto& entry : m.dithers) {
    if (entry.bitmap) DeleteObject(entry.bitmap);
    entry = DitherEntry{};
  }
  m.ditherRing = 0;
}

void Start(Module& m) {
  m.user32 = LoadLibraryW(L"user32.dll");
  m.msimg32 = LoadLibraryW(L"msimg32.dll");
  m.entries.UpdateLayeredWindow = Bind<TUpdateLayeredWindowFunc>(m.user32, "UpdateLayeredWindow");
  m.entries.AlphaBlend = Bind<TAlphaBlendFunc>(m.msimg32, "AlphaBlend");
  m.entries.GradientFill = Bind<TGradientFillFunc>(m.msimg32, "GradientFill");
  CreateSharedObjects(m);
  BuildDitherTexture(m);
  ClearDither(m);
  m.running = true;
}

void Stop(Module& m) {
  ClearDither(m);
  FreeSharedObjects(m);
  if (m.user32) FreeLibrary(m.user32);
  if (m.msimg32) FreeLibrary(m.msimg32);
  m.user32 = m.msimg32 = nullptr;
  m.entries = TSkinEntryPoints{};
  for (auto& p : m.profiles) p.clear();
  for (auto& g : m.gradients) g = GradientEntry{};
  m.gradientRing = 0;
  m.running = false;
}

// The module, started if nobody has yet.
Module& Running() {
  Module& m = M();
  if (!m.running) Start(m);
  return m;
}

// A solid brush of a colour that is not clNone, system colours through the one resolver.
HBRUSH SolidBrushOf(TColor color) {
  if (IsSystemColor(color) && !sysColorSource) return GetSysColorBrush(color & 0xFF);
  return CreateSolidBrush(ResolveColor(color));
}

}  // namespace

// --- System colours ------------------------------------------------------------------------

void SetSysColorSource(TSysColorSource source) { sysColorSource = source; }

COLORREF SkinSysColor(int index) { return sysColorSource ? sysColorSource(index) : GetSysColor(index); }

void SetScreenBitsSource(TScreenBitsSource source) { screenBitsSource = source; }

int SkinScreenBits() {
  if (screenBitsSource) return screenBitsSource();
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}

COLORREF ResolveColor(TColor color) {
  if (IsSystemColor(color)) return SkinSysColor(color & 0xFF) & 0xFFFFFF;
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// --- Colour arithmetic -----------------------------------------------------------------------

TColor ColorMix(TColor c1, TColor c2, int weight) {
  if (weight < 0 || weight >= 256) SkinAssertionFailure(kUnit, kMixWeightLine);
  const COLORREF a = ResolveColor(c1), b = ResolveColor(c2);
  const int v = weight ^ 255;
  return Pack((Red(a) * weight + Red(b) * v) >> 8, (Green(a) * weight + Green(b) * v) >> 8,
              (Blue(a) * weight + Blue(b) * v) >> 8);
}

TColor ColorAddLight(TColor color, int delta) {
  const COLORREF c = ResolveColor(color);
  return Pack(ClampByte(Red(c) + delta), ClampByte(Green(c) + delta), ClampByte(Blue(c) + delta));
}

TColor NearestColor(TColor color) {
  if (color == ui::clNone) return color;
  Module& m = Running();
  const COLORREF c = ResolveColor(color);
  if (!m.nearestDc) return static_cast<TColor>(c);
  const COLORREF n = GetNearestColor(m.nearestDc, c);
  return static_cast<TColor>(n == CLR_INVALID ? c : n & 0xFFFFFF);
}

TColor NearestColorAddLight(TColor color, int delta) { return NearestColor(ColorAddLight(color, delta)); }

TColor NearestColorMix(TColor c1, TColor c2, int weight) { return NearestColor(ColorMix(c1, c2, weight)); }

int ColorLuminance(TColor color) {
  const COLORREF c = ResolveColor(color);
  return (76 * Red(c) + 150 * Green(c) + 30 * Blue(c)) >> 8;
}

bool ColorIsDark(TColor color, int threshold) {
  const COLORREF c = ResolveColor(color);
  return 76 * Red(c) + 150 * Green(c) + 30 * Blue(c) < threshold * 256;
}

TColor ColorBlend(TColor c1, TColor c2, int a) {
  // Beyond 1000 the weight of c2 turns negative and the channels leave their byte.
  if (a < 0 || a > 1000) SkinAssertionFailure(kUnit, kBlendWeightLine);
  const int base = a < 100 ? 100 : 1000;
  const COLORREF x = ResolveColor(c1), y = ResolveColor(c2);
  auto channel = [&](int p, int q) { return (q * (base - a) + p * a + base / 2) / base; };
  return Pack(channel(Red(x), Red(y)), channel(Green(x), Green(y)), channel(Blue(x), Blue(y)));
}

namespace {
constexpr float kRedWeight = 0.764706f;    // 195/255
constexpr float kGreenWeight = 1.52941f;   // 390/255
constexpr float kBlueWeight = 0.254902f;   // 65/255

double Knee(double x, double r) { return r >= 220 ? x : x * (2 - r / 220); }
}  // namespace

float ColorDistance(TColor c1, TColor c2) {
  const COLORREF a = static_cast<COLORREF>(c1), b = static_cast<COLORREF>(c2);
  const float dr = static_cast<float>(Red(a) - Red(b)) * kRedWeight;
  const float dg = static_cast<float>(Green(a) - Green(b)) * kGreenWeight;
  const float db = static_cast<float>(Blue(a) - Blue(b)) * kBlueWeight;
  return std::sqrt(dr * dr + dg * dg + db * db);
}

void EnsureContrast(TColor& color, TColor reference, int minimum) {
  const TColor c = static_cast<TColor>(ResolveColor(color));
  const TColor ref = static_cast<TColor>(ResolveColor(reference));
  const double x = minimum;
  const double r = ColorDistance(ref, ui::clBlack);
  if (ColorDistance(ref, c) > Knee(x, r)) return;
  const double b = ColorDistance(c, ui::clBlack);
  const double d = Knee(x, r);
  const bool fromBlack = (b > r && r >= 442 - d) || (b <= r && r >= d);
  static constexpr double kMax[3] = {195, 390, 65};
  auto scaled = [&](TColor v, double out[3]) {
    const COLORREF rgb = static_cast<COLORREF>(v);
    const int ch[3] = {Red(rgb), Green(rgb), Blue(rgb)};
    for (int i = 0; i < 3; ++i) {
      out[i] = ch[i] * kMax[i] / 255;
      if (!fromBlack) out[i] = kMax[i] - out[i];
    }
  };
  double cv[3], pv[3];
  scaled(c, cv);
  scaled(ref, pv);
  double n = std::sqrt(cv[0] * cv[0] + cv[1] * cv[1] + cv[2] * cv[2]);
  if (n < 0.01) n = 0.01;
  const double t = (cv[0] * pv[0] + cv[1] * pv[1] + cv[2] * pv[2]) / n;
  double q2 = 0;
  for (int i = 0; i < 3; ++i) {
    const double qi = cv[i] * t / n - pv[i];
    q2 += qi * qi;
  }
  // When the distance cannot be reached along the ray, go as far as the foot of the
  // perpendicular allows rather than taking the root of a negative number.
  const double length = t - std::sqrt(std::max(0.0, d * d - q2));
  int out[3];
  for (int i = 0; i < 3; ++i) {
    double v = cv[i] * length / n;
    if (!fromBlack) v = kMax[i] - v;
    v = std::clamp(v, 0.0, kMax[i]);
    out[i] = ClampByte(static_cast<int>(std::trunc(v * 255 / kMax[i] + 0.5)));
  }
  color = Pack(out[0], out[1], out[2]);
}

void ColorToHsl(TColor color, double& h, double& s, double& l) {
  const COLORREF c = ResolveColor(color);
  const double r = Red(c) / 255.0, g = Green(c) / 255.0, b = Blue(c) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  l = (mx + mn) / 2;
  if (mx == mn) {
    h = s = 0;
    return;
  }
  const double delta = mx - mn;
  s = l >= 0.5 ? delta / (2 - mx - mn) : delta / (mx + mn);
  double hp;
  if (mx == r)
    hp = (g - b) / delta;
  else if (mx == g)
    hp = (b - r) / delta + 2;
  else
    hp = (r - g) / delta + 4;
  h = hp / 6;
  if (h < 0) h += 1;
}

TColor HslToColor(double h, double s, double l) {
  auto round = [](double v) { return ClampByte(static_cast<int>(std::nearbyint(v * 255))); };
  if (s == 0) {
    const int v = round(l);
    return Pack(v, v, v);
  }
  const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  auto channel = [&](double t) {
    t -= std::floor(t);  // the fraction in [0, 1), also for negative arguments
    double v;
    if (6 * t < 1)
      v = p + (q - p) * 6 * t;
    else if (2 * t < 1)
      v = q;
    else if (3 * t < 2)
      v = p + (q - p) * (2.0 / 3 - t) * 6;
    else
      v = p;
    return round(v);
  };
  return Pack(channel(h + 1.0 / 3), channel(h), channel(h - 1.0 / 3));
}

uint32_t SwapRedBlue(uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

void BlendPixel(HDC dc, int x, int y, TColor color, int alpha) {
  if (alpha <= 0) return;
  const COLORREF c = ResolveColor(color);
  if (alpha >= 255) {
    SetPixelV(dc, x, y, c);
    return;
  }
  const COLORREF old = GetPixel(dc, x, y);
  if (old == CLR_INVALID) return;
  if (alpha >= 128) ++alpha;
  auto mix = [&](int a, int b) { return (a * alpha + b * (256 - alpha) + 127) >> 8; };
  SetPixelV(dc, x, y, RGB(mix(Red(c), Red(old)), mix(Green(c), Green(old)), mix(Blue(c), Blue(old))));
}

// --- GDI routines ------------------------------------------------------------------------------

HPEN MakePen(TColor color) {
  if (color == ui::clNone) return static_cast<HPEN>(GetStockObject(NULL_PEN));
  return CreatePen(PS_SOLID, 1, ResolveColor(color));
}

HBRUSH MakeBrush(TColor color) {
  if (color == ui::clNone) {
    LOGBRUSH hollow{BS_NULL, 0, 0};
    return CreateBrushIndirect(&hollow);
  }
  return SolidBrushOf(color);
}

bool FillRectColor(HDC dc, const RECT& rect, TColor color) {
  if (color == ui::clNone) return false;
  HBRUSH brush = SolidBrushOf(color);
  ::FillRect(dc, &rect, brush);
  DeleteObject(brush);
  return true;
}

bool FrameRectColor(HDC dc, RECT& rect, TColor color, bool shrink) {
  bool drawn = false;
  if (color != ui::clNone) {
    HBRUSH brush = SolidBrushOf(color);
    ::FrameRect(dc, &rect, brush);
    DeleteObject(brush);
    drawn = true;
  }
  if (shrink) InflateRect(&rect, -1, -1);
  return drawn;
}

namespace {
// Selects a pen (and optionally a brush) for one drawing call and restores the DC after.
class SelectedTools {
 public:
  SelectedTools(HDC dc, HPEN pen, HBRUSH brush) : dc_(dc), pen_(pen), brush_(brush) {
    oldPen_ = SelectObject(dc, pen);
    if (brush) oldBrush_ = SelectObject(dc, brush);
  }
  ~SelectedTools() {
    SelectObject(dc_, oldPen_);
    if (brush_) SelectObject(dc_, oldBrush_);
    DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
  }
  SelectedTools(const SelectedTools&) = delete;
  SelectedTools& operator=(const SelectedTools&) = delete;

 private:
  HDC dc_;
  HPEN pen_;
  HBRUSH brush_;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr;
};
}  // namespace

void DrawLineColor(HDC dc, int x1, int y1, int x2, int y2, TColor color) {
  if (color == ui::clNone) return;
  SelectedTools tools(dc, MakePen(color), nullptr);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void PolylineColor(HDC dc, const POINT* points, int lastIndex, TColor color) {
  if (color == ui::clNone || lastIndex < 1) return;
  SelectedTools tools(dc, MakePen(color), nullptr);
  Polyline(dc, points, lastIndex + 1);
}

void PolygonColor(HDC dc, const POINT* points, int lastIndex, TColor lineColor, TColor fillColor) {
  if ((lineColor == ui::clNone && fillColor == ui::clNone) || lastIndex < 1) return;
  SelectedTools tools(dc, MakePen(lineColor), MakeBrush(fillColor));
  Polygon(dc, points, lastIndex + 1);
}

HBRUSH MakeDitherBrush(TColor c1, TColor c2) {
  struct {
    BITMAPINFOHEADER header;
    uint32_t pixels[64];
  } pattern{};
  pattern.header.biSize = sizeof(BITMAPINFOHEADER);
  pattern.header.biWidth = 8;
  pattern.header.biHeight = -8;
  pattern.header.biPlanes = 1;
  pattern.header.biBitCount = 32;
  pattern.header.biCompression = BI_RGB;
  const uint32_t a = SwapRedBlue(ResolveColor(c1)), b = SwapRedBlue(ResolveColor(c2));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pattern.pixels[y * 8 + x] = ((x + y) & 1) ? b : a;
  return CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
}

void FillRectDither(HDC dc, const RECT& rect, TColor c1, TColor c2) {
  HBRUSH brush = MakeDitherBrush(c1, c2);
  ::FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void DrawBevelFrame(HDC dc, RECT& rect, TColor topLeft, TColor bottomRight, bool inner) {
  --rect.right;
  --rect.bottom;
  const POINT first[3] = {{rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}};
  PolylineColor(dc, first, 2, topLeft);
  const POINT second[3] = {{rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}};
  PolylineColor(dc, second, 2, bottomRight);
  if (inner) {
    ++rect.left;
    ++rect.top;
  } else {
    --rect.right;
    --rect.bottom;
  }
}

void DrawSplitterDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect) {
  const SIZE thickness{3, 2};
  bars::DrawDragFrame(dc, newRect, oldRect, thickness, thickness);
}

void FillDwords(uint32_t* destination, int count, uint32_t value) {
  if (count > 0) std::fill_n(destination, count, value);
}

void CopyDwords(const uint32_t* source, uint32_t* destination, int count) {
  if (count > 0 && source != destination) std::memmove(destination, source, static_cast<size_t>(count) * 4);
}

namespace {

// The colours of a gradient of `n` pixels, from the cache or made there.
const std::vector<COLORREF>& GradientTable(Module& m, int n, COLORREF c1, COLORREF c2) {
  if (n <= 0) SkinAssertionFailure(kUnit, kGradientLengthLine);
  for (int i = 15; i >= 0; --i) {
    const GradientEntry& e = m.gradients[i];
    if (e.count == n && e.c1 == c1 && e.c2 == c2) return e.colors;
  }
  GradientEntry& e = m.gradients[m.gradientRing];
  m.gradientRing = (m.gradientRing + 1) % 16;
  e.count = n;
  e.c1 = c1;
  e.c2 = c2;
  e.colors.resize(n);
  const int from[3] = {Red(c1), Green(c1), Blue(c1)};
  const int delta[3] = {Red(c2) - from[0], Green(c2) - from[1], Blue(c2) - from[2]};
  for (int i = 0; i < n; ++i) {
    int ch[3];
    for (int k = 0; k < 3; ++k)
      ch[k] = n == 1 ? from[k] + FloorDiv(delta[k], 2) : from[k] + FloorDiv((n - 1) / 2 + i * delta[k], n - 1);
    e.colors[i] = RGB(ch[0], ch[1], ch[2]);
  }
  return e.colors;
}

void GradientStripes(HDC dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical) {
  const int n = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  if (n < 1) return;
  RECT clip;
  if (GetClipBox(dc, &clip) == ERROR) clip = rect;
  const int start = vertical ? rect.top : rect.left, end = vertical ? rect.bottom : rect.right;
  const int clipStart = vertical ? clip.top : clip.left, clipEnd = vertical ? clip.bottom : clip.right;
  const int first = std::max(0, clipStart - start);
  const int last = n - 1 - std::max(0, end - clipEnd);
  if (first > last) return;
  const std::vector<COLORREF>& colors = GradientTable(Running(), n, c1, c2);
  // Neighbouring stripes of one colour go in one fill.
  for (int i = first; i <= last;) {
    int j = i;
    while (j < last && colors[j + 1] == colors[i]) ++j;
    RECT stripe = rect;
    if (vertical) {
      stripe.top = start + i;
      stripe.bottom = start + j + 1;
    } else {
      stripe.left = start + i;
      stripe.right = start + j + 1;
    }
    HBRUSH brush = CreateSolidBrush(colors[i]);
    ::FillRect(dc, &stripe, brush);
    DeleteObject(brush);
    i = j + 1;
  }
}

}  // namespace

void GradientFillRect(HDC dc, const RECT& rect, TColor c1, TColor c2, int direction) {
  if (c1 == ui::clNone || c2 == ui::clNone) return;
  if (!RectVisible(dc, &rect)) return;
  Module& m = Running();
  const COLORREF a = ResolveColor(c1), b = ResolveColor(c2);
  if (m.entries.GradientFill) {
    TRIVERTEX vertices[2] = {};
    vertices[0].x = rect.left;
    vertices[0].y = rect.top;
    vertices[0].Red = static_cast<COLOR16>(Red(a) << 8);
    vertices[0].Green = static_cast<COLOR16>(Green(a) << 8);
    vertices[0].Blue = static_cast<COLOR16>(Blue(a) << 8);
    vertices[1].x = rect.right;
    vertices[1].y = rect.bottom;
    vertices[1].Red = static_cast<COLOR16>(Red(b) << 8);
    vertices[1].Green = static_cast<COLOR16>(Green(b) << 8);
    vertices[1].Blue = static_cast<COLOR16>(Blue(b) << 8);
    GRADIENT_RECT gradient{0, 1};
    m.entries.GradientFill(dc, vertices, 2, &gradient, 1,
                           direction == gdVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    return;
  }
  GradientStripes(dc, rect, a, b, direction == gdVertical);
}

namespace {

// The eight profile rows for a colour (pixel-word order) and amplitude, from the cache.
HBITMAP DitherBitmap(Module& m, uint32_t color, int amplitude) {
  for (int i = kDitherCacheSize - 1; i >= 0; --i) {
    const DitherEntry& e = m.dithers[i];
    if (e.color == static_cast<int32_t>(color) && e.amplitude == amplitude && e.bitmap) return e.bitmap;
  }
  DitherEntry& e = m.dithers[m.ditherRing];
  m.ditherRing = (m.ditherRing + 1) % kDitherCacheSize;
  e.color = static_cast<int32_t>(color);
  e.amplitude = amplitude;
  size_t widest = 0;
  for (const auto& p : m.profiles) widest = std::max(widest, p.size() / 2);
  if (!e.bitmap) {
    HDC screen = GetDC(nullptr);
    e.bitmap = CreateCompatibleBitmap(screen, static_cast<int>(widest), kProfiles);
    ReleaseDC(nullptr, screen);
  }
  WorkBitmap line;
  if (!e.bitmap || !line.Ensure(200, 1)) {
    line.Free();
    return e.bitmap;
  }
  HDC target = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(target, e.bitmap);
  const int channel[3] = {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                          static_cast<int>((color >> 16) & 0xFF)};
  for (int p = 0; p < kProfiles; ++p) {
    const std::vector<int>& offsets = m.profiles[p];
    for (size_t j = 0; j < offsets.size(); ++j) {
      uint32_t word = 0;
      for (int k = 0; k < 3; ++k) {
        const int value = channel[k] * 256 + offsets[j] * amplitude;
        // 239 at the top keeps light surfaces from burning out to white.
        const int byte = value < 0 ? 0 : value >= 61185 ? 239 : value >> 8;
        word |= static_cast<uint32_t>(byte) << (8 * k);
      }
      line.bits[j] = word;
    }
    BitBlt(target, 0, p, static_cast<int>(offsets.size() / 2), 1, line.dc, 0, 0, SRCCOPY);
  }
  SelectObject(target, old);
  DeleteDC(target);
  line.Free();
  return e.bitmap;
}

}  // namespace

void DitherTextureRect(HDC dc, const POINT* origin, const RECT& rect, TColor color, int amplitude) {
  if (color == ui::clNone || !RectVisible(dc, &rect)) return;
  Module& m = Running();
  const uint32_t k = SwapRedBlue(ResolveColor(color));
  const POINT o = origin ? *origin : POINT{0, 0};
  RECT clip, area;
  if (GetClipBox(dc, &clip) == ERROR) clip = rect;
  if (!IntersectRect(&area, &rect, &clip)) return;
  HBITMAP bitmap = DitherBitmap(m, k, amplitude);
  if (!bitmap) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  for (int y = area.top; y < area.bottom; ++y) {
    const DitherRow& row = m.rows[FloorMod(y - o.y, kDitherRows)];
    const int length = static_cast<int>(m.profiles[row.profile].size() / 2);
    // The first copy that reaches the left edge, wherever the origin lies.
    int x = area.left - FloorMod(area.left - (o.x - row.shift), length);
    for (; x < area.right; x += length) BitBlt(dc, x, y, length, 1, source, 0, row.profile, SRCCOPY);
  }
  RestoreDC(dc, saved);
  SelectObject(source, old);
  DeleteDC(source);
}

void ControlClientSize(const ui::TControl& control, int& width, int& height) {
  const RECT r = control.ClientRect();
  width = r.right - r.left;
  height = r.bottom - r.top;
}

// --- Image blits -------------------------------------------------------------------------------

namespace {

constexpr uint32_t kKeyColor = 0x203241;

struct BlitArea {
  int x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
};

BlitArea AreaOf(const RECT& rect, ui::TCustomImageList& images) {
  return {rect.left, rect.top, std::min(images.Width(), static_cast<int>(rect.right - rect.left)),
          std::min(images.Height(), static_cast<int>(rect.bottom - rect.top))};
}

// Copies the destination into A and draws the image into B: over the key colour when `keyed`,
// else over a copy of A. False when there is nothing to do.
bool Prepare(Module& m, HDC dc, const BlitArea& a, ui::TCustomImageList& images, int index, bool keyed,
             uint32_t fill = kKeyColor) {
  if (a.Empty() || index < 0 || index >= images.Count()) return false;
  if (!m.workA.Ensure(a.w, a.h) || !m.workB.Ensure(a.w, a.h)) return false;
  GdiFlush();
  BitBlt(m.workA.dc, 0, 0, a.w, a.h, dc, a.x, a.y, SRCCOPY);
  GdiFlush();
  for (int y = 0; y < a.h; ++y) {
    if (keyed)
      FillDwords(m.workB.Row(y), a.w, fill);
    else
      CopyDwords(m.workA.Row(y), m.workB.Row(y), a.w);
  }
  ImageList_Draw(images.Handle(), index, m.workB.dc, 0, 0, ILD_TRANSPARENT);
  GdiFlush();
  for (int y = 0; y < a.h; ++y) {
    // The alpha byte of what GDI drew is not ours to compare.
    for (uint32_t* p = m.workB.Row(y); p != m.workB.Row(y) + a.w; ++p) *p &= 0xFFFFFF;
    for (uint32_t* p = m.workA.Row(y); p != m.workA.Row(y) + a.w; ++p) *p &= 0xFFFFFF;
  }
  return true;
}

void CopyBack(Module& m, HDC dc, const BlitArea& a) {
  GdiFlush();
  BitBlt(dc, a.x, a.y, a.w, a.h, m.workA.dc, 0, 0, SRCCOPY);
}

int PR(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int PG(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int PB(uint32_t p) { return static_cast<int>(p & 0xFF); }
uint32_t PW(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}
int PixelLuminance(uint32_t p) { return 76 * PR(p) + 150 * PG(p) + 29 * PB(p); }

template <typename F>
void EachPixel(Module& m, const BlitArea& a, F f) {
  for (int y = 0; y < a.h; ++y) {
    uint32_t* q = m.workA.Row(y);
    uint32_t* p = m.workB.Row(y);
    for (int x = 0; x < a.w; ++x) f(p[x], q[x]);
  }
}

// Paints `color` through the one-bit bitmap in `source`: where its bits are 0 (`onZeros`) or
// 1, leaving the rest of the destination and the DC's colours as they were.
void PaintThroughBits(HDC dc, int x, int y, int w, int h, HDC source, TColor color, bool onZeros) {
  HBRUSH brush = MakeBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  const COLORREF zero = onZeros ? RGB(255, 255, 255) : RGB(0, 0, 0);
  const COLORREF oldText = SetTextColor(dc, zero);
  const COLORREF oldBack = SetBkColor(dc, zero ^ 0xFFFFFF);
  // Destination xor (source and (pattern xor destination)): the brush where the source is white.
  BitBlt(dc, x, y, w, h, source, 0, 0, 0xE20746);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

// Paints `color` where B, turned to one bit (white is 1), is 0.
void MaskBlit(Module& m, HDC dc, const BlitArea& a, TColor color) {
  if (!m.mask.Ensure(a.w, a.h)) return;
  GdiFlush();
  SetBkColor(m.workB.dc, RGB(255, 255, 255));
  BitBlt(m.mask.dc, 0, 0, a.w, a.h, m.workB.dc, 0, 0, SRCCOPY);
  PaintThroughBits(dc, a.x, a.y, a.w, a.h, m.mask.dc, color, true);
}

}  // namespace

void DrawImageBrightened(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index,
                         bool brighten) {
  if (!brighten) {
    images.Draw(canvas, rect.left, rect.top, index);
    return;
  }
  Module& m = Running();
  const BlitArea a = AreaOf(rect, images);
  if (!Prepare(m, canvas.Handle(), a, images, index, true)) return;
  EachPixel(m, a, [](uint32_t p, uint32_t& q) {
    if (p == kKeyColor) return;
    const int y = PixelLuminance(p);
    if (y > 64768)
      p = 0;
    else if (y < 25600)
      p = 0xFFFFFF;
    q = PW(ClampByte(PR(p) + 32), ClampByte(PG(p) + 32), ClampByte(PB(p) + 32));
  });
  CopyBack(m, canvas.Handle(), a);
}

void DrawImageFaded(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index, int alpha) {
  Module& m = Running();
  const BlitArea a = AreaOf(rect, images);
  if (!Prepare(m, canvas.Handle(), a, images, index, false)) return;
  const int al = std::clamp(alpha, 0, 255);
  EachPixel(m, a, [al](uint32_t p, uint32_t& q) {
    if (p == q) return;
    auto mix = [al](int b, int f) { return (b * (255 - al) + f * al) >> 8; };
    q = PW(mix(PR(q), PR(p)), mix(PG(q), PG(p)), mix(PB(q), PB(p)));
  });
  CopyBack(m, canvas.Handle(), a);
}

void DrawImageBlended(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index, TColor tint,
                      int alpha) {
  Module& m = Running();
  const BlitArea a = AreaOf(rect, images);
  if (!Prepare(m, canvas.Handle(), a, images, index, true)) return;
  const uint32_t t = SwapRedBlue(ResolveColor(tint));
  const int al = std::clamp(alpha, 0, 255);
  EachPixel(m, a, [t, al](uint32_t p, uint32_t& q) {
    if (p == kKeyColor) return;
    auto mix = [al](int tc, int f) { return (tc * (255 - al) + f * al) >> 8; };
    q = PW(mix(PR(t), PR(p)), mix(PG(t), PG(p)), mix(PB(t), PB(p)));
  });
  CopyBack(m, canvas.Handle(), a);
}

void DrawImageDisabled(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index, int level) {
  static constexpr int kDivisor[3] = {3, 8, 20};
  static constexpr int kAdd[3] = {170, 224, 243};
  if (level < 0 || level > 2) SkinAssertionFailure(kUnit, kDisabledLevelLine);
  Module& m = Running();
  const BlitArea a = AreaOf(rect, images);
  if (!Prepare(m, canvas.Handle(), a, images, index, false)) return;
  const int d = kDivisor[level], add = kAdd[level];
  EachPixel(m, a, [d, add](uint32_t p, uint32_t& q) {
    if (p == q) return;
    const int f = (PixelLuminance(p) >> 8) / d + add;
    q = PW((PR(q) * f) >> 8, (PG(q) * f) >> 8, (PB(q) * f) >> 8);
  });
  CopyBack(m, canvas.Handle(), a);
}

void DrawImageSilhouette(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index,
                         TColor color) {
  Module& m = Running();
  const BlitArea a = AreaOf(rect, images);
  if (!Prepare(m, canvas.Handle(), a, images, index, true, 0xFFFFFF)) return;
  EachPixel(m, a, [](uint32_t& p, uint32_t) {
    if (p != 0) p = PixelLuminance(p) < 46081 ? 0 : 0xFFFFFF;
  });
  MaskBlit(m, canvas.Handle(), a, color);
}

void DrawImageSolidSilhouette(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index,
                              TColor color) {
  Module& m = Running();
  const BlitArea a = AreaOf(rect, images);
  if (!Prepare(m, canvas.Handle(), a, images, index, true)) return;
  EachPixel(m, a, [](uint32_t& p, uint32_t) { p = p == kKeyColor ? 0xFFFFFF : 0; });
  MaskBlit(m, canvas.Handle(), a, color);
}

void DrawImageMask(HDC dc, int x, int y, ui::TCustomImageList& images, int index, TColor color) {
  if (color == ui::clNone) return;
  ui::TBitmap mask;
  // The list's mask is 0 where the image covers: that shape takes the colour.
  if (!images.GetMask(index, mask)) return;
  PaintThroughBits(dc, x, y, mask.Width(), mask.Height(), mask.Canvas().Handle(), color, true);
}

namespace {
POINT CentredCorner(const RECT& rect, int width, int height) {
  return {(rect.left + rect.right - width + 1) / 2, (rect.top + rect.bottom - height + 1) / 2};
}
}  // namespace

void DrawImageMaskCentred(HDC dc, const RECT& rect, ui::TCustomImageList& images, int index, TColor color) {
  const POINT p = CentredCorner(rect, images.Width(), images.Height());
  DrawImageMask(dc, p.x, p.y, images, index, color);
}

void DrawPatternGlyph(HDC dc, const RECT& rect, int width, int height, const uint8_t* rows, TColor color) {
  if (color == ui::clNone || width <= 0 || height <= 0) return;
  width = std::min(width, 8);
  height = std::min(height, 8);
  // One-bit bitmaps want word-aligned rows.
  uint16_t words[8] = {};
  for (int i = 0; i < height; ++i) words[i] = rows[i];
  HBITMAP bitmap = CreateBitmap(8, height, 1, 1, words);
  HDC mono = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mono, bitmap);
  const POINT p = CentredCorner(rect, width, height);
  PaintThroughBits(dc, p.x, p.y, width, height, mono, color, false);
  SelectObject(mono, old);
  DeleteDC(mono);
  DeleteObject(bitmap);
}

// --- Module state ------------------------------------------------------------------------------

TSkinEntryPoints& SkinEntryPoints() { return Running().entries; }

void SkinUtilsStart() {
  Module& m = M();
  if (m.starts++ == 0 && !m.running) Start(m);
}

void SkinUtilsEnd() {
  Module& m = M();
  if (m.starts > 0 && --m.starts == 0 && m.running) Stop(m);
}

void RecreateSharedObjects() {
  Module& m = Running();
  FreeSharedObjects(m);
  CreateSharedObjects(m);
}

void ClearDitherCache() { ClearDither(Running()); }

HFONT UtilsCaptionFont() { return Running().captionFont; }

}  // namespace movra::skin
