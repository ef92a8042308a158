#include "stage/StageResources.h"

#include <algorithm>
#include <span>
#include <string>

#include "gamedata/Database.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/util/Log.h"
#include "library/util/SystemReport.h"
#include "library/util/Text.h"
#include "records/StageData.h"

namespace {

constexpr int kShotRows = 30, kShotColumns = 4, kHalf = 16;
constexpr int kCellWidth = 32;

constexpr std::array<int, 65> MakeStageSurfaceTable() {
  std::array<int, 65> slots{};
  int n = 0;
  for (int slot = 2; slot <= 47; ++slot) slots[n++] = slot;
  for (int slot = 49; slot <= 51; ++slot) slots[n++] = slot;
  for (int slot = 55; slot <= 70; ++slot) slots[n++] = slot;
  return slots;
}

void ComposeSheet(DDSURFACEDATA* sheet, DDSURFACEDATA* source) {
  DDFillRect(sheet, 0, 0, kShotSheetWidth, kShotSheetHeight, 0);
  for (int r = 0; r < kShotRows; ++r) {
    for (int k = 0; k < kShotColumns; ++k) {
      DDBlt(sheet, 8 + 64 * k, 8 + 32 * r, kHalf, kHalf, source, k * 32, r * kHalf, 1);
      DDBlt(sheet, 40 + 64 * k, 8 + 32 * r, kHalf, kHalf, source, k * 32 + kHalf, r * kHalf, 1);
    }
  }
}

// One surface of a database entry's group: which of the entry's files it
// loads, whether it is the second memory variant, its mirror cell width and
// the member of the group it is linked to (-1: none, it owns its pixels).
struct GroupMember {
  int file = 0;
  int bSecond = 0;
  int nMirrorWidth = 0;
  int linkTo = -1;
};

// Appends one entry's surfaces to a list whose capacity was reserved, so the
// links into it stay valid. A file that does not load is logged and leaves
// its surface empty.
void AppendGroup(std::vector<DDSURFACEDATA>& surfaces, std::vector<SURFACEDESCDATA>& descs,
                 std::span<const std::string* const> files, std::span<const GroupMember> members,
                 const std::string& failFormat) {
  const size_t first = surfaces.size();
  // Under Direct3D a linked surface draws through its source's texture.
  const int linkedMode = lpDTCon ? 1 : 0;
  for (const GroupMember& m : members) {
    const std::string& file = *files[static_cast<size_t>(m.file)];
    const int bLinked = m.linkTo >= 0 ? linkedMode : 0;
    SURFACEDESCDATA& desc = descs.emplace_back();
    SetSurfaceDesc(&desc, file, 1, m.bSecond, 0, bLinked, 0, 1, m.nMirrorWidth, 0, 0, 0);
    DDSURFACEDATA& sd = surfaces.emplace_back();
    if (m.linkTo >= 0) sd.lpLinkSD = &surfaces[first + static_cast<size_t>(m.linkTo)];
    const int code = DDCreateSurfaceFromFile(&sd, file, 1, nBpp, m.bSecond, 0, bLinked, 0, m.nMirrorWidth, 0, 0);
    if (DDCheckSurfaceError(code)) continue;
    DDReleaseSurface(&sd);
    EcLogf(failFormat.c_str(), file.c_str());
  }
}

// Empties a list and reserves room for every entry from `firstEntry` on.
template <typename Entries>
void ResetList(std::vector<DDSURFACEDATA>& surfaces, std::vector<SURFACEDESCDATA>& descs, const Entries& entries,
               int firstEntry, int perEntry) {
  ClearSurfaceList(surfaces, descs);
  const int count = std::max(0, static_cast<int>(entries.size()) - firstEntry) * perEntry;
  surfaces.reserve(static_cast<size_t>(count));
  descs.reserve(static_cast<size_t>(count));
}

}  // namespace

const std::array<int, 65> kStageSurfaceTable = MakeStageSurfaceTable();
const std::array<int, 8> kBgLayerTable = {55, 56, 57, 58, 59, 60, 61, 62};

void PrepareBgLayerNames(const cStageData& stage, SURFACEDESCDATA* surfaceDesc) {
  for (size_t n = 0; n < kBgLayerTable.size(); ++n) {
    std::string& name = surfaceDesc[kBgLayerTable[n]].szFileName;
    name.clear();
    if (n >= stage.m_BgLayers.size()) continue;
    const cBgLayer& layer = stage.m_BgLayers.VecAt(static_cast<int>(n));
    if (layer.m_bShow && !layer.m_bFill) name = layer.m_strPicture;
  }
}

bool LoadStageResources(DDSURFACEDATA* userSD, const cDatabase& db, bool reentry) {
  if (reentry) return DDLoadSurfaces(userSD, kBgLayerTable.data(), static_cast<int>(kBgLayerTable.size()));
  if (!DDLoadSurfaces(userSD, kStageSurfaceTable.data(), static_cast<int>(kStageSurfaceTable.size()))) return false;
  BuildShotSheets(userSD, nUserSD);
  LoadStageBmps(db);
  LoadStageSwords(db);
  LoadStageEffects(db);
  return true;
}

void ReleaseStageResources(DDSURFACEDATA* userSD) {
  if (userSD)
    for (int slot : kStageSurfaceTable) DDReleaseSurface(&userSD[slot]);
  ClearSurfaceList(SpecialBmpSD, SpecialBmpDesc);
  ClearSurfaceList(SwordSD, SwordDesc);
  ClearSurfaceList(EffectSD, EffectDesc);
}

void LoadStageBmps(const cDatabase& db) {
  static const std::string kFailed = Sjis("専用bmp %s 読み込み失敗！");
  ResetList(SpecialBmpSD, SpecialBmpDesc, db.Bmp_CharaExc, 1, 4);
  for (int i = 1; i < static_cast<int>(db.Bmp_CharaExc.size()); ++i) {
    const cDbBmpCharaExc& entry = db.Bmp_CharaExc.VecAt(i);
    const int mirror = entry.m_bLargeCell ? entry.m_nCellSize * kCellWidth : kCellWidth;
    const std::string* files[] = {&entry.m_File};
    const GroupMember members[] = {{0, 0, 0, -1}, {0, 0, mirror, 0}, {0, 1, 0, 0}, {0, 1, mirror, 0}};
    AppendGroup(SpecialBmpSD, SpecialBmpDesc, files, members, kFailed);
  }
}

void LoadStageSwords(const cDatabase& db) {
  static const std::string kFailed = Sjis("ソード %s 読み込み失敗！");
  ResetList(SwordSD, SwordDesc, db.SwordType, 0, 4);
  for (int i = 0; i < static_cast<int>(db.SwordType.size()); ++i) {
    const cDbSwordType& entry = db.SwordType.VecAt(i);
    const std::string* files[] = {&entry.m_Image[0], &entry.m_Image[1]};
    const GroupMember members[] = {{0, 0, 0, -1}, {1, 0, 0, -1}, {0, 1, 0, 0}, {1, 1, 0, 1}};
    AppendGroup(SwordSD, SwordDesc, files, members, kFailed);
  }
}

void LoadStageEffects(const cDatabase& db) {
  static const std::string kFailed = Sjis("エフェクト %s 読み込み失敗！");
  ResetList(EffectSD, EffectDesc, db.Effect, 1, 2);
  for (int i = 1; i < static_cast<int>(db.Effect.size()); ++i) {
    const std::string* files[] = {&db.Effect.VecAt(i).m_File};
    const GroupMember members[] = {{0, 0, 0, -1}, {0, 1, 0, 0}};
    AppendGroup(EffectSD, EffectDesc, files, members, kFailed);
  }
}

void BuildShotSheets(DDSURFACEDATA* userSD, int count) {
  if (!userSD || count <= kShotSheetSlot + 1) return;
  ComposeSheet(&userSD[kShotSheetSlot], &userSD[kShotSourceSlot]);
  ComposeSheet(&userSD[kShotSheetSlot + 1], &userSD[kShotSourceSlot + 1]);
}

bool RestoreShotSheets(DDSURFACEDATA* userSD, int count) {
  if (!userSD || count <= kShotSheetSlot + 1) return false;
  DDSURFACEDATA& sheet = userSD[kShotSheetSlot];
  DDSURFACEDATA& mirrored = userSD[kShotSheetSlot + 1];
  if (!sheet.bLost && !mirrored.bLost) return false;
  BuildShotSheets(userSD, count);
  sheet.bLost = mirrored.bLost = 0;
  return true;
}

int LowVideoMemory() {
  if (lpDTCon) return 0;
  DWORD total = 0, free = 0;
  GetVramMB(&total, &free);
  return free < total / 5;
}

DDSURFACEDATA* StageSurface(int slot) {
  if (!lpUserSD || slot < 0 || slot >= nUserSD) return nullptr;
  DDSURFACEDATA* sd = &lpUserSD[slot];
  return sd->nWidth > 0 && sd->nHeight > 0 ? sd : nullptr;
}
