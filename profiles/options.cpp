#include "profiles/options.h"

#include <exception>
#include <optional>

#include "i18n/localizer.h"
#include "profiles/xml_document.h"

namespace movra {
namespace {

// The attribute's text converted by `convert`, or `fallback` when it is missing or the
// conversion fails.
template <class T, class Convert>
T ReadAttribute(const TXmlNode* element, const std::string& name, const T& fallback,
                Convert convert) {
  if (element == nullptr) return fallback;
  try {
    const std::optional<std::string> text = element->Attribute(name);
    return text ? static_cast<T>(convert(*text)) : fallback;
  } catch (const std::exception&) {
    return fallback;
  }
}

}  // namespace

void TOptions::CreateFromNode(const TXmlNode* element) {
  MinimizeOnStartup = ReadBool(element, "MinimizeOnStartup", false);
  MinimizeOnClose = ReadBool(element, "MinimizeOnClose", false);
  AnimateTray = ReadBool(element, "AnimateTray", true);
  ConfirmExit = ReadBool(element, "ConfirmExit", true);
  // A number the program has no meaning for reads as the default, as an unreadable one does:
  // a level of 7 would otherwise switch logging off through the options dialog.
  LogLevel = ReadIntInRange(element, "LogLevel", 1, kMinLogLevel, kMaxLogLevel);
  LogMaxLines = ReadIntInRange(element, "LogMaxLines", 100, 0, kMaxLogMaxLines);
  Language = ReadString(element, "Language", CurrentLanguage());
  ShowLogWindow = ReadBool(element, "ShowLogWindow", true);
  ShowSchedule = ReadBool(element, "ShowSchedule", true);
}

void TOptions::WriteToNode(TXmlElement& element) const {
  element.SetAttribute("AnimateTray", BoolText(AnimateTray));
  element.SetAttribute("MinimizeOnStartup", BoolText(MinimizeOnStartup));
  element.SetAttribute("MinimizeOnClose", BoolText(MinimizeOnClose));
  element.SetAttribute("ConfirmExit", BoolText(ConfirmExit));
  element.SetAttribute("LogLevel", std::to_string(LogLevel));
  element.SetAttribute("LogMaxLines", std::to_string(LogMaxLines));
  element.SetAttribute("Language", Language);
  element.SetAttribute("ShowLogWindow", BoolText(ShowLogWindow));
  element.SetAttribute("ShowSchedule", BoolText(ShowSchedule));
}

int32_t TOptions::ReadInt(const TXmlNode* element, const std::string& name, int32_t fallback) {
  return ReadAttribute(element, name, fallback,
                       [](const std::string& text) { return ParseInt(text); });
}

int32_t TOptions::ReadIntInRange(const TXmlNode* element, const std::string& name,
                                 int32_t fallback, int32_t lowest, int32_t highest) {
  const int32_t value = ReadInt(element, name, fallback);
  return value < lowest || value > highest ? fallback : value;
}

bool TOptions::ReadBool(const TXmlNode* element, const std::string& name, bool fallback) {
  return ReadAttribute(element, name, fallback,
                       [](const std::string& text) { return ParseBool(text); });
}

std::string TOptions::ReadString(const TXmlNode* element, const std::string& name,
                                 const std::string& fallback) {
  return ReadAttribute(element, name, fallback, [](const std::string& text) { return text; });
}

}  // namespace movra
