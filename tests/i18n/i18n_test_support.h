#pragma once
// Files, catalogs and appended tables for the tests of the translation layer.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "i18n/language.h"
#include "tests/support/support.h"

namespace movra::test {

// A catalog compiled by msgfmt at build time (bin\i18n_test_data).
std::string TestCatalogPath(const std::string& name);
// Its bytes.
std::string TestCatalog(const std::string& name);

void Put32(std::string& bytes, size_t at, uint32_t value);
void Put64(std::string& bytes, size_t at, uint64_t value);
void Append64(std::string& bytes, uint64_t value);

// A catalog in the gettext binary format, written by hand: header and tables, then the strings.
// The originals are sorted here.
std::string BuildCatalog(std::vector<std::pair<std::string, std::string>> entries,
                         bool swapBytes = false);

// Appends catalogs and a table the way the build does (entries 256 bytes apart, names padded
// with spaces, a closing zero); returns the offset of the first entry.
struct AppendedCatalog {
  std::string Name;
  std::string Bytes;
};
uint64_t AppendTable(std::string& program, const std::vector<AppendedCatalog>& catalogs);

// Writes a file below `folder`, creating the folders on its way; returns its path.
std::string WriteBelow(const testing::TempDir& folder, const std::string& relative,
                       const std::string& bytes);

// Records the message boxes of the layer instead of showing them.
struct MessageLog {
  std::vector<std::pair<std::string, std::string>> Messages;
};

// An environment with a fixed LANG, no user locale and recorded message boxes.
TLocalizerEnvironment QuietEnvironment(MessageLog& log, const std::string& lang = "C");

}  // namespace movra::test
