// Loading costs memory in proportion to what a file holds, whatever its counts
// claim: each loader meets a list whose count claims as many entries as the
// rest of the file could hold at the fewest bytes an entry takes, while the
// bytes hold one broken entry, and must fail within four times the file's size.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GameDataTestSupport.h"
#include "gamedata/Database.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/WorldMap.h"
#include "records/DefinitionLists.h"
#include "records/Palette.h"
#include "records/StageData.h"

using namespace gamedatatest;

namespace {

constexpr std::size_t kFileBytes = 4u << 20;
constexpr std::size_t kBoundFactor = 4;

// `prefix` (ending where a list's count stands), a count claiming every entry
// the rest could hold at `minEntryBytes`, then a first entry whose field count
// no record has (behind the word a placed object starts with), and zeros to
// the file's size.
Bytes ClaimingFile(ByteBuilder prefix, std::size_t minEntryBytes) {
  const Bytes head = prefix.Get();
  const std::size_t rest = kFileBytes - head.size() - 4;
  Bytes filler(rest, 0);
  for (int i = 0; i < 8; ++i) filler[static_cast<std::size_t>(i)] = 0xFF;
  return ByteBuilder().Append(head).U32(static_cast<std::uint32_t>(rest / minEntryBytes)).Append(filler).Get();
}

ByteBuilder EmptyBody(ByteBuilder b) { return b.U32(0).U32(0); }
ByteBuilder Version() { return ByteBuilder().I32(696); }

// The start of a save up to its hero-status list: an empty body, the save
// time, no carried items.
ByteBuilder SaveHead() { return EmptyBody(Version()).Append(Bytes(16, 0)).U32(0); }

// The start of a world map of 20 x 15 up to its chip list.
ByteBuilder WorldMapHead() {
  return Version().U32(8).I32(20).I32(15).I32(32).I32(5).I32(0).I32(0).I32(0).I32(0).U32(0);
}

// The start of a stage up to its palette's block list: no counter switches, the
// five empty border rules.
ByteBuilder StageHead() {
  ByteBuilder b = EmptyBody(Version()).U32(0);
  for (int rule = 0; rule < 5; ++rule) b = EmptyBody(b);
  return b;
}

template <typename Record>
std::function<bool(const Bytes&)> Loads() {
  return [](const Bytes& file) {
    Record record;
    return LoadRecord(record, file);
  };
}

struct ClaimCase {
  const char* name;
  Bytes file;
  std::function<bool(const Bytes&)> load;
};

std::vector<ClaimCase> ClaimCases() {
  const std::size_t heroStatus = kMinRecordBodyBytes + kMinDefinitionBytes<cCharaDef>;
  return {
      {"save: hero statuses", ClaimingFile(SaveHead(), heroStatus), Loads<cSaveData>()},
      {"save: stage scores", ClaimingFile(SaveHead().U32(0), kMinRecordBodyBytes), Loads<cSaveData>()},
      {"save: clear records", ClaimingFile(SaveHead().U32(0).U32(0), kMinRecordBodyBytes), Loads<cSaveData>()},
      {"world map: chips", ClaimingFile(WorldMapHead(), kMinRecordBodyBytes), Loads<cWorldMap>()},
      {"world map: worlds", ClaimingFile(WorldMapHead().U32(0).U32(0), kMinRecordBodyBytes + 4), Loads<cWorldMap>()},
      {"world map: stage entries", ClaimingFile(EmptyBody(WorldMapHead().U32(0).U32(0).U32(1)), kMinRecordBodyBytes),
       Loads<cWorldMap>()},
      {"database: animations", ClaimingFile(Version(), kMinRecordBodyBytes),
       [](const Bytes& file) {
         cDatabase db;
         return LoadBytes(file, [&](cRecordReader& in) { LoadDatabaseList(db, DatabaseFile::Anime, in, {}); });
       }},
      {"ranking: tables", ClaimingFile(EmptyBody(Version()), kMinRecordBodyBytes + 4), Loads<cRanking>()},
      {"ranking: entries", ClaimingFile(EmptyBody(EmptyBody(Version()).U32(1)), kMinRecordBodyBytes),
       Loads<cRanking>()},
      {"palette: blocks", ClaimingFile(EmptyBody(Version()), kMinDefinitionBytes<cBlockDef>), Loads<cPalette>()},
      {"stage: palette characters", ClaimingFile(StageHead().U32(0), kMinDefinitionBytes<cCharaDef>),
       Loads<cStageData>()},
      {"stage: placed characters",
       ClaimingFile(StageHead().U32(0).U32(0).U32(0).U32(0), 4 + kMinDefinitionBytes<cCharaDef>), Loads<cStageData>()},
  };
}

TEST(LoadMemoryTest, CountsClaimingTheWholeFileCostWhatItHolds) {
  if (kUnderAddressSanitizer) GTEST_SKIP() << "the address sanitizer's shadow memory has no address-space bound";
  GTEST_FLAG_SET(death_test_style, "fast");
  for (const ClaimCase& c : ClaimCases()) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.file.size(), kFileBytes);
    auto load = [&] { return c.load(c.file); };
    EXPECT_EXIT(LoadWithinBound(c.file.size(), kBoundFactor, load), ::testing::ExitedWithCode(kRefused), "");
  }
}

// A valid map of 20 x 15 whose chip and world lists hold `count` empty entries
// each (every field and string left out).
Bytes EmptyEntriesMap(std::uint32_t count) {
  ByteBuilder b = WorldMapHead();
  b.U32(count).Append(Bytes(count * kMinRecordBodyBytes, 0));
  b.U32(15 * 32).Append(Bytes(15 * 32 * 4, 0));
  b.U32(count).Append(Bytes(count * (kMinRecordBodyBytes + 4), 0));
  return b.U32(0).Get();
}

// Empty entries take many times their bytes in memory (a chip of 8 bytes is an
// object of well over 100), so the bound here is what the entries are in
// memory: the lists keep no room beyond a quarter of their length, and an empty
// world keeps no storage for stage entries it does not have.
TEST(LoadMemoryTest, EmptyEntriesCostTheirObjectsAndNoMore) {
  if (kUnderAddressSanitizer) GTEST_SKIP() << "the address sanitizer's shadow memory has no address-space bound";
  constexpr std::uint32_t kEntries = 200000;
  const Bytes file = EmptyEntriesMap(kEntries);
  const std::size_t objects = kEntries * (sizeof(cMapChip) + sizeof(cWorld));
  GTEST_FLAG_SET(death_test_style, "fast");
  auto load = [&] {
    cWorldMap map;
    return LoadRecord(map, file) && map.MapChips.size() == kEntries && map.Worlds.size() == kEntries &&
           map.Worlds.back().StageList.empty();
  };
  // The bound counts in whole files: the file held while it is read, and the
  // objects with a quarter more.
  const std::size_t factor = 1 + (objects + objects / 4) / file.size() + 1;
  EXPECT_EXIT(LoadWithinBound(file.size(), factor, load), ::testing::ExitedWithCode(kLoaded), "");
}

TEST(LoadMemoryTest, AMapAsLongAsItsBytesHoldLoads) {
  // 5000 x 2: rows of 8192 cells.
  ByteBuilder b = Version().U32(8).I32(5000).I32(2).I32(8192).I32(13).I32(4999).I32(1).I32(0).I32(0).U32(0);
  b.U32(1).U32(3).I32(0).I32(0).I32(0).U32(0);
  b.U32(2 * 8192).Append(Bytes(2 * 8192 * 4, 0));
  b.U32(1).U32(2).I32(4999).I32(1).U32(0).U32(0);
  cWorldMap map;
  ASSERT_TRUE(LoadRecord(map, b.U32(0).Get()));
  EXPECT_EQ(map.nMapWidth, 5000);
  EXPECT_EQ(map.nMapHeight, 2);
  EXPECT_EQ(map.nMapStartX, 4999);
  ASSERT_EQ(map.Worlds.size(), 1u);  // a world on the last column stays
  EXPECT_EQ(map.Cell(4999, 1), 0);
  // A side longer than the cells the largest file could hold is no map; a
  // grid longer than its own file's cells is read as it stands.
  auto header = [](int width) { return Version().U32(8).I32(width).I32(1).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0); };
  const int largestSide = (256 << 20) / 4 - 1;
  cWorldMap wide;
  EXPECT_FALSE(LoadRecord(wide, header(largestSide + 1).U32(0).U32(0).U32(0).U32(0).U32(0).Get()));
  EXPECT_TRUE(LoadRecord(wide, header(largestSide).U32(0).U32(0).U32(0).U32(0).U32(0).Get()));
  EXPECT_EQ(wide.nMapWidth, largestSide);
  EXPECT_EQ(wide.SetSize(5000, 2), 1);
  EXPECT_EQ(wide.nPitch, 8192);
}

}  // namespace
