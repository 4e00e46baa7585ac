#include "i18n/mo_file.h"

#include <gtest/gtest.h>

#include "i18n/errors.h"
#include "tests/i18n/i18n_test_support.h"

using namespace movra;
using namespace movra::test;

namespace {

std::string Find(const TMoFile& catalog, std::string_view id) {
  auto found = catalog.Lookup(id);
  return found ? std::string(*found) : "<none>";
}

// The message of the ELocIOError that opening `path` raises, or "" when it opens.
std::string OpenError(const std::string& path) {
  try {
    TMoFile catalog(path, 0, TMoFile::kToEndOfFile);
    return {};
  } catch (const ELocIOError& e) {
    return e.Message();
  }
}

}  // namespace

TEST(MoFile, BothByteOrdersGiveTheSameTranslations) {
  TMoFile little(TestCatalogPath("sample_le.mo"), 0, TMoFile::kToEndOfFile);
  TMoFile big(TestCatalogPath("sample_be.mo"), 0, TMoFile::kToEndOfFile);
  EXPECT_FALSE(little.SwapBytes());
  EXPECT_TRUE(big.SwapBytes());
  for (const TMoFile* catalog : {&little, &big}) {
    EXPECT_EQ(Find(*catalog, "Hello"), "Hallo");
    EXPECT_EQ(Find(*catalog, "Size"), "Größe");
    EXPECT_EQ(Find(*catalog, "Line one\nLine two"), "Zeile eins\nZeile zwei");
    EXPECT_EQ(Find(*catalog, "Unknown"), "<none>");
    EXPECT_NE(Find(*catalog, "").find("charset=UTF-8"), std::string::npos);
  }
}

TEST(MoFile, ContextAndPluralEntriesDoNotDisturbPlainOnes) {
  TMoFile catalog(TestCatalogPath("sample_le.mo"), 0, TMoFile::kToEndOfFile);
  // Plain ids sorting right next to the plural "file" and the context entry "menu\4Open".
  EXPECT_EQ(Find(catalog, "files found"), "Dateien gefunden");
  EXPECT_EQ(Find(catalog, "Open file"), "Datei öffnen");
  EXPECT_EQ(Find(catalog, "Which catalog"), "sample");
  EXPECT_EQ(Find(catalog, "Zebra"), "Zebra");
  // There is no plural or context lookup: such entries are not found by their plain id.
  EXPECT_EQ(Find(catalog, "file"), "<none>");
  EXPECT_EQ(Find(catalog, "files"), "<none>");
  EXPECT_EQ(Find(catalog, "Open"), "<none>");
}

TEST(MoFile, APrefixOfAnIdIsNotThatId) {
  TMoFile catalog(TestCatalogPath("sample_le.mo"), 0, TMoFile::kToEndOfFile);
  EXPECT_EQ(Find(catalog, "Prefix"), "<none>");
  EXPECT_EQ(Find(catalog, "Prefix and more"), "Präfix und mehr");
  EXPECT_EQ(Find(catalog, "Prefix and more!"), "<none>");
}

TEST(MoFile, EveryIdIsFoundWhateverTheCount) {
  movra::testing::TempDir folder;
  for (int n = 0; n <= 70; ++n) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < n; ++i) {
      entries.emplace_back("id " + std::to_string(1000 + 7 * i), "text " + std::to_string(i));
    }
    for (bool swap : {false, true}) {
      const std::string path =
          WriteBelow(folder, "n" + std::to_string(n) + ".mo", BuildCatalog(entries, swap));
      TMoFile catalog(path, 0, TMoFile::kToEndOfFile);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(Find(catalog, "id " + std::to_string(1000 + 7 * i)), "text " + std::to_string(i))
            << "count " << n;
        // Between two ids, before the first and after the last: never found.
        ASSERT_EQ(Find(catalog, "id " + std::to_string(1000 + 7 * i + 3)), "<none>");
      }
      EXPECT_EQ(Find(catalog, "id 0"), "<none>");
      EXPECT_EQ(Find(catalog, "id 9"), "<none>");
    }
  }
}

TEST(MoFile, SearchStartsAtTheLargestPowerOfTwo) {
  movra::testing::TempDir folder;
  const auto counts = [&](int n) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < n; ++i) entries.emplace_back("k" + std::to_string(100 + i), "v");
    TMoFile catalog(WriteBelow(folder, "c.mo", BuildCatalog(entries)), 0, TMoFile::kToEndOfFile);
    return std::pair{catalog.StartIndex(), catalog.StartStep()};
  };
  EXPECT_EQ(counts(90), std::pair(64u, 32u));
  EXPECT_EQ(counts(64), std::pair(64u, 32u));
  EXPECT_EQ(counts(1), std::pair(1u, 0u));
  EXPECT_EQ(counts(0), std::pair(0u, 0u));
}

TEST(MoFile, EmptyCatalogFindsNothing) {
  movra::testing::TempDir folder;
  TMoFile catalog(WriteBelow(folder, "empty.mo", BuildCatalog({})), 0, TMoFile::kToEndOfFile);
  EXPECT_EQ(Find(catalog, ""), "<none>");
  EXPECT_EQ(Find(catalog, "Hello"), "<none>");
}

TEST(MoFile, CatalogInsideALargerFile) {
  movra::testing::TempDir folder;
  const std::string catalog = TestCatalog("sample_be.mo");
  const std::string path =
      WriteBelow(folder, "program.exe", std::string(1000, 'x') + catalog + "tail");
  TMoFile inside(path, 1000, catalog.size());
  EXPECT_EQ(Find(inside, "Hello"), "Hallo");
  // Strings need no terminating NUL, but the last string's own last byte must be inside.
  EXPECT_EQ(Find(TMoFile(path, 1000, catalog.size() - 1), "Hello"), "Hallo");
  EXPECT_THROW(TMoFile(path, 1000, catalog.size() - 2), ELocIOError);
  EXPECT_THROW(TMoFile(path, 1000, catalog.size() + 1000), ELocIOError);
  EXPECT_THROW(TMoFile(path, 5000, 100), ELocIOError);
}

TEST(MoFile, ErrorsNameTheFile) {
  movra::testing::TempDir folder;
  const std::string missing = folder.Path() + "missing.mo";
  EXPECT_EQ(OpenError(missing), "Cannot open file " + missing);
  const std::string text = WriteBelow(folder, "text.mo", "This is plain text, not a catalog.");
  EXPECT_EQ(OpenError(text), "This file is not a valid gettext mo file: " + text);
  const std::string empty = WriteBelow(folder, "empty.mo", "");
  EXPECT_EQ(OpenError(empty), "This file is not a valid gettext mo file: " + empty);
}

// Each damage of a real catalog is refused when it is opened, never met by a lookup.
TEST(MoFile, DamagedCatalogsAreRefused) {
  movra::testing::TempDir folder;
  const std::string good = TestCatalog("sample_le.mo");
  const uint32_t originals = 28;  // msgfmt puts the originals' table right after the header
  struct Damage {
    const char* what;
    std::string bytes;
  };
  std::vector<Damage> damages;
  const auto damaged = [&](const char* what, auto change) {
    std::string bytes = good;
    change(bytes);
    damages.push_back({what, bytes});
  };
  damaged("truncated header", [](std::string& b) { b.resize(12); });
  damaged("truncated strings", [](std::string& b) { b.resize(b.size() - 20); });
  damaged("huge count", [](std::string& b) { Put32(b, 8, 0x7FFFFFFF); });
  damaged("count past the tables",
          [&](std::string& b) { Put32(b, 8, static_cast<uint32_t>(b.size() / 8)); });
  damaged("originals past the end", [](std::string& b) { Put32(b, 12, 0xFFFFFFF0); });
  damaged("translations past the end",
          [&](std::string& b) { Put32(b, 16, static_cast<uint32_t>(b.size() - 4)); });
  damaged("string offset past the end",
          [&](std::string& b) { Put32(b, originals + 4, 0xFFFFFFFF); });
  damaged("huge string length", [&](std::string& b) { Put32(b, originals + 8, 0xFFFFFFFF); });
  damaged("length running off the end",
          [&](std::string& b) { Put32(b, originals + 16, static_cast<uint32_t>(b.size())); });
  damaged("wrong magic", [](std::string& b) { Put32(b, 0, 0x12345678); });
  for (const Damage& d : damages) {
    const std::string path = WriteBelow(folder, "damaged.mo", d.bytes);
    EXPECT_EQ(OpenError(path), "This file is not a valid gettext mo file: " + path) << d.what;
  }
}
