#include "runtime/ui/dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include "runtime/text.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/resstrings.h"

namespace movra::ui {

std::vector<std::string> SplitOpenFileNames(std::wstring_view answer) {
  std::vector<std::wstring> parts;
  size_t at = 0;
  while (at < answer.size() && answer[at] != L'\0') {
    size_t end = answer.find(L'\0', at);
    if (end == std::wstring_view::npos) end = answer.size();
    parts.emplace_back(answer.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::string> files;
  if (parts.size() == 1) {
    files.push_back(WideToUtf8(parts[0]));
    return files;
  }
  std::wstring folder = parts.empty() ? std::wstring() : parts[0];
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(WideToUtf8(folder + parts[i]));
  return files;
}

std::wstring OpenDialogFilter(const std::string& filter) {
  std::wstring out = Utf8ToWide(filter);
  for (wchar_t& c : out)
    if (c == L'|') c = L'\0';
  out.append(2, L'\0');
  return out;
}

bool TOpenDialog::Execute() {
  // Large enough for a long multiple selection.
  std::wstring buffer(65536, L'\0');
  std::wstring first = Utf8ToWide(FileName);
  first.copy(buffer.data(), std::min(first.size(), buffer.size() - 2));
  std::wstring filter = OpenDialogFilter(Filter), title = Utf8ToWide(Title), dir = Utf8ToWide(InitialDir),
               ext = Utf8ToWide(DefaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = DialogOwner();
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = Title.empty() ? nullptr : title.c_str();
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : dir.c_str();
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : ext.c_str();
  ofn.Flags = OFN_EXPLORER;
  static constexpr std::pair<TOpenOption, DWORD> flags[] = {
      {ofReadOnly, OFN_READONLY},         {ofHideReadOnly, OFN_HIDEREADONLY},
      {ofAllowMultiSelect, OFN_ALLOWMULTISELECT}, {ofPathMustExist, OFN_PATHMUSTEXIST},
      {ofFileMustExist, OFN_FILEMUSTEXIST}, {ofShareAware, OFN_SHAREAWARE},
      {ofEnableSizing, OFN_ENABLESIZING}, {ofDontAddToRecent, OFN_DONTADDTORECENT},
      {ofForceShowHidden, OFN_FORCESHOWHIDDEN}, {ofNoChangeDir, OFN_NOCHANGEDIR}};
  for (auto [option, flag] : flags)
    if (Options & option) ofn.Flags |= flag;
  files_.Clear();
  if (!GetOpenFileNameW(&ofn)) return false;
  for (const auto& file : SplitOpenFileNames(buffer)) files_.Add(file);
  FileName = files_.Count() > 0 ? files_[0] : std::string();
  if (ofn.Flags & OFN_READONLY)
    Options |= ofReadOnly;
  else
    Options &= ~ofReadOnly;
  return true;
}

void TOpenDialog::GetProperties(TPropertyList& properties) {
  TComponent::GetProperties(properties);
  properties.AddText("Title", [this] { return Title; }, [this](const std::string& s) { Title = s; });
  properties.AddText("Filter", [this] { return Filter; }, [this](const std::string& s) { Filter = s; });
}

bool SelectDirectory(const std::string& caption, std::string& directory) {
  std::wstring title = Utf8ToWide(caption);
  BROWSEINFOW info{};
  info.hwndOwner = DialogOwner();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return false;
  std::wstring path(MAX_PATH * 4, L'\0');
  bool ok = SHGetPathFromIDListW(chosen, path.data()) != FALSE;
  CoTaskMemFree(chosen);
  if (!ok) return false;
  path.resize(wcslen(path.c_str()));
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  directory = WideToUtf8(path);
  return true;
}

std::string MessageDlgCaption(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning:
      return LoadResString(res::DlgWarning);
    case TMsgDlgType::mtError:
      return LoadResString(res::DlgError);
    case TMsgDlgType::mtInformation:
      return LoadResString(res::DlgInformation);
    case TMsgDlgType::mtConfirmation:
      return LoadResString(res::DlgConfirm);
    default:
      return Application().Title();
  }
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  UINT flags = MB_OK;
  if ((buttons & mbYesNoCancel) == mbYesNoCancel)
    flags = MB_YESNOCANCEL;
  else if ((buttons & mbYesNo) == mbYesNo)
    flags = MB_YESNO;
  else if ((buttons & (mbAbort | mbRetry | mbIgnore)) == (mbAbort | mbRetry | mbIgnore))
    flags = MB_ABORTRETRYIGNORE;
  else if ((buttons & (mbRetry | mbCancel)) == (mbRetry | mbCancel))
    flags = MB_RETRYCANCEL;
  else if ((buttons & mbOKCancel) == mbOKCancel)
    flags = MB_OKCANCEL;
  static constexpr UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  flags |= icons[static_cast<int>(type)];
  return Application().MessageBox(text, MessageDlgCaption(type), flags);
}

void ShowMessage(const std::string& text) { Application().MessageBox(text, Application().Title(), MB_OK); }

}  // namespace movra::ui
