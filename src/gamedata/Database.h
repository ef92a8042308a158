#pragma once
// The ten databases of a project, each a list of records in a file of its own
// under data\database\, and two start-up copies of the effect lists whose
// start and end values are exchanged for the reversed runs.
#include <string_view>

#include "gamedata/DbAnime.h"
#include "gamedata/DbEffect.h"
#include "gamedata/DbMedia.h"
#include "records/DataRecord.h"

class cDatabase : public cDataRecord {
 public:
  cDatabase();
  void SetDefault();

  cCheckedVector<cDbAnimeSet> AnimeSet;
  cCheckedVector<cDbAnime> Anime;
  cCheckedVector<cDbBmpCharaExc> Bmp_CharaExc;
  cCheckedVector<cDbSwordType> SwordType;
  cCheckedVector<cDbEffect> Effect;
  cCheckedVector<cDbCharaEffect> CharaEffect;
  cCheckedVector<cDbScrEffect> ScrEffect;
  cCheckedVector<cDbPicture> Picture;
  cCheckedVector<cDbSound> Sound;
  cCheckedVector<cDbBgm> Bgm;
  // Start-up copies for the reversed effect runs; SetDefault leaves them alone.
  cCheckedVector<cDbCharaEffect> CharaEffectRev;
  cCheckedVector<cDbScrEffect> ScrEffectRev;
};

// Which list a database file holds, in loading order.
enum class DatabaseFile {
  AnimeSet,
  Anime,
  BmpCharaExc,
  SwordType,
  Effect,
  CharaEffect,
  ScrEffect,
  Picture,
  Sound,
  Bgm,
};
constexpr int DATABASE_FILE_COUNT = 10;

// Reads one database file (u32 version, u32 count, the records) into its list.
// Throws cLoadError on a damaged file, leaving the list as it was; a file of
// no entries gets one default entry, since entry 0 is indexed throughout.
void LoadDatabaseList(cDatabase& db, DatabaseFile file, cRecordReader& in, const cLoadContext& ctx);
void SaveDatabaseList(cDatabase& db, DatabaseFile file, cRecordWriter& out, const cLoadContext& ctx);
// The data path of each file (path table entries 15, 17 ... 33).
std::string_view DatabasePath(DatabaseFile file);

// What loading does with a database file that is not there: the player needs
// all ten, a tool looking at part of a project keeps the default list.
enum class MissingDatabase { Fails, KeepsDefault };

// Loads the ten files in order from their data paths; 1 on success, 0 at the
// first file that cannot be loaded (named in the message box and the log).
// Then entry 0 of the two effect lists is made kind 0.
int LoadDatabase(cDatabase& db, const cLoadContext& ctx, MissingDatabase missing = MissingDatabase::Fails);
void FixDatabaseEntry0(cDatabase& db);

// The start-up preparation: the reversed copies, the animation and effect
// sequences and the four run tables.
void PrepareDatabase(cDatabase& db, AnimeTable& animeSequences, AnimeTable& effectSequences);

// The list sizes and sword durations that records validate against.
void FillLoadContext(const cDatabase& db, cLoadContext& ctx);

// The project's databases, set by the application shell at start-up.
extern cDatabase* Database;
extern AnimeTable AnimeSequences;
extern AnimeTable EffectSequences;
