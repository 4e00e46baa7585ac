#pragma once
// The visual-styles library, loaded at run time: systems without it (or without a style in
// force) leave every entry point empty, and the themes then draw classic edges.
#include <windows.h>
#include <uxtheme.h>

namespace movra::skin {

// The entry points, in the order they are looked up.
#define MOVRA_UXTHEME_FUNCTIONS(X)                                                              \
  X(OpenThemeData) X(CloseThemeData) X(DrawThemeBackground) X(DrawThemeText)                    \
  X(GetThemeBackgroundContentRect) X(GetThemePartSize) X(GetThemeTextExtent)                    \
  X(GetThemeTextMetrics) X(GetThemeBackgroundRegion) X(HitTestThemeBackground) X(DrawThemeEdge) \
  X(DrawThemeIcon) X(IsThemePartDefined) X(IsThemeBackgroundPartiallyTransparent)               \
  X(GetThemeColor) X(GetThemeMetric) X(GetThemeString) X(GetThemeBool) X(GetThemeInt)           \
  X(GetThemeEnumValue) X(GetThemePosition) X(GetThemeFont) X(GetThemeRect) X(GetThemeMargins)   \
  X(GetThemeIntList) X(GetThemePropertyOrigin) X(SetWindowTheme) X(GetThemeFilename)            \
  X(GetThemeSysColor) X(GetThemeSysColorBrush) X(GetThemeSysBool) X(GetThemeSysSize)            \
  X(GetThemeSysFont) X(GetThemeSysString) X(GetThemeSysInt) X(IsThemeActive) X(IsAppThemed)     \
  X(GetWindowTheme) X(EnableThemeDialogTexture) X(IsThemeDialogTextureEnabled)                  \
  X(GetThemeAppProperties) X(SetThemeAppProperties) X(GetCurrentThemeName)                      \
  X(GetThemeDocumentationProperty) X(DrawThemeParentBackground) X(EnableTheming)

struct TUxThemeFunctions {
#define MOVRA_UXTHEME_MEMBER(name) decltype(&::name) name = nullptr;
  MOVRA_UXTHEME_FUNCTIONS(MOVRA_UXTHEME_MEMBER)
#undef MOVRA_UXTHEME_MEMBER
};

constexpr int kUxThemeFunctionCount = 46;

// Loads uxtheme.dll and looks every entry point up (a missing one stays empty); does nothing
// when the library is loaded already. False when it cannot be loaded.
bool BindUxTheme();
// Frees the library and empties every entry point.
void UnbindUxTheme();
bool UxThemeLoaded();
// Loaded, and both IsAppThemed and IsThemeActive answer true.
bool UxThemeUsable();
const TUxThemeFunctions& UxTheme();
// How many entry points are bound now.
int BoundUxThemeFunctionCount();

}  // namespace movra::skin
