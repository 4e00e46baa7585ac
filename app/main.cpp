// Palvex: the desktop program. Start-up takes the single-instance guard first, then COM, the
// logger and the translation layer; shut-down undoes them in reverse order.
#include <windows.h>

#include <exception>
#include <memory>

#include "app/main_form.h"
#include "app/main_host.h"
#include "i18n/component_translation.h"
#include "i18n/localizer.h"
#include "logging/journal.h"
#include "profiles/single_instance.h"
#include "profiles/xml_document.h"
#include "runtime/text.h"
#include "toolbars/bar_acc.h"

namespace {

// The program relies on the NT family's volume interfaces.
bool IsNtFamily() {
  using RtlGetVersionFunc = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFunc>(
                                reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                          : nullptr;
  if (!getVersion || getVersion(&info) != 0) return true;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void ShowFatal(const std::exception& error) {
  MessageBoxW(nullptr, movra::Utf8ToWide(error.what()).c_str(), L"Movra File Defragmentor",
              MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace movra;
  CheckSingleInstance();
  int exitCode = 0;
  bool runLeft = false;
  {
    TComScope com;
    bars::StartBarAccessibility();
    GlobalJournal();
    StartLocalization();
    InstallResourceStringTranslation();
    try {
      ui::TApplication& application = ui::Application();
      if (!IsNtFamily() &&
          application.MessageBox(
              "This application supports only Windows NT, 2000, XP && 2003\r\nDo you want to "
              "continue?",
              application.Title(), MB_YESNO | MB_ICONERROR) != IDYES)
        ExitProcess(0);
      application.SetTitle(app::kApplicationTitle);
      auto* form = application.CreateForm<app::TPalvexForm>(std::make_unique<app::TDialogHost>());
      application.Run();
      // Calls handed to this thread after the loop ended (log lines) are let in first.
      application.ProcessMessages();
      // Destroying the window saves the settings and frees the profiles.
      ui::Free(form);
      runLeft = app::RunLeftAtExit();
    } catch (const std::exception& error) {
      ShowFatal(error);
      exitCode = 1;
    }
    // Screen readers that still hold an object of a toolbar let go of it before COM goes.
    bars::StopBarAccessibility();
    RemoveResourceStringTranslation();
    StopLocalization();
    GlobalJournal().Stop();
  }
  ReleaseSingleInstance();
  // A run still going on ends with the process here, before anything it may use is torn down.
  if (runLeft) ExitProcess(static_cast<UINT>(exitCode));
  return exitCode;
}
