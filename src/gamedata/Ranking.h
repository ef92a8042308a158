#pragma once
// Per stage and game mode, one ranking file of five tables (one per genre:
// score, time left, clear time, HP left, SP left) of 20 places each.
#include <string>
#include <string_view>

#include "gamedata/SystemData.h"
#include "records/DataRecord.h"

constexpr int RANKING_ENTRY_COUNT = 20;

class cRankingEntry : public cDataRecord {
 public:
  cRankingEntry();
  void RegisterFields(int nVersion) override;

  int bValid = 0;
  std::string EntryName;
  int nValue = 0;
};

class cRankingTable : public cDataRecord {
 public:
  cRankingTable();
  void RegisterFields(int nVersion) override;
  // Every table holds exactly 20 places: missing ones are empty, surplus dropped.
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  cCheckedVector<cRankingEntry> Entries;
  int bHigherBetter = 0;  // 0: lower values rank first (clear time)
};

class cRanking : public cDataRecord {
 public:
  cRanking();
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  cCheckedVector<cRankingTable> Tables;
};

extern cRanking* RankingData;

// The file of a stage's rankings in a game mode (0 story, 1 challenge, 2 free);
// 0 for other modes.
int GetRankingPath(std::string& out, int mode, std::string_view stageBaseName);
// 1 when the file was read whole; otherwise the container is reset and 0.
int LoadRanking(cRanking& ranking, int mode, std::string_view stageBaseName);
// 1 when written (through a temporary file); 0 for a mode without a folder or
// a file that cannot be written.
int SaveRanking(cRanking& ranking, int mode, std::string_view stageBaseName);
void ResetRanking(cRanking& ranking);
// The place a value would take (ties go after their equals), or -1.
int FindRankPosition(const cRankingTable& table, int value);
void InsertRanking(cRankingTable& table, const std::string& name, int value);
