#include "tests/i18n/i18n_test_support.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "runtime/text.h"

namespace movra::test {

std::string TestCatalogPath(const std::string& name) {
  const std::string program = ProgramFileName();
  return program.substr(0, program.find_last_of('\\') + 1) + "i18n_test_data\\" + name;
}

std::string TestCatalog(const std::string& name) {
  return testing::ReadTextFile(TestCatalogPath(name));
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void Put64(std::string& bytes, size_t at, uint64_t value) {
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void Append64(std::string& bytes, uint64_t value) {
  bytes.append(8, '\0');
  Put64(bytes, bytes.size() - 8, value);
}

std::string BuildCatalog(std::vector<std::pair<std::string, std::string>> entries, bool swapBytes) {
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return std::lexicographical_compare(
        a.first.begin(), a.first.end(), b.first.begin(), b.first.end(), [](char x, char y) {
          return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
  });
  const uint32_t n = static_cast<uint32_t>(entries.size());
  const uint32_t originals = 28, translations = originals + 8 * n;
  std::string out(translations + 8 * n, '\0');
  const auto put = [&](size_t at, uint32_t v) {
    Put32(out, at, swapBytes ? __builtin_bswap32(v) : v);
  };
  put(0, 0x950412DE);
  put(8, n);
  put(12, originals);
  put(16, translations);
  for (uint32_t i = 0; i < n; ++i) {
    for (const auto& [table, text] :
         {std::pair{originals, entries[i].first}, std::pair{translations, entries[i].second}}) {
      put(table + 8 * i, static_cast<uint32_t>(text.size()));
      put(table + 8 * i + 4, static_cast<uint32_t>(out.size()));
      out += text;
      out += '\0';
    }
  }
  return out;
}

uint64_t AppendTable(std::string& program, const std::vector<AppendedCatalog>& catalogs) {
  std::vector<uint64_t> offsets;
  for (const auto& catalog : catalogs) {
    offsets.push_back(program.size());
    program += catalog.Bytes;
  }
  const uint64_t first = program.size();
  for (size_t i = 0; i < catalogs.size(); ++i) {
    Append64(program, program.size() + 256);
    Append64(program, offsets[i]);
    Append64(program, catalogs[i].Bytes.size());
    std::string name = catalogs[i].Name;
    name.resize(232, ' ');
    program += name;
  }
  Append64(program, 0);
  return first;
}

std::string WriteBelow(const testing::TempDir& folder, const std::string& relative,
                       const std::string& bytes) {
  const std::string path = folder.Path() + relative;
  std::filesystem::create_directories(std::filesystem::path(Utf8ToWide(path)).parent_path());
  testing::WriteTextFile(path, bytes);
  return path;
}

TLocalizerEnvironment QuietEnvironment(MessageLog& log, const std::string& lang) {
  TLocalizerEnvironment environment;
  environment.LangVariable = [lang] { return lang; };
  environment.UserLocaleInfo = [](uint32_t) { return std::string(); };
  environment.ThreadLocale = [] { return uint32_t{0}; };
  environment.ShowMessage = [&log](const std::string& title, const std::string& text) {
    log.Messages.emplace_back(title, text);
  };
  return environment;
}

}  // namespace movra::test
