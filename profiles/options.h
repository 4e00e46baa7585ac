#pragma once
// The program's settings. All but two live as attributes of the `Options` element of
// config.cfg; Startup and ContextMenu live in the registry (registry_settings.h).
#include <cstdint>
#include <string>

namespace movra {

class TXmlElement;
class TXmlNode;

struct TOptions {
  bool Startup = false;
  bool MinimizeOnStartup = false;
  bool MinimizeOnClose = false;
  bool AnimateTray = true;
  bool ContextMenu = false;
  bool ConfirmExit = true;
  std::string Language;       // filled with the current interface language when read
  int32_t LogLevel = 1;       // 0 none, 1 short, 2 verbose
  int32_t LogMaxLines = 100;  // line limit of the log window; 0 for none
  bool ShowLogWindow = true;
  bool ShowSchedule = true;

  // Fills every field kept in config.cfg from the element, in place; a field whose attribute
  // is missing or unreadable, or every field when there is no element, gets its default.
  void CreateFromNode(const TXmlNode* element);
  // Writes the nine attributes of config.cfg.
  void WriteToNode(TXmlElement& element) const;

  // The ranges the program knows: the log levels, and the memo line limit (0 for none).
  static constexpr int32_t kMinLogLevel = 0;
  static constexpr int32_t kMaxLogLevel = 2;
  static constexpr int32_t kMaxLogMaxLines = 999999;

  // The attribute converted, or `fallback` on any failure.
  static int32_t ReadInt(const TXmlNode* element, const std::string& name, int32_t fallback);
  // As ReadInt; a value outside lowest..highest is `fallback` too.
  static int32_t ReadIntInRange(const TXmlNode* element, const std::string& name,
                                int32_t fallback, int32_t lowest, int32_t highest);
  static bool ReadBool(const TXmlNode* element, const std::string& name, bool fallback);
  static std::string ReadString(const TXmlNode* element, const std::string& name,
                                const std::string& fallback);
};

}  // namespace movra
