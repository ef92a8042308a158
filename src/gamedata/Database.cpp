#include "gamedata/Database.h"

#include <array>
#include <filesystem>
#include <string>

#include "gamedata/EffectRun.h"
#include "gamedata/PathTable.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"

cDatabase* Database = nullptr;
AnimeTable AnimeSequences;
AnimeTable EffectSequences;

namespace {

template <typename Record>
void MakeDefaultList(cCheckedVector<Record>& list, size_t count) {
  list.clear();
  list.resize(count);
}

// Runs fn(list, what) on the list that a database file holds.
template <typename Fn>
void WithDatabaseList(cDatabase& db, DatabaseFile file, Fn fn) {
  switch (file) {
    case DatabaseFile::AnimeSet:
      return fn(db.AnimeSet, "AnimeSet");
    case DatabaseFile::Anime:
      return fn(db.Anime, "Anime");
    case DatabaseFile::BmpCharaExc:
      return fn(db.Bmp_CharaExc, "Bmp_CharaExc");
    case DatabaseFile::SwordType:
      return fn(db.SwordType, "SwordType");
    case DatabaseFile::Effect:
      return fn(db.Effect, "Effect");
    case DatabaseFile::CharaEffect:
      return fn(db.CharaEffect, "CharaEffect");
    case DatabaseFile::ScrEffect:
      return fn(db.ScrEffect, "ScrEffect");
    case DatabaseFile::Picture:
      return fn(db.Picture, "Picture");
    case DatabaseFile::Sound:
      return fn(db.Sound, "Sound");
    case DatabaseFile::Bgm:
      return fn(db.Bgm, "Bgm");
  }
}

// The error box of a database that cannot be loaded; the log keeps it too.
void ReportDatabaseLoadFailure(std::string_view path) {
  static const std::string format = Sjis("%s のロードに失敗！");
  std::string text;
  StrFormat(text, format.c_str(), std::string(path).c_str());
  ReportLogText(text);
  ErrMesBox(text);
}

}  // namespace

cDatabase::cDatabase() { SetDefault(); }

void cDatabase::SetDefault() {
  ResetFields();
  MakeDefaultList(AnimeSet, 1);
  MakeDefaultList(Anime, 2);
  static const std::string none = Sjis("なし"), actionA = Sjis("アクションA");
  Anime[0].m_Name = none;
  Anime[1].m_Name = actionA;
  MakeDefaultList(Bmp_CharaExc, 2);
  MakeDefaultList(SwordType, 1);
  MakeDefaultList(Effect, 2);
  MakeDefaultList(CharaEffect, 2);
  MakeDefaultList(ScrEffect, 2);
  MakeDefaultList(Picture, 2);
  MakeDefaultList(Sound, 2);
  MakeDefaultList(Bgm, 2);
}

void LoadDatabaseList(cDatabase& db, DatabaseFile file, cRecordReader& in, const cLoadContext& ctx) {
  WithDatabaseList(db, file, [&](auto& list, const char* what) {
    using Record = typename std::decay_t<decltype(list)>::value_type;
    // Read into a list of its own, so that a damaged file leaves the old one.
    cCheckedVector<Record> entries;
    LoadRecordList(in, ctx, entries, Record(), kMinRecordBodyBytes, what);
    if (entries.empty()) {
      std::string line;
      StrFormat(line, "%s: %s holds no entry; one default entry stands in", in.Name().c_str(), what);
      RecordLog(line);
      entries.resize(1);
    }
    list = std::move(entries);
  });
}

void SaveDatabaseList(cDatabase& db, DatabaseFile file, cRecordWriter& out, const cLoadContext& ctx) {
  WithDatabaseList(db, file, [&](auto& list, const char*) { SaveRecordList(out, ctx, list); });
}

std::string_view DatabasePath(DatabaseFile file) { return PathTable[PATH_DB_ANIME_SET + 2 * static_cast<int>(file)]; }

int LoadDatabase(cDatabase& db, const cLoadContext& ctx, MissingDatabase missing) {
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    auto file = static_cast<DatabaseFile>(i);
    std::string_view path = DatabasePath(file);
    std::error_code error;
    if (missing == MissingDatabase::KeepsDefault && !std::filesystem::exists(platform::ToHostPath(path), error))
      continue;
    if (!LoadDataFile(path, [&](cRecordReader& in) { LoadDatabaseList(db, file, in, ctx); })) {
      ReportDatabaseLoadFailure(path);
      return 0;
    }
  }
  FixDatabaseEntry0(db);
  return 1;
}

void FixDatabaseEntry0(cDatabase& db) {
  // Entry 0 of the effect lists means none, whatever the file says. The loader
  // never leaves these lists empty.
  if (!db.CharaEffect.empty()) db.CharaEffect[0].m_nKind = 0;
  if (!db.ScrEffect.empty()) db.ScrEffect[0].m_nKind = 0;
}

void PrepareDatabase(cDatabase& db, AnimeTable& animeSequences, AnimeTable& effectSequences) {
  db.CharaEffectRev = db.CharaEffect;
  db.ScrEffectRev = db.ScrEffect;
  BuildAnimeSequences(db.Anime, animeSequences);
  BuildEffectSequences(db.Effect, effectSequences);
  SetupCharaEffects(db.CharaEffect, db.CharaEffectRev, CharaEffectRuns, CharaEffectRunsRev);
  SetupScrEffects(db.ScrEffect, db.ScrEffectRev, ScrEffectRuns, ScrEffectRunsRev);
}

void FillLoadContext(const cDatabase& db, cLoadContext& ctx) {
  auto count = [](const auto& list) { return static_cast<int>(list.size()); };
  ctx.db.nAnimeSet = count(db.AnimeSet);
  ctx.db.nAnime = count(db.Anime);
  ctx.db.nBmpCharaExc = count(db.Bmp_CharaExc);
  ctx.db.nSwordType = count(db.SwordType);
  ctx.db.nEffect = count(db.Effect);
  ctx.db.nCharaEffect = count(db.CharaEffect);
  ctx.db.nScrEffect = count(db.ScrEffect);
  ctx.db.nPicture = count(db.Picture);
  ctx.db.nSound = count(db.Sound);
  ctx.db.nBgm = count(db.Bgm);
  ctx.swordTypeDurations.clear();
  for (const auto& sword : db.SwordType) ctx.swordTypeDurations.push_back(sword.TotalDuration());
}
