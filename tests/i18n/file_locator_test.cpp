#include "i18n/file_locator.h"

#include <gtest/gtest.h>

#include <functional>

#include "i18n/errors.h"
#include "runtime/text.h"
#include "tests/i18n/i18n_test_support.h"

using namespace movra;
using namespace movra::test;

namespace {

const char kDeName[] = "locale\\de\\LC_MESSAGES\\default.mo";
const char kRuName[] = "locale\\ru\\LC_MESSAGES\\default.mo";

// A program file in its own folder with an appended table.
struct FakeProgram {
  movra::testing::TempDir Folder;
  std::string Path;
  uint64_t FirstEntry = 0;

  explicit FakeProgram(const std::vector<AppendedCatalog>& catalogs) {
    std::string bytes(4096, 'P');
    FirstEntry = AppendTable(bytes, catalogs);
    Path = WriteBelow(Folder, "program.exe", bytes);
  }
};

std::string Find(const TCatalogRef& catalog, std::string_view id) {
  auto found = catalog->Lookup(id);
  return found ? std::string(*found) : "<none>";
}

}  // namespace

TEST(FileLocator, ZeroOffsetMeansNoTable) {
  FakeProgram program({{kDeName, TestCatalog("sample_le.mo")}});
  TFileLocator locator;
  EXPECT_EQ(locator.ReadEmbeddedTable(program.Path, 0), "");
  EXPECT_EQ(locator.AppendedCount(), 0);
  EXPECT_EQ(locator.ProgramFolder(), "");
  EXPECT_FALSE(locator.HasAppendedCatalog(program.Folder.Path() + kDeName));
  EXPECT_FALSE(locator.HasAppendedCatalog(kDeName));
}

TEST(FileLocator, PaddedNamesAreFoundInAnyLetterCase) {
  FakeProgram program({{std::string("  \t") + kDeName, TestCatalog("sample_le.mo")},
                       {kRuName, TestCatalog("second.mo")}});
  TFileLocator locator;
  ASSERT_EQ(locator.ReadEmbeddedTable(program.Path, program.FirstEntry), "");
  EXPECT_EQ(locator.AppendedCount(), 2);
  EXPECT_EQ(locator.ProgramFolder(), program.Folder.Path());
  const std::string folder = program.Folder.Path();
  EXPECT_TRUE(locator.HasAppendedCatalog(folder + kDeName));
  EXPECT_TRUE(locator.HasAppendedCatalog(folder + "LOCALE\\De\\lc_messages\\DEFAULT.MO"));
  EXPECT_FALSE(locator.HasAppendedCatalog(folder + "locale\\fr\\LC_MESSAGES\\default.mo"));

  TCatalogRef de = locator.AcquireCatalog(folder + "Locale\\DE\\LC_MESSAGES\\default.mo");
  TCatalogRef ru = locator.AcquireCatalog(folder + kRuName);
  EXPECT_EQ(Find(de, "Hello"), "Hallo");
  EXPECT_EQ(Find(ru, "Hello"), "Привет");
}

TEST(FileLocator, ProgramFolderMustMatchInLetterCase) {
  FakeProgram program({{kDeName, TestCatalog("sample_le.mo")}});
  TFileLocator locator;
  ASSERT_EQ(locator.ReadEmbeddedTable(program.Path, program.FirstEntry), "");
  const std::string otherCase = AsciiUpper(program.Folder.Path()) + kDeName;
  ASSERT_NE(otherCase, program.Folder.Path() + kDeName);
  // Not under the program folder, so a disk path; and there is no such file on disk.
  EXPECT_THROW(locator.AcquireCatalog(otherCase), ELocIOError);
  // Without the folder the relative name is looked up as it stands, which never names a file.
  EXPECT_TRUE(locator.HasAppendedCatalog(kDeName));
}

TEST(FileLocator, DomainsShareOneCatalog) {
  FakeProgram program({{kDeName, TestCatalog("sample_le.mo")}});
  TFileLocator locator;
  ASSERT_EQ(locator.ReadEmbeddedTable(program.Path, program.FirstEntry), "");
  const std::string disk = WriteBelow(program.Folder, "disk.mo", TestCatalog("second.mo"));

  TCatalogRef first = locator.AcquireCatalog(program.Folder.Path() + kDeName);
  TCatalogRef second = locator.AcquireCatalog(program.Folder.Path() + AsciiUpper(kDeName));
  TCatalogRef fromDisk = locator.AcquireCatalog(disk);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_NE(first.get(), fromDisk.get());
  EXPECT_EQ(locator.OpenCount(), 2);

  first.Reset();
  EXPECT_EQ(Find(second, "Hello"), "Hallo");
  EXPECT_EQ(locator.OpenCount(), 2);
  second.Reset();
  EXPECT_EQ(locator.OpenCount(), 1);
  TCatalogRef moved = std::move(fromDisk);
  EXPECT_EQ(Find(moved, "Hello"), "Привет");
  moved.Reset();
  EXPECT_EQ(locator.OpenCount(), 0);
}

TEST(FileLocator, FailedOpeningLeavesTheCacheAlone) {
  movra::testing::TempDir folder;
  const std::string bad = WriteBelow(folder, "bad.mo", "not a catalog at all");
  TFileLocator locator;
  EXPECT_THROW(locator.AcquireCatalog(bad), ELocIOError);
  EXPECT_EQ(locator.OpenCount(), 0);
  WriteBelow(folder, "bad.mo", TestCatalog("sample_le.mo"));
  TCatalogRef repaired = locator.AcquireCatalog(bad);
  EXPECT_EQ(Find(repaired, "Hello"), "Hallo");
}

// A damaged table is not used at all, says what is wrong, and is never read out of bounds.
TEST(FileLocator, DamagedTablesAreNotUsed) {
  const std::string catalog = TestCatalog("sample_le.mo");
  struct Damage {
    const char* what;
    std::string expected;
    std::function<void(std::string& bytes, uint64_t& first)> change;
  };
  // The first entry lies at f, the second at f + 256: next, offset, size, then the name.
  const std::vector<Damage> damages = {
      {"first entry past the end", "past the end",
       [](std::string& b, uint64_t& f) { f = b.size() + 100; }},
      {"first entry in the last bytes", "past the end",
       [](std::string& b, uint64_t& f) { f = b.size() - 3; }},
      {"next points at itself", "points back", [](std::string& b, uint64_t& f) { Put64(b, f, f); }},
      {"next points backwards", "points back",
       [](std::string& b, uint64_t& f) { Put64(b, f + 256, f); }},
      {"next inside the fixed fields", "points back",
       [](std::string& b, uint64_t& f) { Put64(b, f, f + 23); }},
      {"huge name", "far too long",
       [](std::string& b, uint64_t& f) { Put64(b, f, 0x7FFFFFFFFFFFFFF0ull); }},
      {"next past the end", "past the end",
       [](std::string& b, uint64_t& f) { Put64(b, f + 256, b.size() + 4); }},
      {"chain without its closing zero", "past the end",
       [](std::string& b, uint64_t&) { b.resize(b.size() - 8); }},
      {"catalog past the end", "lies past the end",
       [](std::string& b, uint64_t& f) { Put64(b, f + 8, b.size() - 10); }},
      {"catalog size past the end", "lies past the end",
       [](std::string& b, uint64_t& f) { Put64(b, f + 16, 0xFFFFFFFFFFFFFFFFull); }},
      {"duplicate name", "appears twice",
       [](std::string& b, uint64_t& f) { b.replace(f + 256 + 24 + 7, 2, "de"); }},
      {"blank name", "no name",
       [](std::string& b, uint64_t& f) { b.replace(f + 24, 232, std::string(232, ' ')); }},
  };
  for (const Damage& d : damages) {
    movra::testing::TempDir folder;
    std::string bytes(4096, 'P');
    uint64_t first = AppendTable(bytes, {{kDeName, catalog}, {kRuName, catalog}});
    d.change(bytes, first);
    const std::string path = WriteBelow(folder, "program.exe", bytes);
    TFileLocator locator;
    const std::string problem = locator.ReadEmbeddedTable(path, first);
    EXPECT_NE(problem.find("The catalog table appended to " + path + " is damaged"),
              std::string::npos)
        << d.what << ": " << problem;
    EXPECT_NE(problem.find(d.expected), std::string::npos) << d.what << ": " << problem;
    EXPECT_EQ(locator.AppendedCount(), 0) << d.what;
    EXPECT_EQ(locator.ProgramFolder(), "") << d.what;
  }
}

TEST(FileLocator, UnreadableProgramFileIsReported) {
  movra::testing::TempDir folder;
  TFileLocator locator;
  EXPECT_NE(locator.ReadEmbeddedTable(folder.Path() + "missing.exe", 100).find("cannot be read"),
            std::string::npos);
  EXPECT_EQ(locator.AppendedCount(), 0);
}

// The build appended the shipped catalogs to this test program.
TEST(FileLocator, ThisProgramCarriesTheShippedCatalogs) {
  const std::string program = ProgramFileName();
  const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
  TFileLocator locator;
  ASSERT_EQ(locator.ReadEmbeddedTable(program), "");
  EXPECT_EQ(locator.AppendedCount(), 2);
  EXPECT_EQ(locator.ProgramFolder(), folder);
  TCatalogRef de = locator.AcquireCatalog(folder + kDeName);
  TCatalogRef ru = locator.AcquireCatalog(folder + kRuName);
  EXPECT_EQ(Find(de, "untitled"), "unbenannt");
  EXPECT_EQ(Find(ru, "untitled"), "без имени");
}
