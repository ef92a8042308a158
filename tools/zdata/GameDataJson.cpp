#include "GameDataJson.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

#include "RecordJson.h"
#include "gamedata/Database.h"
#include "gamedata/OptionData.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

void WriteTexts(cJsonWriter& json, const char* key, const cCheckedVector<std::string>& texts) {
  json.Key(key);
  json.BeginArray();
  for (const auto& text : texts) json.Text(text);
  json.EndArray();
}

// An object of the record's body followed by what `lists` writes.
template <typename Record>
void WriteRecordWith(cJsonWriter& json, Record& record, const std::function<void(Record&)>& lists) {
  json.BeginObject();
  WriteRecordBody(json, record);
  lists(record);
  json.EndObject();
}

void WriteAnime(cJsonWriter& json, cDbAnime& anime) {
  WriteRecordWith<cDbAnime>(json, anime,
                            [&](cDbAnime& a) { WriteList(json, "frames", a.m_Frames, WritePlainRecordJson); });
}

void WriteDatabaseEntry(cJsonWriter& json, cDataRecord& entry) {
  if (auto* set = dynamic_cast<cDbAnimeSet*>(&entry))
    return WriteRecordWith<cDbAnimeSet>(json, *set,
                                        [&](cDbAnimeSet& s) { WriteList(json, "animations", s.m_Animes, WriteAnime); });
  if (auto* anime = dynamic_cast<cDbAnime*>(&entry)) return WriteAnime(json, *anime);
  if (auto* effect = dynamic_cast<cDbEffect*>(&entry))
    return WriteRecordWith<cDbEffect>(
        json, *effect, [&](cDbEffect& e) { WriteList(json, "frames", e.m_Frames, WritePlainRecordJson); });
  if (auto* sword = dynamic_cast<cDbSwordType*>(&entry))
    return WriteRecordWith<cDbSwordType>(
        json, *sword, [&](cDbSwordType& s) { WriteList(json, "parts", s.m_Parts, WritePlainRecordJson); });
  WritePlainRecordJson(json, entry);
}

class cDatabaseFileJson final : public cGameDataFile {
 public:
  explicit cDatabaseFileJson(DatabaseFile file) : m_file(file) {}
  bool Load(const std::string& path, const cLoadContext& ctx) override {
    return LoadDataFile(path, [&](cRecordReader& in) { LoadDatabaseList(m_db, m_file, in, ctx); });
  }
  bool Save(const std::string& path, const cLoadContext& ctx) override {
    return SaveDataFile(path, [&](cRecordWriter& out) { SaveDatabaseList(m_db, m_file, out, ctx); });
  }
  void WriteJson(cJsonWriter& json) override {
    json.BeginObject();
    json.Key("kind");
    json.Text(std::string(DatabasePath(m_file)));
    json.Key("entries");
    json.BeginArray();
    WithEntries([&](cDataRecord& entry) { WriteDatabaseEntry(json, entry); });
    json.EndArray();
    json.EndObject();
  }

 private:
  void WithEntries(const std::function<void(cDataRecord&)>& fn) {
    auto each = [&](auto& list) {
      for (auto& entry : list) fn(entry);
    };
    switch (m_file) {
      case DatabaseFile::AnimeSet:
        return each(m_db.AnimeSet);
      case DatabaseFile::Anime:
        return each(m_db.Anime);
      case DatabaseFile::BmpCharaExc:
        return each(m_db.Bmp_CharaExc);
      case DatabaseFile::SwordType:
        return each(m_db.SwordType);
      case DatabaseFile::Effect:
        return each(m_db.Effect);
      case DatabaseFile::CharaEffect:
        return each(m_db.CharaEffect);
      case DatabaseFile::ScrEffect:
        return each(m_db.ScrEffect);
      case DatabaseFile::Picture:
        return each(m_db.Picture);
      case DatabaseFile::Sound:
        return each(m_db.Sound);
      case DatabaseFile::Bgm:
        return each(m_db.Bgm);
    }
  }

  DatabaseFile m_file;
  cDatabase m_db;
};

// A file that is one top-level record, shown by `write`.
template <typename Record>
class cRecordFileJson final : public cGameDataFile {
 public:
  using Writer = std::function<void(cJsonWriter&, Record&)>;
  cRecordFileJson(const char* kind, Writer write) : m_kind(kind), m_write(std::move(write)) {}
  bool Load(const std::string& path, const cLoadContext& ctx) override { return m_record.LoadFromFile(path, ctx); }
  bool Save(const std::string& path, const cLoadContext& ctx) override { return m_record.SaveToFile(path, ctx); }
  void WriteJson(cJsonWriter& json) override {
    json.BeginObject();
    json.Key("kind");
    json.Text(m_kind);
    json.Key("record");
    WriteRecordWith<Record>(json, m_record, [&](Record& record) { m_write(json, record); });
    json.EndObject();
  }

 private:
  const char* m_kind;
  Writer m_write;
  Record m_record;
};

void WriteSystemLists(cJsonWriter& json, cSystemData& s) {
  WriteInts(json, "carryFlags", s.m_CarryFlags);
  WriteInts(json, "dropOnMissFlags", s.m_DropOnMissFlags);
  WriteList(json, "statusItems", s.m_StatusItems, WritePlainRecordJson);
  WriteInts(json, "initialLives", s.m_InitialLives);
  WriteInts(json, "unlimitedLives", s.m_UnlimitedLives);
  WriteList(json, "modeRankings", s.m_ModeRankings, [](cJsonWriter& j, cModeRankingData& mode) {
    WriteRecordWith<cModeRankingData>(j, mode, [&](cModeRankingData& m) { WriteInts(j, "genres", m.m_Genres); });
  });
  WriteTexts(json, "uiTexts", s.m_UiTexts);
  WriteTexts(json, "systemSounds", s.m_SystemSounds);
  WriteInts(json, "frontBgm", s.m_FrontBgm);
  WriteInts(json, "frontBgmLoop", s.m_FrontBgmLoop);
  WriteList(json, "titleMenu", s.m_TitleMenu, WritePlainRecordJson);
  WriteList(json, "saveMenu", s.m_SaveMenu, WritePlainRecordJson);
  WriteList(json, "optionMenu", s.m_OptionMenu, WritePlainRecordJson);
  WriteTexts(json, "rankingModeNames", s.m_RankingModeNames);
  WriteList(json, "startUpSettings", s.m_IniKeys, WritePlainRecordJson);
}

void WriteWorld(cJsonWriter& json, cWorld& world) {
  WriteRecordWith<cWorld>(json, world,
                          [&](cWorld& w) { WriteList(json, "stages", w.StageList, WritePlainRecordJson); });
}

void WriteWorldMapLists(cJsonWriter& json, cWorldMap& map) {
  WriteList(json, "chips", map.MapChips, WritePlainRecordJson);
  WriteInts(json, "cells", map.Cells);
  WriteList(json, "worlds", map.Worlds, WriteWorld);
  WriteList(json, "defaultWorlds", map.DefaultWorlds, WriteWorld);
}

void WriteRankingLists(cJsonWriter& json, cRanking& ranking) {
  WriteList(json, "tables", ranking.Tables, [](cJsonWriter& j, cRankingTable& table) {
    WriteRecordWith<cRankingTable>(j, table,
                                   [&](cRankingTable& t) { WriteList(j, "entries", t.Entries, WritePlainRecordJson); });
  });
}

void WriteSaveLists(cJsonWriter& json, cSaveData& save) {
  const SYSTEMTIME& t = save.SaveTime;
  json.Key("saveTime");
  json.BeginArray();
  for (WORD part : {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds})
    json.Number(static_cast<long long>(part));
  json.EndArray();
  WriteInts(json, "carrySwitches", save.CarrySwitch);
  WriteList(json, "heroStatus", save.HeroStatus, [](cJsonWriter& j, cHeroStatus& hero) {
    WriteRecordWith<cHeroStatus>(j, hero, [&](cHeroStatus& h) {
      j.Key("chara");
      WriteCharaJson(j, h.Chara);
    });
  });
  WriteList(json, "stageScores", save.StageScore, WritePlainRecordJson);
  WriteList(json, "clearRecords", save.ClearList, WritePlainRecordJson);
  WriteInts(json, "switches", save.Switch);
  WriteInts(json, "gameValues", save.GameValue);
}

bool IsStorySlotName(const std::string& name) {
  return name.size() == 11 && name.rfind("story", 0) == 0 && std::isdigit(static_cast<unsigned char>(name[5])) &&
         std::isdigit(static_cast<unsigned char>(name[6])) && name.substr(7) == ".dat";
}

}  // namespace

std::unique_ptr<cGameDataFile> OpenGameDataFile(const std::filesystem::path& file) {
  const std::string name = Lower(file.filename().string());
  static constexpr std::array<const char*, DATABASE_FILE_COUNT> kDatabaseNames = {
      "animeset.dat",    "anime.dat",     "bmp_charaexc.dat", "swordtype.dat", "effect.dat",
      "charaeffect.dat", "screffect.dat", "picture.dat",      "sound.dat",     "bgm.dat"};
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i)
    if (name == kDatabaseNames[i]) return std::make_unique<cDatabaseFileJson>(static_cast<DatabaseFile>(i));
  if (name == "system.dat") return std::make_unique<cRecordFileJson<cSystemData>>("systemData", WriteSystemLists);
  if (name == "worldmap.dat") return std::make_unique<cRecordFileJson<cWorldMap>>("worldMap", WriteWorldMapLists);
  if (name == "option.dat")
    return std::make_unique<cRecordFileJson<cOptionData>>("options", [](cJsonWriter&, cOptionData&) {});
  if (name == "challenge.dat" || IsStorySlotName(name))
    return std::make_unique<cRecordFileJson<cSaveData>>("save", WriteSaveLists);
  if (file.extension() == ".rkg") return std::make_unique<cRecordFileJson<cRanking>>("ranking", WriteRankingLists);
  return nullptr;
}
