#include "themes/skin_uxthemes.h"

namespace movra::skin {
namespace {

HMODULE library = nullptr;
TUxThemeFunctions functions;

}  // namespace

bool BindUxTheme() {
  if (library) return true;
  library = LoadLibraryW(L"uxtheme.dll");
  if (!library) return false;
#define MOVRA_UXTHEME_BIND(name) \
  functions.name = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(GetProcAddress(library, #name)));
  MOVRA_UXTHEME_FUNCTIONS(MOVRA_UXTHEME_BIND)
#undef MOVRA_UXTHEME_BIND
  return true;
}

void UnbindUxTheme() {
  if (library) FreeLibrary(library);
  library = nullptr;
  functions = TUxThemeFunctions{};
}

bool UxThemeLoaded() { return library != nullptr; }

bool UxThemeUsable() {
  return library && functions.IsAppThemed && functions.IsThemeActive && functions.IsAppThemed() &&
         functions.IsThemeActive();
}

const TUxThemeFunctions& UxTheme() { return functions; }

int BoundUxThemeFunctionCount() {
  int count = 0;
#define MOVRA_UXTHEME_COUNT(name) count += functions.name ? 1 : 0;
  MOVRA_UXTHEME_FUNCTIONS(MOVRA_UXTHEME_COUNT)
#undef MOVRA_UXTHEME_COUNT
  return count;
}

}  // namespace movra::skin
