#include "gamedata/SaveSlots.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "gamedata/NumberText.h"
#include "gamedata/PathTable.h"
#include "gamedata/SystemData.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"

SaveSlotVector* SaveSlotList = nullptr;

cSaveSlot::cSaveSlot() { ResetFields(); }

void cSaveSlot::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(bUsed);
}

namespace {

bool SlotFileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(platform::ToHostPath(path), error);
}

// Why a file could not be written, in the player's words.
std::string WriteFailureReason(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return Sjis("書き込みが許可されていません");
    case ENOSPC:
    case EDQUOT:
      return Sjis("ディスクの空きが足りません");
    case EFBIG:
      return Sjis("ファイルの大きさの上限を超えました");
    case EISDIR:
      return Sjis("同じ名前のフォルダがあります");
    case ENOENT:
    case ENOTDIR:
      return Sjis("保存先のフォルダがありません");
    default:
      return error ? std::strerror(error) : Sjis("原因は分かりません");
  }
}

}  // namespace

void GetStoryPath(std::string& out, int slot) {
  std::string number;
  FormatNumber(number, slot + 1, 2, 1, 0);
  StrFormat(out, "%s%s.dat", PathTable[PATH_STORY_SLOT_PREFIX], number.c_str());
}

void ScanStorySlots(SaveSlotVector& slots, const cLoadContext& ctx) {
  for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
    std::string path;
    GetStoryPath(path, i);
    cSaveData scratch;
    cSaveSlot& slot = slots[i];
    // A damaged file still holds a save: it shows as used, so that a player
    // does not take it for a free slot, with the time stamp if it was read.
    slot.bUsed = SlotFileExists(path);
    if (slot.bUsed) scratch.LoadFromFile(path, ctx);
    slot.SaveTime = scratch.SaveTime;
  }
}

void MarkSlotSaved(int slot, const SYSTEMTIME& time) {
  if (!SaveSlotList) return;
  cSaveSlot& entry = SaveSlotList->VecAt(slot);
  entry.bUsed = 1;
  entry.SaveTime = time;
}

SYSTEMTIME LocalTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  SYSTEMTIME time;
  time.wYear = static_cast<WORD>(local.tm_year + 1900);
  time.wMonth = static_cast<WORD>(local.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time.wDay = static_cast<WORD>(local.tm_mday);
  time.wHour = static_cast<WORD>(local.tm_hour);
  time.wMinute = static_cast<WORD>(local.tm_min);
  time.wSecond = static_cast<WORD>(local.tm_sec);
  time.wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
  return time;
}

int cSaveData::SaveStory(int slot, const cLoadContext& ctx, int* error) {
  const SYSTEMTIME previous = SaveTime;
  SaveTime = LocalTimeNow();
  std::string path;
  GetStoryPath(path, slot);
  errno = 0;
  if (!SaveToFile(path, ctx)) {
    if (error) *error = errno;
    SaveTime = previous;
    return 0;
  }
  MarkSlotSaved(slot, SaveTime);
  return 1;
}

void ShowStorySaveFailure(int slot, int error) {
  static const std::string format = Sjis("セーブファイル %s に書き込めません！\n%s");
  std::string path;
  GetStoryPath(path, slot);
  ErrMesBoxf(format.c_str(), path.c_str(), WriteFailureReason(error).c_str());
}

// Lives as the mode's settings are now: unlimited lives override the stored
// count, and a stored unlimited count falls back to the initial lives.
void cSaveData::AdoptLoadedLives(int mode) {
  const cSystemData& system = CurrentSystemData();
  if (system.m_UnlimitedLives.VecAt(mode)) {
    nEntryLife = nLife = UNLIMITED_LIVES;
  } else if (nLife == UNLIMITED_LIVES) {
    nLife = system.m_InitialLives.VecAt(mode);
  }
}

namespace {

// Loads a save into a scratch record and hands it over only when it loaded whole.
int LoadSaveFile(cSaveData& target, const std::string& path, const cLoadContext& ctx) {
  cSaveData loaded;
  if (!loaded.LoadFromFile(path, ctx)) return 0;
  loaded.lpWorldStage = target.lpWorldStage;
  target = loaded;
  return 1;
}

}  // namespace

int cSaveData::LoadStory(int slot, const cLoadContext& ctx) {
  std::string path;
  GetStoryPath(path, slot);
  if (!LoadSaveFile(*this, path, ctx)) return 0;
  AdoptLoadedLives(0);
  return 1;
}

int cSaveData::LoadChallenge(const cLoadContext& ctx) {
  if (!LoadSaveFile(*this, PathTable[PATH_CHALLENGE_SAVE], ctx)) return 0;
  AdoptLoadedLives(1);
  return 1;
}

int cSaveData::SaveChallenge(const cLoadContext& ctx) { return SaveToFile(PathTable[PATH_CHALLENGE_SAVE], ctx); }
