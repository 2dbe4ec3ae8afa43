#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "macros/MacroLibrary.h"

using macros::MacroLibrary;

namespace {

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    library_.SetFolder(dir_.path() + QLatin1Char('/'));
  }
  QString Path(const char* name) const { return dir_.path() + QLatin1Char('/') + QLatin1String(name); }
  // The library as a fresh panel would read it.
  MacroLibrary Reread() const { return MacroLibrary(library_.Folder()); }

  QTemporaryDir dir_;
  MacroLibrary library_;
};

KeyListEntry Entry(uint8_t type, uint8_t code1, uint8_t fnType = 0, uint8_t fnCode1 = 0) {
  KeyListEntry entry{};
  entry.Normal = {7, type, code1, 0, 0};
  entry.Fn = {7, fnType, fnCode1, 0, 0};
  entry.Default = {7, 0x20, 0x00, 0x04, 0};
  return entry;
}

}  // namespace

TEST_F(Library, NewMacrosAreNamedInTurnWithDistinctIdsAndStopAtFifty) {
  EXPECT_TRUE(library_.Entries().empty());
  ASSERT_EQ(library_.Create(), 0u);
  ASSERT_EQ(library_.Create(), 1u);
  EXPECT_EQ(library_.Names(), (std::vector<std::string>{"macro_1", "macro_2"}));
  EXPECT_NE(library_.Entries()[0].Guid, library_.Entries()[1].Guid);
  EXPECT_EQ(Reread().Entries(), library_.Entries());
  EXPECT_FALSE(QFile::exists(library_.FileOf(0))) << "no file before the first save";
  for (int i = 2; i < 50; ++i)
    ASSERT_TRUE(library_.Create());
  EXPECT_FALSE(library_.Create());
  EXPECT_EQ(Reread().Entries().size(), 50u);
}

TEST_F(Library, RenamesRefuseEmptyNamesAndAnyNameInOtherCase) {
  library_.Create();
  library_.Create();
  EXPECT_EQ(library_.RenameMacro(0, "  "), MacroLibrary::Rename::Ignored);
  EXPECT_EQ(library_.RenameMacro(0, "MACRO_1"), MacroLibrary::Rename::Duplicate);
  EXPECT_EQ(library_.RenameMacro(0, "Macro_2"), MacroLibrary::Rename::Duplicate);
  EXPECT_EQ(library_.RenameMacro(0, " reload "), MacroLibrary::Rename::Done);
  EXPECT_EQ(Reread().Names(), (std::vector<std::string>{"reload", "macro_2"}));
  EXPECT_EQ(library_.RenameMacro(5, "x"), MacroLibrary::Rename::Ignored);
}

TEST_F(Library, ImportAndExportCopyTheFileByteForByte) {
  library_.Create();
  library_.RenameMacro(0, "m");
  library_.Create();
  library_.RenameMacro(1, "m_1");
  QFile source(Path("m.mac"));
  ASSERT_TRUE(source.open(QIODevice::WriteOnly));
  const QByteArray bytes = "{\"MacroName\": \"other\", \"Guid\": \"x\", \"Events\": [], \"Version\": 64}\n";
  source.write(bytes);
  source.close();
  const auto index = library_.Import(Path("m.mac"));
  ASSERT_EQ(index, 2u);
  EXPECT_EQ(library_.Names()[2], "m_1_2");
  QFile copy(library_.FileOf(2));
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), bytes);
  ASSERT_TRUE(library_.Export(2, Path("out.mac")));
  QFile exported(Path("out.mac"));
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  EXPECT_EQ(exported.readAll(), bytes);
  // A file that is not there imports nothing, and a macro without a file
  // exports nothing.
  EXPECT_FALSE(library_.Import(Path("missing.mac")));
  EXPECT_EQ(library_.Entries().size(), 3u);
  EXPECT_FALSE(library_.Export(0, Path("none.mac")));
}

TEST_F(Library, SaveLoadAndRemoveKeepTheListAndTheFilesInStep) {
  library_.Create();
  library_.Create();
  ASSERT_EQ(library_.Save(1, {{10, true, 4, 120}}), 0);
  EXPECT_EQ(library_.Load(1).Events, (std::vector<macros::MacroEvent>{{10, true, 4, 120}}));
  EXPECT_EQ(library_.Load(1).Name, "macro_2");
  const QString file = library_.FileOf(1);
  ASSERT_TRUE(library_.Remove(1));
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(Reread().Names(), (std::vector<std::string>{"macro_1"}));
  EXPECT_FALSE(library_.Remove(3));
}

// Deleting macro 2 of 4: keys with macro 3 now name macro 2, keys with
// macro 2 get their default function, in the normal and the Fn layer.
TEST(MacroDelete, LaterMacrosMoveDownAndTheDeletedOneGivesWayToTheDefault) {
  std::vector<KeyListEntry> keys = {Entry(0x70, 3), Entry(0x71, 2, 0x70, 2), Entry(0x70, 1, 0x71, 3),
                                    Entry(0x20, 2)};
  EXPECT_TRUE(macros::RefersToMacro(keys, 2));
  EXPECT_FALSE(macros::RefersToMacro(keys, 0));
  ASSERT_TRUE(macros::RenumberAfterDelete(keys, 2));
  EXPECT_EQ(keys[0].Normal.Code1, 2);
  EXPECT_EQ(keys[1].Normal.Type, 0x20);
  EXPECT_EQ(keys[1].Normal.Code2, 0x04);
  EXPECT_EQ(keys[1].Normal.KeyIndex, 7) << "the key keeps its index";
  EXPECT_EQ(keys[1].Fn.Type, 0x20);
  EXPECT_EQ(keys[2].Normal.Code1, 1);
  EXPECT_EQ(keys[2].Fn.Code1, 2);
  EXPECT_EQ(keys[3].Normal.Code1, 2) << "not a macro";
  EXPECT_FALSE(macros::RenumberAfterDelete(keys, 9));
}
