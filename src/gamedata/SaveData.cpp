#include "gamedata/SaveData.h"

#include <algorithm>

#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "library/util/Text.h"
#include "records/DefinitionLists.h"

cSaveData* PlayData = nullptr;
cSaveData* PlayDataAtStart = nullptr;
cSaveData* PlayDataAtStartPrev = nullptr;

namespace {

void ReadIntList(cRecordReader& in, cCheckedVector<int>& list) {
  std::uint32_t count = in.ReadCount(4, "int list");
  list.assign(count, 0);
  if (count) in.ReadBytes(list.data(), count * sizeof(int));
}

void WriteIntList(cRecordWriter& out, const cCheckedVector<int>& list) {
  out.WriteCount(list.size());
  if (!list.empty()) out.WriteBytes(list.data(), list.size() * sizeof(int));
}

// The base name of a stage file: cut before the rightmost series mark ("-1")
// or after the last dot, always ending in a dot; empty when neither is there.
std::string StageBaseName(std::string_view name, bool& seriesStart) {
  seriesStart = false;
  for (size_t i = name.size(); i-- > 0;) {
    if (name[i] == '-' && i + 1 < name.size() && name[i + 1] == '1') {
      seriesStart = true;
      return std::string(name.substr(0, i)) + ".";
    }
  }
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(0, dot + 1));
}

}  // namespace

cHeroStatus::cHeroStatus() { ResetFields(); }

void cHeroStatus::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  for (int* field : {&nHpCarry, &nSpCarry, &nTimeCarry, &nLifeCarry, &nBgmCarry}) AddField4(*field);
}

void cHeroStatus::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  Chara.Load(in, ctx);
}

void cHeroStatus::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  Chara.Save(out, ctx);
}

cStageScore::cStageScore() { ResetFields(); }

void cStageScore::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_StageName);
  AddField4(m_nScore);
}

cClearRecord::cClearRecord() { ResetFields(); }

void cClearRecord::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(bCleared);
  AddField4(nBest);
}

cSaveData::cSaveData() { ResetPlaySession(); }

void cSaveData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(bHeroCarried);
  AddField4(nMapX);
  AddField4(nMapY);
  AddField4(m_nWorldStageSlot);
  AddField4(nLap);
  AddStrField(StageName);
  for (int* field : {&nStageNo, &nSeriesNo, &nEntryLife, &nLife, &nStageScore, &nScore, &nBestTotal, &nTimeLeftTotal,
                     &nClearTimeTotal})
    AddField4(*field);
  AddField4(nHpLeftTotal, 182);
  AddField4(nSpLeftTotal, 182);
  AddField4(bSeriesStart);
  AddField4(nBgmNo);
  AddField4(nBgmParam, 166);
  AddField4(nStageCursor, 194);
  AddField4(bReenter, 190);
  AddField4(nReturnX, 191);
  AddField4(nReturnY, 191);
  AddField4(nChallengeOpen);
  AddField4(nSaveSlot);
  AddField4(bAutoSave, 169);
  AddStrField(RankName);
  AddField4(bShowRanking);
  AddField4(nRankGenre);
  AddField4(bStartPos, 678);
  AddField4(nStartX, 678);
  AddField4(nStartY, 678);
  AddField4(nStartDir, 679);
}

void cSaveData::ResetPlaySession() {
  ResetFields();
  CarrySwitch.assign(CARRY_ITEM_COUNT, 0);
  HeroStatus.assign(1, cHeroStatus());
  Switch.assign(SWITCH_COUNT, 0);
  Switch[0] = 1;
  GameValue.assign(GAME_VALUE_COUNT, 0);
  StageScore.clear();
  ClearList.clear();
  nChallengeOpen = 1;
  nSaveSlot = -1;
  RankName = "aaa";
}

void cSaveData::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  int version = in.Version();
  in.ReadBytes(&SaveTime, sizeof SaveTime);
  if (version > 500) ReadIntList(in, CarrySwitch);
  // A hero status is its body and the character definition's whole entry.
  LoadRecordList(in, ctx, HeroStatus, cHeroStatus(), kMinRecordBodyBytes + kMinDefinitionBytes<cCharaDef>,
                 "hero status");
  LoadRecordList(in, ctx, StageScore, cStageScore(), kMinRecordBodyBytes, "stage score");
  LoadRecordList(in, ctx, ClearList, cClearRecord(), kMinRecordBodyBytes, "clear record");
  ReadIntList(in, Switch);
  ReadIntList(in, GameValue);
  if (version < 696) MigrateOldFile(version);
  // Lists the program indexes by number are padded to their full length.
  if (CarrySwitch.size() < CARRY_ITEM_COUNT) CarrySwitch.resize(CARRY_ITEM_COUNT, 0);
  if (HeroStatus.empty()) HeroStatus.resize(1);
  if (Switch.size() < SWITCH_COUNT) Switch.resize(SWITCH_COUNT, 0);
  if (GameValue.size() < GAME_VALUE_COUNT) GameValue.resize(GAME_VALUE_COUNT, 0);
  // Stored indexes the program uses as they stand: the genre picks a ranking
  // table, the slot a file and an entry of the slot list.
  if (nRankGenre < 0 || nRankGenre >= RANKING_GENRE_COUNT) nRankGenre = 0;
  if (nSaveSlot < -1 || nSaveSlot >= STORY_SLOT_COUNT) nSaveSlot = -1;
  NormalizeSaveData();
}

void cSaveData::MigrateOldFile(int version) {
  if (version < 166) nBgmParam = 1;
  if (version < 169) bAutoSave = 0;
  if (version < 182) nHpLeftTotal = nSpLeftTotal = 0;
  if (version < 190) bReenter = 0;
  if (version < 191) nReturnX = nReturnY = 0;
  if (version < 194) nStageCursor = 0;
  if (version < 501) CarrySwitch.assign(CARRY_ITEM_COUNT, 1);
}

void cSaveData::Save(cRecordWriter& out, const cLoadContext& ctx) {
  NormalizeSaveData();
  m_nWorldStageSlot = 0;
  cDataRecord::Save(out, ctx);
  out.WriteBytes(&SaveTime, sizeof SaveTime);
  WriteIntList(out, CarrySwitch);
  SaveRecordList(out, ctx, HeroStatus);
  SaveRecordList(out, ctx, StageScore);
  SaveRecordList(out, ctx, ClearList);
  WriteIntList(out, Switch);
  WriteIntList(out, GameValue);
}

void cSaveData::NormalizeSaveData() {
  const cWorldMap& map = CurrentWorldMap();
  // Negative positions are repaired as well: nothing may index before the map.
  if (nMapX < 0 || nMapX >= map.nMapWidth) nMapX = map.nMapStartX;
  if (nMapY < 0 || nMapY >= map.nMapHeight) nMapY = map.nMapStartY;
  int count = std::max(CurrentSystemData().m_nChallengeCount, 0);
  ClearList.resize(static_cast<size_t>(count));
  if (nChallengeOpen > count) nChallengeOpen = count;
}

void cSaveData::SetStageFileName(const char* name) {
  bool seriesStart = false;
  StageName = StageBaseName(name ? name : "", seriesStart);
  bSeriesStart = seriesStart ? 1 : 0;
}

void cSaveData::UpdateStageScore(const std::string& name, int score) {
  auto found = std::find_if(StageScore.begin(), StageScore.end(),
                            [&](const cStageScore& entry) { return entry.m_StageName == name; });
  if (found == StageScore.end()) {
    cStageScore entry;
    entry.m_StageName = name;
    entry.m_nScore = score;
    StageScore.push_back(entry);
    nBestTotal += score;
  } else if (found->m_nScore < score) {
    nBestTotal += score - found->m_nScore;
    found->m_nScore = score;
  }
}

int cSaveData::GetStageScore(const std::string& name) const {
  for (const auto& entry : StageScore)
    if (entry.m_StageName == name) return entry.m_nScore;
  return 0;
}

void cSaveData::CalcTotalScore() {
  nBestTotal = 0;
  for (const auto& entry : StageScore)
    if (IsStageOnWorldMap(entry.m_StageName)) nBestTotal += entry.m_nScore;
}

bool IsStageOnWorldMap(const std::string& baseName) {
  for (const auto& world : CurrentWorldMap().Worlds) {
    for (const auto& stage : world.StageList) {
      if (stage.nKind != 0) continue;
      std::string name = stage.StageFile;
      if (size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
      bool seriesStart = false;
      std::string base = StageBaseName(name, seriesStart);
      if (!seriesStart) StrFormat(base, "%s.", name.c_str());
      if (base == baseName) return true;
    }
  }
  return false;
}

namespace {

// The comparison codes of the flows: the game value is the left operand; the
// divisibility tests take its absolute value and count a reference of 0 as dividing.
bool CompareGameValue(int value, int op, int reference) {
  long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
  switch (op) {
    case 0:
      return value == reference;
    case 1:
      return value != reference;
    case 2:
      return value >= reference;
    case 3:
      return value <= reference;
    case 4:
      return value > reference;
    case 5:
      return value < reference;
    case 6:
      return reference == 0 || magnitude % reference == 0;
    case 7:
      return reference != 0 && magnitude % reference != 0;
    default:
      return false;
  }
}

// A switch or game value a world stage names beyond the lists never holds.
template <typename List>
bool ListValue(const List& list, int index, int& value) {
  if (index < 0 || index >= static_cast<int>(list.size())) return false;
  value = list[static_cast<size_t>(index)];
  return true;
}

bool StageCounts(const cWorldStage& stage, const cSaveData& play) {
  int value = 0;
  if (stage.nNeedSwitch > 0 && !(ListValue(play.Switch, stage.nNeedSwitch, value) && value)) return false;
  if (stage.nCondValue != 0 &&
      !(ListValue(play.GameValue, stage.nCondValue, value) && CompareGameValue(value, stage.nCondOp, stage.nCondRef)))
    return false;
  return play.nBestTotal >= stage.nNeedTotal;
}

}  // namespace

const cWorldStage* FindCurrentStage(const cWorld& world, const cSaveData& play) {
  for (const auto& stage : world.StageList)
    if (StageCounts(stage, play)) return &stage;
  return nullptr;
}

void cSaveData::ClearPlayTotals() {
  nScore = 0;
  nTimeLeftTotal = nClearTimeTotal = nHpLeftTotal = nSpLeftTotal = 0;
}

void cSaveData::StoreStageStartState() {
  StartValue = GameValue;
  nStartLife = nLife;
  nStartScore = nScore;
}

int cSaveData::RestoreStageStartState(int full, int gameMode, bool freeStageStart) {
  if (full) {
    GameValue = StartValue;
    nLife = nStartLife;
  } else {
    const cSystemData& system = CurrentSystemData();
    int restore = 1;
    if (freeStageStart)
      restore = system.m_bTestRestore;
    else if (gameMode == 0)
      restore = system.m_bStorySwitch[2];
    else if (gameMode == 1)
      restore = system.m_bChallengeSwitch[2];
    else if (gameMode == 2)
      restore = system.m_bFreeRestore;
    if (restore) GameValue = StartValue;
  }
  nScore = nStartScore;
  // Values are read by number: a snapshot never taken leaves them full length.
  if (GameValue.size() < GAME_VALUE_COUNT) GameValue.resize(GAME_VALUE_COUNT, 0);
  return nScore;
}

void cSaveData::ResetCarryOnMiss() {
  const auto& drop = CurrentSystemData().m_DropOnMissFlags;
  for (int k = 0; k < static_cast<int>(drop.size()); ++k)
    if (drop[k]) CarrySwitch.VecAt(k) = 0;
}

void cSaveData::EnterNextRound() {
  ++nLap;
  std::fill(Switch.begin(), Switch.end(), 0);
  nMapX = CurrentWorldMap().nMapStartX;
  nMapY = CurrentWorldMap().nMapStartY;
}

void cSaveData::SelectRankingGenre(int mode, int step) {
  const auto& genres = CurrentSystemData().m_ModeRankings.VecAt(mode).m_Genres;
  auto enabled = [&](int genre) { return genre >= 0 && genre < static_cast<int>(genres.size()) && genres[genre]; };
  if (std::none_of(genres.begin(), genres.end(), [](BYTE b) { return b; })) return;
  auto move = [&](int direction) {
    nRankGenre += direction;
    if (nRankGenre < 0) nRankGenre = RANKING_GENRE_COUNT - 1;
    if (nRankGenre > RANKING_GENRE_COUNT - 1) nRankGenre = 0;
  };
  // Only the five genres can be reached: a list of enabled bytes beyond them
  // would otherwise never stop the search.
  auto moveToEnabled = [&](int direction) {
    for (int tries = 0; tries < RANKING_GENRE_COUNT; ++tries) {
      move(direction);
      if (enabled(nRankGenre)) return;
    }
  };
  if (step > 0)
    for (int i = 0; i < step; ++i) moveToEnabled(1);
  else if (step < 0)
    for (int i = 0; i < -step; ++i) moveToEnabled(-1);
  else if (!enabled(nRankGenre))
    moveToEnabled(1);
}
