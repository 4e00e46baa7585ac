#include "i18n/component_translation.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <unordered_set>

#include "i18n/errors.h"
#include "i18n/localizer.h"
#include "runtime/text.h"

namespace movra {

namespace {

struct TClassMode {
  const ui::TClassInfo* TargetClass;
  std::vector<std::string> IgnoredProperties;  // upper case, sorted, no duplicates
};

// A rule for a class stands before the rules of the classes it derives from.
std::vector<TClassMode>& GlobalIgnoreRules() {
  static std::vector<TClassMode> rules = {
      {&ui::TComponent::Class(), {"NAME"}},
      {&ui::TCollection::Class(), {"PROPNAME"}},
  };
  return rules;
}

std::mutex& RulesLock() {
  static std::mutex lock;
  return lock;
}

std::vector<std::string> IgnoredNames(const ui::TObject& object) {
  std::lock_guard lock(RulesLock());
  std::vector<std::string> names;
  for (const TClassMode& rule : GlobalIgnoreRules())
    if (object.InheritsFrom(*rule.TargetClass))
      names.insert(names.end(), rule.IgnoredProperties.begin(), rule.IgnoredProperties.end());
  return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string EffectiveDomain(const std::string& domain) {
  if (!domain.empty()) return domain;
  TLocalizer* instance = LocalizationInstance();
  return instance ? instance->CurrentDomain() : "default";
}

std::string Translate(const std::string& domain, const std::string& text) {
  TLocalizer* instance = LocalizationInstance();
  return instance ? instance->TranslateInDomain(domain, text) : text;
}

std::vector<std::string> Lines(const ui::TStrings& strings) {
  std::vector<std::string> lines;
  for (int i = 0; i < strings.Count(); ++i) lines.push_back(strings.Get(i));
  return lines;
}

std::vector<void*> LineObjects(const ui::TStrings& strings) {
  std::vector<void*> objects;
  for (int i = 0; i < strings.Count(); ++i) objects.push_back(strings.Objects(i));
  return objects;
}

constexpr size_t kLineGone = static_cast<size_t>(-1);

// Writes `lines` over the list's lines (line i replaces line i), keeping the object attached to
// each line with it. A sorted list re-sorts, so it gets all its lines again and they may change
// places. Returns where each line stands now (kLineGone for a line the list did not keep).
std::vector<size_t> PutLines(ui::TStrings& strings, const std::vector<std::string>& lines) {
  std::vector<size_t> at(lines.size(), kLineGone);
  {
    ui::TUpdateGuard update(strings);
    auto* sorted = dynamic_cast<ui::TStringList*>(&strings);
    if (sorted && sorted->Sorted()) {
      std::vector<void*> objects;
      for (int i = 0; i < strings.Count(); ++i) objects.push_back(strings.Objects(i));
      strings.Clear();
      // Each line goes in tagged with its own number, which tells where the sort put it; the
      // line's object then replaces the tag.
      for (size_t i = 0; i < lines.size(); ++i)
        strings.AddObject(lines[i], reinterpret_cast<void*>(static_cast<uintptr_t>(i + 1)));
      for (int k = 0; k < strings.Count(); ++k) {
        const size_t i = reinterpret_cast<uintptr_t>(strings.Objects(k)) - 1;
        if (i >= lines.size()) continue;
        at[i] = static_cast<size_t>(k);
        strings.PutObject(k, i < objects.size() ? objects[i] : nullptr);
      }
    } else {
      for (size_t i = 0; i < lines.size() && i < static_cast<size_t>(strings.Count()); ++i) at[i] = i;
      for (int i = 0; i < strings.Count() && i < static_cast<int>(lines.size()); ++i)
        if (strings.Get(i) != lines[static_cast<size_t>(i)]) strings.Put(i, lines[static_cast<size_t>(i)]);
    }
  }
  return at;
}

// A record kept line by line in the list's order, moved along with the lines.
template <typename T>
std::vector<T> Follow(const std::vector<T>& record, const std::vector<size_t>& at, size_t count,
                      const T& missing) {
  std::vector<T> moved(count, missing);
  for (size_t i = 0; i < record.size() && i < at.size(); ++i)
    if (at[i] < count) moved[at[i]] = record[i];
  return moved;
}

std::vector<std::string> TranslateLines(const std::string& domain, const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines) out.push_back(line.empty() ? line : Translate(domain, line));
  return out;
}

class TPropertyWalker {
 public:
  TPropertyWalker(std::string domain, TRetranslator* recorder) : domain_(std::move(domain)), recorder_(recorder) {}

  void Walk(ui::TObject* root) {
    work_.push_back(root);
    while (!work_.empty()) {
      ui::TObject* object = work_.front();
      work_.pop_front();
      auto* persistent = dynamic_cast<ui::TPersistent*>(object);
      if (!persistent || !done_.insert(object).second) continue;
      Visit(*persistent);
    }
  }

 private:
  void Visit(ui::TPersistent& object) {
    const std::vector<std::string> ignored = IgnoredNames(object);
    ui::TPropertyList properties = object.Properties();
    for (const ui::TTextProperty& property : properties.Texts)
      if (!Contains(ignored, AsciiUpper(property.Name))) TranslateProperty(object, property);
    for (const ui::TObjectProperty& property : properties.Objects)
      if (property.Value && !Contains(ignored, AsciiUpper(property.Name))) work_.push_back(property.Value);
    if (auto* strings = dynamic_cast<ui::TStrings*>(&object); strings && !strings->Text().empty()) {
      std::vector<std::string> lines = Lines(*strings);
      std::vector<std::string> translated = TranslateLines(domain_, lines);
      std::vector<size_t> at(lines.size());
      for (size_t i = 0; i < at.size(); ++i) at[i] = i;
      if (translated != lines) at = PutLines(*strings, translated);
      if (recorder_) {
        const size_t count = static_cast<size_t>(strings->Count());
        TRetranslatorItem item;
        item.Alive = strings->Lifetime();
        item.Target = strings;
        item.PropertyName = "Text";
        item.OriginalLines = Follow(lines, at, count, std::string());
        item.TrackedLines = Follow(std::vector<char>(lines.size(), 1), at, count, char{0});
        item.CurrentLines = Lines(*strings);
        item.CurrentObjects = LineObjects(*strings);
        recorder_->Items.push_back(std::move(item));
      }
    }
    if (auto* collection = dynamic_cast<ui::TCollection*>(&object))
      for (int i = 0; i < collection->Count(); ++i) work_.push_back(collection->Items(i));
    if (auto* component = dynamic_cast<ui::TComponent*>(&object))
      for (int i = 0; i < component->ComponentCount(); ++i) work_.push_back(component->Components(i));
  }

  void TranslateProperty(ui::TPersistent& object, const ui::TTextProperty& property) {
    try {
      std::string text = property.Get();
      if (text.empty() || !property.Writable()) return;
      std::string translation = Translate(domain_, text);
      if (translation != text) property.Set(translation);
      if (recorder_) {
        TRetranslatorItem item;
        item.Alive = object.Lifetime();
        item.Target = &object;
        item.PropertyName = property.Name;
        item.OriginalText = text;
        item.CurrentText = property.Get();
        recorder_->Items.push_back(std::move(item));
      }
    } catch (const Exception& error) {
      throw ELocComponentError("Property cannot be translated.\r\nAdd GlobalIgnoreClassProperty(" +
                               object.ClassName() + ",'" + property.Name +
                               "') to your source code or use\r\nIgnoreProperty (self,'." + property.Name +
                               "') to prevent this message.\r\nReason: " + error.what());
    }
  }

  std::string domain_;
  TRetranslator* recorder_;
  std::deque<ui::TObject*> work_;
  std::unordered_set<ui::TObject*> done_;
};

void Walk(ui::TObject* object, const std::string& domain, TRetranslator* recorder) {
  std::string effective = EffectiveDomain(domain);
  if (recorder) recorder->Domain = effective;
  TPropertyWalker(effective, recorder).Walk(object);
}

TLocalizerMarker* FindMarker(ui::TComponent* component) {
  return dynamic_cast<TLocalizerMarker*>(component->FindComponent(kLocalizerMarkerName));
}

void ShowError(const std::string& title, const std::string& text) {
  if (TLocalizer* instance = LocalizationInstance())
    instance->ShowMessage(title, text);
  else
    MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), MB_OK);
}

}  // namespace

void TRetranslator::Run() {
  for (TRetranslatorItem& item : Items) {
    if (item.Alive.expired()) continue;
    if (auto* strings = dynamic_cast<ui::TStrings*>(item.Target); strings && item.PropertyName == "Text") {
      // Line by line, and only the lines still as the last translation left them: lines added
      // since, lines changed by code and the objects attached stay.
      // Line by line, and only the lines still as the last translation left them, each found
      // by its text and its object wherever it stands now (lines added or sorted in since move
      // the others): lines added since, lines changed by code and the objects attached stay.
      std::vector<std::string> lines = Lines(*strings);
      const std::vector<void*> objects = LineObjects(*strings);
      std::vector<std::string> original(lines.size());
      std::vector<char> ours(lines.size(), 0);
      std::vector<char> used(item.CurrentLines.size(), 0);
      for (size_t k = 0; k < lines.size(); ++k) {
        auto matches = [&](size_t j) {
          return !used[j] && item.TrackedLines[j] && item.CurrentLines[j] == lines[k] &&
                 item.CurrentObjects[j] == objects[k];
        };
        // Where it stood last time first; a search only when lines have moved.
        size_t j = used.size();
        if (k < used.size() && matches(k)) {
          j = k;
        } else {
          for (size_t c = 0; c < used.size(); ++c)
            if (matches(c)) {
              j = c;
              break;
            }
        }
        if (j == used.size()) continue;
        used[j] = 1;
        ours[k] = 1;
        original[k] = item.OriginalLines[j];
        lines[k] = original[k].empty() ? original[k] : Translate(Domain, original[k]);
      }
      const std::vector<size_t> at = PutLines(*strings, lines);
      // The record follows its lines to where a sorted list put them.
      const size_t count = static_cast<size_t>(strings->Count());
      item.OriginalLines = Follow(original, at, count, std::string());
      item.TrackedLines = Follow(ours, at, count, char{0});
      item.CurrentLines = Lines(*strings);
      item.CurrentObjects = LineObjects(*strings);
      continue;
    }
    auto* persistent = dynamic_cast<ui::TPersistent*>(item.Target);
    if (!persistent) continue;
    ui::TPropertyList properties = persistent->Properties();
    const ui::TTextProperty* property = properties.FindText(item.PropertyName);
    if (!property || !property->Writable() || property->Get() != item.CurrentText) continue;
    property->Set(Translate(Domain, item.OriginalText));
    item.CurrentText = property->Get();
  }
}

void TranslateComponent(ui::TComponent* component, const std::string& domain) {
  const std::string language = CurrentLanguage();
  if (TLocalizerMarker* marker = FindMarker(component)) {
    if (marker->TranslatedLanguage != language) {
      // Left in its language, so that RetranslateComponent still switches it.
      ShowError("Error", kSwitchedIncorrectly);
      return;
    }
    return;
  }
  // The marker joins the component only after the walk, so that it is not walked itself, and
  // is freed with its record when the walk fails.
  auto marker = ui::MakeOwned<TLocalizerMarker>(nullptr);
  marker->SetName(kLocalizerMarkerName);
  marker->Recorder = std::make_unique<TRetranslator>();
  Walk(component, domain, marker->Recorder.get());
  marker->TranslatedLanguage = language;
  component->InsertComponent(marker.release());
}

void RetranslateComponent(ui::TComponent* component, const std::string&) {
  TLocalizerMarker* marker = FindMarker(component);
  if (!marker) throw ELocProgrammingError(kRetranslateBeforeTranslate);
  const std::string language = CurrentLanguage();
  if (marker->TranslatedLanguage != language && marker->Recorder) marker->Recorder->Run();
  marker->TranslatedLanguage = language;
}

void GlobalIgnoreClassProperty(const ui::TClassInfo& targetClass, const std::string& propertyName) {
  const std::string name = AsciiUpper(propertyName);
  std::lock_guard lock(RulesLock());
  auto& rules = GlobalIgnoreRules();
  for (auto it = rules.begin(); it != rules.end(); ++it) {
    if (it->TargetClass == &targetClass) {
      auto& names = it->IgnoredProperties;
      auto at = std::lower_bound(names.begin(), names.end(), name);
      if (at == names.end() || *at != name) names.insert(at, name);
      return;
    }
    if (targetClass.InheritsFrom(*it->TargetClass)) {
      rules.insert(it, TClassMode{&targetClass, {name}});
      return;
    }
  }
  rules.push_back(TClassMode{&targetClass, {name}});
}

void TranslateProperties(ui::TObject* object, const std::string& domain) { Walk(object, domain, nullptr); }

void TranslateStrings(ui::TStrings& strings, const std::string& domain) {
  if (strings.Count() == 0) return;
  std::vector<std::string> lines = Lines(strings);
  std::vector<std::string> translated = TranslateLines(EffectiveDomain(domain), lines);
  if (translated != lines) PutLines(strings, translated);
}

std::string TranslatedResourceString(const ui::TResStringRec* rec) {
  if (!rec) return {};
  if (rec->Identifier >= 65536) return "ERROR";
  std::string text = ui::PlatformLoadResString(rec);
  TLocalizer* instance = LocalizationInstance();
  if (instance && GetCurrentThreadId() == instance->OwnerThread()) return TranslateResourceText(text);
  return text;
}

std::string TranslatedStringResource(unsigned identifier) {
  return TranslateResourceText(ui::PlatformLoadStr(identifier));
}

std::string TranslatedFormattedStringResource(unsigned identifier, const std::vector<std::string>& args) {
  // Looked up after the arguments are in: a catalog translates the formatted text only.
  return TranslateResourceText(ui::PlatformFmtLoadStr(identifier, args));
}

void InstallResourceStringTranslation() {
  ui::SetResStringLoaders({&TranslatedResourceString, &TranslatedStringResource, &TranslatedFormattedStringResource});
}

void RemoveResourceStringTranslation() { ui::ResetResStringLoaders(); }

}  // namespace movra
