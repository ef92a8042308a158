// The record framework: body layout, registration per version, scratch fields,
// bounded reading and the saving through a temporary file.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "RecordTestSupport.h"
#include "platform/WinTypes.h"
#include "records/DataRecord.h"
#include "support/TempDir.h"

using recordtest::ByteBuilder;
using recordtest::Bytes;
using recordtest::LogCapture;

namespace {

class cIntAndString : public cDataRecord {
 public:
  int nValue = 0;
  std::string text;
  void RegisterFields(int nVersion) override {
    ClearFields(nVersion);
    AddField4(nValue);
    AddStrField(text);
  }
};

// A class whose layout changed: two ints dropped at 61 for two doubles, a
// member added at 100.
class cVersioned : public cDataRecord {
 public:
  short nShort = 0;
  double dPair[2] = {0.5, 0.25};
  BYTE byFlag = 0;
  int nAdded = 77;
  std::string name;
  std::string note;
  void RegisterFields(int nVersion) override {
    ClearFields(nVersion);
    AddField2(nShort);
    AddScratch4(2, 61);
    AddField8(dPair, 61);
    AddField1(byFlag);
    AddField4(nAdded, 100);
    AddStrField(name);
    AddStrField(note, 100);
  }
};

Bytes Save(cDataRecord& record) {
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  record.Save(out, cLoadContext{});
  return out.Bytes();
}

bool Load(cDataRecord& record, const Bytes& bytes) {
  return LoadDataBytes(bytes, "test.dat", [&](cRecordReader& in) { record.Load(in, cLoadContext{}); });
}

TEST(DataRecord, IntAndStringIsTheDocumented24Bytes) {
  cIntAndString record;
  record.nValue = 5;
  record.text = "abc";
  Bytes expected = {0xB8, 0x02, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0x61, 0x62, 0x63, 0};
  EXPECT_EQ(Save(record), expected);

  cIntAndString loaded;
  ASSERT_TRUE(Load(loaded, expected));
  EXPECT_EQ(loaded.nValue, 5);
  EXPECT_EQ(loaded.text, "abc");
}

TEST(DataRecord, EmptyStringIsLengthOneWithoutBytes) {
  cIntAndString record;
  Bytes bytes = Save(record);
  EXPECT_EQ(bytes, ByteBuilder().I32(696).U32(1).I32(0).U32(1).Str("").Get());
  EXPECT_EQ(bytes.size(), 20u);
}

TEST(DataRecord, StringsAreSavedWholeAndEndAtTheirFirstNul) {
  cIntAndString record;
  record.text = std::string(9000, 'x');
  cIntAndString loaded;
  ASSERT_TRUE(Load(loaded, Save(record)));
  EXPECT_EQ(loaded.text.size(), 9000u);

  record.text = std::string("ab\0cd", 5);
  EXPECT_EQ(Save(record), ByteBuilder().I32(696).U32(1).I32(0).U32(1).Str("ab").Get());
  EXPECT_EQ(record.text, "ab");
}

TEST(DataRecord, CarriageReturnsAreStrippedOnLoadWhileSwitchedOn) {
  Bytes bytes = ByteBuilder().I32(696).U32(1).I32(0).U32(1).Str("a\r\nb").Get();
  cIntAndString record;
  ASSERT_TRUE(Load(record, bytes));
  EXPECT_EQ(record.text, "a\nb");

  bStripCR = false;
  ASSERT_TRUE(Load(record, bytes));
  bStripCR = true;
  EXPECT_EQ(record.text, "a\r\nb");
  record.StripStrCR();
  EXPECT_EQ(record.text, "a\nb");
}

TEST(DataRecord, RegistrationFollowsTheVersionThresholds) {
  struct Case {
    int version;
    std::size_t fields;
    std::size_t bytes;
    std::size_t strings;
  };
  cVersioned record;
  for (Case c : {Case{60, 4, 2 + 4 + 4 + 1, 1}, Case{61, 3, 2 + 16 + 1, 1}, Case{99, 3, 19, 1}, Case{100, 4, 23, 2},
                 Case{696, 4, 23, 2}}) {
    record.RegisterFields(c.version);
    EXPECT_EQ(record.Fields().size(), c.fields) << c.version;
    EXPECT_EQ(record.FieldBytes(), c.bytes) << c.version;
    EXPECT_EQ(record.StrFields().size(), c.strings) << c.version;
  }
}

TEST(DataRecord, OldFilesFillScratchAndKeepNewerMembers) {
  // Version 60: the short, two dropped ints (a field each), the byte; one string.
  Bytes bytes = ByteBuilder().I32(60).U32(4).I16(-3).I32(111).I32(222).U8(9).U32(1).Str("old").Get();
  cVersioned record;
  record.nAdded = 41;
  ASSERT_TRUE(Load(record, bytes));
  EXPECT_EQ(record.nShort, -3);
  EXPECT_EQ(record.byFlag, 9);
  EXPECT_EQ(record.dPair[0], 0.5);
  EXPECT_EQ(record.nAdded, 41);
  EXPECT_EQ(record.name, "old");
  EXPECT_EQ(nFileVersion, 60);

  // Saving writes the current layout and version.
  Bytes saved = Save(record);
  EXPECT_EQ(saved,
            ByteBuilder().I32(696).U32(4).I16(-3).F64(0.5).F64(0.25).U8(9).I32(41).U32(2).Str("old").Str("").Get());
}

TEST(DataRecord, FewerFieldsThanRegisteredLeaveTheRestUnchanged) {
  Bytes bytes = ByteBuilder().I32(696).U32(1).I16(12).U32(0).Get();
  cVersioned record;
  record.byFlag = 4;
  ASSERT_TRUE(Load(record, bytes));
  EXPECT_EQ(record.nShort, 12);
  EXPECT_EQ(record.byFlag, 4);
  EXPECT_EQ(record.nAdded, 77);
}

TEST(DataRecord, StringLengthsZeroAndOneAreTheEmptyString) {
  for (std::uint32_t length : {0u, 1u}) {
    cIntAndString record;
    record.text = "before";
    ASSERT_TRUE(Load(record, ByteBuilder().I32(696).U32(1).I32(5).U32(1).U32(length).Get())) << length;
    EXPECT_EQ(record.text, "") << length;
  }
}

TEST(DataRecord, DamagedBodiesFailWithOneLineNamingFileAndOffset) {
  struct Case {
    const char* what;
    Bytes bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"surplus field", ByteBuilder().I32(696).U32(2).I32(1).I32(2).U32(0).Get(), "2 fields where version 696"},
      {"huge field count", ByteBuilder().I32(696).U32(0xFFFFFFFF).Get(), "fields where"},
      {"huge string count", ByteBuilder().I32(696).U32(1).I32(1).U32(0xFFFFFFFF).Get(), "strings where"},
      {"string past the end", ByteBuilder().I32(696).U32(1).I32(1).U32(1).U32(0xFFFFFFFF).Get(), "beyond the limit"},
      {"string longer than the rest", ByteBuilder().I32(696).U32(1).I32(1).U32(1).U32(9).U8('a').Get(), "bytes left"},
  };
  for (const Case& c : cases) {
    LogCapture log;
    cIntAndString record;
    EXPECT_FALSE(Load(record, c.bytes)) << c.what;
    ASSERT_EQ(log.Lines().size(), 1u) << c.what;
    EXPECT_NE(log.Lines()[0].find("test.dat: offset "), std::string::npos) << log.Lines()[0];
    EXPECT_NE(log.Lines()[0].find(c.reason), std::string::npos) << log.Lines()[0];
  }
}

TEST(DataRecord, EveryCutOfAValidFileFailsCleanly) {
  cVersioned record;
  record.name = "name";
  record.note = "note";
  Bytes whole = Save(record);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    LogCapture log;
    cVersioned loaded;
    EXPECT_FALSE(Load(loaded, Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)))) << cut;
    EXPECT_EQ(log.Lines().size(), 1u) << cut;
  }
  cVersioned loaded;
  EXPECT_TRUE(Load(loaded, whole));
}

TEST(DataRecord, ResetAndCopyWalkTheCurrentRegistration) {
  cVersioned a;
  a.nShort = 3;
  a.name = "x";
  a.ResetFields();
  EXPECT_EQ(a.nShort, 0);
  EXPECT_EQ(a.dPair[1], 0.0);
  EXPECT_EQ(a.nAdded, 0);
  EXPECT_EQ(a.name, "");

  cVersioned b;
  b.nShort = 8;
  b.dPair[1] = 2.5;
  b.note = "n";
  a.CopyFields(b);
  EXPECT_EQ(a.nShort, 8);
  EXPECT_EQ(a.dPair[1], 2.5);
  EXPECT_EQ(a.note, "n");

  // A copied record never walks the descriptors of its original.
  cVersioned copy = b;
  copy.ResetFields();
  EXPECT_EQ(b.nShort, 8);
}

TEST(DataRecord, NestingBeyondItsLimitFails) {
  cRecordReader in(Bytes{}, "nest");
  std::function<void(int)> descend = [&](int depth) {
    cRecordReader::cNesting level(in, 3, "flow");
    if (depth) descend(depth - 1);
  };
  EXPECT_NO_THROW(descend(2));
  EXPECT_THROW(descend(3), cLoadError);
  EXPECT_NO_THROW(descend(2));
}

TEST(DataRecord, CountsAreBoundedByTheBytesLeft) {
  cRecordReader in(ByteBuilder().U32(3).U32(0).U32(0).U32(0).U32(4).Get(), "count");
  EXPECT_EQ(in.ReadCount(4, "entry"), 3u);
  in.ReadBytes(nullptr, 0);
  cRecordReader tooMany(ByteBuilder().U32(4).U32(0).U32(0).U32(0).Get(), "count");
  EXPECT_THROW(tooMany.ReadCount(4, "entry"), cLoadError);
}

class DataRecordFiles : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
};

TEST_F(DataRecordFiles, SaveGoesThroughATemporaryFileAndWritesTheCurrentVersion) {
  dir.Write("rec.dat", recordtest::AsString(ByteBuilder().I32(60).U32(1).I16(1).U32(0).Get()));
  cVersioned record;
  ASSERT_EQ(record.LoadFromFile("rec.dat", cLoadContext{}), 1);
  ASSERT_EQ(record.SaveToFile("rec.dat", cLoadContext{}), 1);
  std::string saved = dir.Read("rec.dat");
  ASSERT_GE(saved.size(), 4u);
  EXPECT_EQ(saved.substr(0, 4), std::string("\xB8\x02\0\0", 4));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    ++files;
    EXPECT_EQ(entry.path().filename(), "rec.dat");
  }
  EXPECT_EQ(files, 1);
}

TEST_F(DataRecordFiles, MissingFilesAndFoldersFailWithoutTouchingAnything) {
  cIntAndString record;
  record.nValue = 9;
  EXPECT_EQ(record.LoadFromFile("absent.dat", cLoadContext{}), 0);
  EXPECT_EQ(record.nValue, 9);
  EXPECT_EQ(record.SaveToFile("no\\such\\folder.dat", cLoadContext{}), 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  // An empty path names the file "err".
  dir.Write("err", std::string("\xB8\x02\0\0\1\0\0\0\7\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(record.LoadFromFile("", cLoadContext{}), 1);
  EXPECT_EQ(record.nValue, 7);
}

// A failed save tells why through errno, the first failing step's reason,
// even after the temporary file it made is cleaned up.
TEST_F(DataRecordFiles, AFailedSaveLeavesItsReasonInErrno) {
  dir.Write("taken.dat/inside", "a folder stands at the name");
  const struct {
    const char* path;
    int reason;
  } cases[] = {{"no\\such\\folder.dat", ENOENT}, {"taken.dat", EISDIR}};
  cIntAndString record;
  for (const auto& c : cases) {
    errno = 0;
    EXPECT_EQ(record.SaveToFile(c.path, cLoadContext{}), 0) << c.path;
    EXPECT_EQ(errno, c.reason) << c.path;
  }
  EXPECT_EQ(dir.Read("taken.dat/inside"), "a folder stands at the name");
}

}  // namespace
