#include "gamedata/Ranking.h"

#include "gamedata/PathTable.h"
#include "library/util/Path.h"
#include "library/util/Text.h"

cRanking* RankingData = nullptr;

namespace {

constexpr int kHigherBetter[RANKING_GENRE_COUNT] = {1, 1, 0, 1, 1};

}  // namespace

cRankingEntry::cRankingEntry() { ResetFields(); }

void cRankingEntry::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(bValid);
  AddStrField(EntryName);
  AddField4(nValue);
}

cRankingTable::cRankingTable() : Entries(RANKING_ENTRY_COUNT) { ResetFields(); }

void cRankingTable::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(bHigherBetter);
}

void cRankingTable::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  LoadRecordList(in, ctx, Entries, cRankingEntry(), kMinRecordBodyBytes, "ranking entry");
}

void cRankingTable::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, Entries);
}

cRanking::cRanking() { ResetRanking(*this); }

void cRanking::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  LoadRecordList(in, ctx, Tables, cRankingTable(), kMinRecordBodyBytes + 4, "ranking table");
  if (in.Version() <= 180) {
    Tables.resize(RANKING_GENRE_COUNT);
    Tables[3].bHigherBetter = Tables[4].bHigherBetter = 1;
  }
  // Every genre is indexed: missing tables are new ones of their genre.
  for (size_t genre = Tables.size(); genre < RANKING_GENRE_COUNT; ++genre) {
    Tables.emplace_back();
    Tables.back().bHigherBetter = kHigherBetter[genre];
  }
}

void cRanking::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, Tables);
}

int GetRankingPath(std::string& out, int mode, std::string_view stageBaseName) {
  if (mode < 0 || mode > 2) return 0;
  std::string name(stageBaseName);
  StripDirectoryStr(name);
  StrFormat(out, "%s%s%s", PathTable[PATH_RANKING_STORY + mode], name.c_str(), ExtensionTable[EXT_RANKING]);
  return 1;
}

int LoadRanking(cRanking& ranking, int mode, std::string_view stageBaseName) {
  std::string path;
  cRanking loaded;
  if (GetRankingPath(path, mode, stageBaseName) && loaded.LoadFromFile(path, cLoadContext{})) {
    ranking = std::move(loaded);
    return 1;
  }
  ResetRanking(ranking);
  return 0;
}

int SaveRanking(cRanking& ranking, int mode, std::string_view stageBaseName) {
  std::string path;
  if (!GetRankingPath(path, mode, stageBaseName)) return 0;
  return ranking.SaveToFile(path, cLoadContext{});
}

void ResetRanking(cRanking& ranking) {
  ranking.ResetFields();
  ranking.Tables.assign(RANKING_GENRE_COUNT, cRankingTable());
  for (int genre = 0; genre < RANKING_GENRE_COUNT; ++genre) ranking.Tables[genre].bHigherBetter = kHigherBetter[genre];
}

int FindRankPosition(const cRankingTable& table, int value) {
  for (int i = 0; i < static_cast<int>(table.Entries.size()); ++i) {
    const cRankingEntry& entry = table.Entries[i];
    if (!entry.bValid) return i;
    if (table.bHigherBetter ? value > entry.nValue : value < entry.nValue) return i;
  }
  return -1;
}

void InsertRanking(cRankingTable& table, const std::string& name, int value) {
  int place = FindRankPosition(table, value);
  if (place < 0) return;
  cRankingEntry entry;
  entry.bValid = 1;
  entry.EntryName = name;
  entry.nValue = value;
  table.Entries.insert(table.Entries.begin() + place, entry);
  table.Entries.pop_back();
}
