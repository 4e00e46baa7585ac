#pragma once
// Translation of windows: every published text of a component and of everything it reaches is
// put into the current language, with the English originals recorded so that the window can be
// put into another language later without being created again. Also the redirection of the
// user-interface layer's resource-string loads through the translator.
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/classes.h"
#include "runtime/ui/resstrings.h"

namespace movra {

// An object with one operation to run.
class TExecutable {
 public:
  virtual ~TExecutable() = default;
  virtual void Run() = 0;
};

// One recorded text: where it lives, its English original and what the translation last put
// there. A target destroyed since the recording, or a text changed since by code, is left
// alone.
struct TRetranslatorItem {
  std::weak_ptr<void> Alive;
  ui::TObject* Target = nullptr;
  std::string PropertyName;  // "Text" for a string list
  std::string OriginalText;
  std::string CurrentText;
  // A string list, line by line in the list's order, with the object of each line; a line not
  // tracked (added or changed by code since) is left alone.
  std::vector<std::string> OriginalLines;
  std::vector<std::string> CurrentLines;
  std::vector<void*> CurrentObjects;
  std::vector<char> TrackedLines;
};

// The record of one translated component.
class TRetranslator : public TExecutable {
 public:
  std::string Domain;
  std::vector<TRetranslatorItem> Items;
  // Puts every recorded text that is still as the translation left it into the current
  // language, always from the English original.
  void Run() override;
};

// Owned by a translated component and found by its name: the language the component is in and
// the record of its English texts.
class TLocalizerMarker : public ui::TComponent {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TLocalizerMarker", &ui::TComponent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  explicit TLocalizerMarker(ui::TComponent* owner) : ui::TComponent(owner) {}

  std::string TranslatedLanguage;
  std::unique_ptr<TRetranslator> Recorder;
};

inline constexpr char kLocalizerMarkerName[] = "LocalizerMarker";
inline constexpr char kRetranslateBeforeTranslate[] =
    "Retranslate was called on an object that has not been translated before. Please use "
    "TranslateComponent() before RetranslateComponent().";
inline constexpr char kSwitchedIncorrectly[] =
    "This application tried to switch the language, but in an incorrect way. The programmer needs "
    "to replace a call to TranslateComponent with a call to RetranslateComponent(). The programmer "
    "should see the changelog of the localization layer for more information.";

// Translates `component` and everything it reaches, recording the English texts; an empty
// domain is the current one. Again in the same language it does nothing; in another language
// it shows the "Error" box and changes nothing.
void TranslateComponent(ui::TComponent* component, const std::string& domain = "");
// Puts a translated component into the current language (with the domain it was translated
// in; `domain` is not used). Raises ELocProgrammingError on a component never translated.
void RetranslateComponent(ui::TComponent* component, const std::string& domain = "");

// Never translate property `propertyName` of objects of `targetClass` or classes derived from
// it. Component names and collections' "PropName" are never translated.
void GlobalIgnoreClassProperty(const ui::TClassInfo& targetClass, const std::string& propertyName);

// The steps of a translation, without recording.
void TranslateProperties(ui::TObject* object, const std::string& domain = "");
void TranslateStrings(ui::TStrings& strings, const std::string& domain = "");

// The replacement loaders: through the translator while the layer runs. Loads by record are
// translated on the translator's own thread only.
std::string TranslatedResourceString(const ui::TResStringRec* rec);
std::string TranslatedStringResource(unsigned identifier);
std::string TranslatedFormattedStringResource(unsigned identifier, const std::vector<std::string>& args);

// Routes the user-interface layer's resource-string loads through the loaders above; the
// program calls it right after StartLocalization, and the removal right before
// StopLocalization.
void InstallResourceStringTranslation();
void RemoveResourceStringTranslation();

}  // namespace movra
