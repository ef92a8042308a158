#include "stage/StagePlayScene.h"

#include <algorithm>
#include <bit>

#include "gamedata/SaveData.h"
#include "library/util/CheckedVector.h"
#include "records/LoadContext.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"

cStagePlayScene* CurrentPlayScene = nullptr;

void SCROLLDATA::ClampScroll() {
  if (dPos < nLower) {
    dPos = nLower;
    bAtEdge = 1;
  } else if (dPos + nView >= nUpper) {
    dPos = nUpper - nView;
    if (dPos < nLower) dPos = nLower;
    bAtEdge = 1;
  } else {
    bAtEdge = 0;
  }
}

void SCROLLDATA::StepAutoScroll() {
  dPos += dAutoSpeed;
  ClampScroll();
}

void SCROLLDATA::SetAutoScroll(int bOn, int n, int steps) {
  if (bOn) {
    bAutoScroll = 1;
    dAutoSpeed = n * 0.1 / steps;
  } else {
    dAutoSpeed = 0.0;
    bAutoScroll = 0;
  }
}

void SCROLLDATA::SetScrollLimits(int startCell, int endCell, int bStart, int bEnd) {
  nLower = bStart ? nMarginPx + startCell * 32 : nMarginPx;
  nUpper = bEnd ? std::max(nMarginPx + endCell * 32 + 32, nLower) : nFullUpper;
}

void cStageRules::SetCollisionLevel(int level, double gravity) {
  nSteps = level <= 10 || level >= 20 ? level : level - 10;
  if (nSteps < 1) nSteps = 1;  // a step count below one would stop time and divide by zero
  dSteps = nSteps;
  dSteps2 = dSteps * dSteps;
  double bound = level >= 11 && level <= 19 ? 60.0 : 6.0 * nSteps;
  dMaxSpeedPerStep = bound / dSteps;
  dGravity = gravity;
  dGravityPerStep = gravity / dSteps2;
}

namespace {
constexpr long long kMaxScore = 999999;
int AddHeld(int value, long long points) { return static_cast<int>(std::clamp(value + points, 0LL, kMaxScore)); }
}  // namespace

const cLoadContext& cStagePlayHooks::LoadContext() const {
  static const cLoadContext standalone;
  return standalone;
}

cStagePlayScene::cStagePlayScene() = default;
cStagePlayScene::~cStagePlayScene() = default;

cSaveData& cStagePlayScene::Record() {
  if (PlayData) return *PlayData;
  if (!m_pOwnRecord) m_pOwnRecord = std::make_unique<cSaveData>();
  return *m_pOwnRecord;
}

void cStagePlayScene::AddScore(long long points) { Record().nScore = AddHeld(Record().nScore, points); }
void cStagePlayScene::AddStageScore(long long points) { Record().nStageScore = AddHeld(Record().nStageScore, points); }

void cStagePlayScene::BuildEmptyMap() {
  int w = m_Rules.nMapWidth, h = m_Rules.nMapHeight;
  m_ScrollX.nAxis = 0;
  m_ScrollX.nView = 640;
  m_ScrollX.nCells = w + 20;
  m_ScrollX.nShift = std::bit_width(static_cast<unsigned>(std::max(w + 19, 0)));
  m_ScrollX.nStride = 1 << m_ScrollX.nShift;
  m_ScrollX.nFullUpper = std::max((w + 10) * 32, 0);
  m_ScrollY.nAxis = 1;
  m_ScrollY.nView = 480;
  m_ScrollY.nCells = m_ScrollY.nStride = h + 20;
  m_ScrollY.nShift = 0;
  m_ScrollY.nFullUpper = std::max((h + 10) * 32, 0);
  MapCellList.assign(static_cast<size_t>(m_ScrollY.nCells) * m_ScrollX.nStride, MAPCELL{});
  for (MAPCELL& cell : MapCellList) {
    cell.block.m_nChip = 0;
    cell.block.m_nHitKind = 0;
    cell.block.m_bProtected = 0;
  }
}

cChara* cStagePlayScene::FindCharaById(int no) {
  for (cPlayer& hero : Player)
    if (hero.m_nNo == no) return &hero;
  for (cNpc& c : CharaList)
    if (!c.m_bRemoved && c.m_nNo == no) return &c;
  return nullptr;
}

cItem* cStagePlayScene::FindItemByNo(int no) {
  for (cItem& item : ItemList)
    if (!item.m_bRemoved && item.m_nNo == no) return &item;
  return nullptr;
}

cShot* cStagePlayScene::FindShotByNo(int no) {
  auto it = m_ShotIndex.find(no);
  return it == m_ShotIndex.end() || it->second->m_bRemoved ? nullptr : it->second;
}

int cShot::FactionList() const {
  const int g = m_Settings.m_nFaction;
  return g >= 0 && g < kFactions ? g : 0;
}

void cStagePlayScene::PushShot(cShot& shot) {
  const int g = shot.m_Settings.m_nFaction;
  if (g < 0 || g >= kFactions) ReportBadIndex('V', g, kFactions, static_cast<int>(sizeof(m_ShotByFaction[0])));
  m_ShotByFaction[static_cast<size_t>(shot.FactionList())].push_back(shot.m_nNo);
  m_ShotIndex[shot.m_nNo] = &shot;
}

void cStagePlayScene::EraseShot(cShot& shot) {
  if (shot.m_bRemoved) return;
  std::erase(m_ShotByFaction[static_cast<size_t>(shot.FactionList())], shot.m_nNo);
  if (cChara* target = FindCharaById(shot.m_nTargetNo)) std::erase(target->m_vShots, shot.m_nNo);
  shot.m_bRemoved = true;
}

void cStagePlayScene::ReleaseShotTargets(cChara& chara) {
  for (int no : chara.m_vShots)
    if (cShot* shot = FindShotByNo(no); shot && shot->m_nTargetNo == chara.m_nNo) shot->m_nTargetNo = kNoTarget;
  chara.m_vShots.clear();
}

void cStagePlayScene::ClearShots() {
  for (auto& faction : m_ShotByFaction) faction.clear();
  m_ShotIndex.clear();
  m_ShotList.clear();
}

void cStagePlayScene::AddToFactionList(const cChara& chara) {
  m_CharaByFaction[static_cast<size_t>(chara.m_nFaction & 7)].push_back(chara.m_nNo);
}

void cStagePlayScene::EraseChara(cNpc& c) {
  if (c.m_bRemoved) return;
  for (int no : c.m_vTargetedBy)
    if (cChara* other = FindCharaById(no); other && other->m_nTargetNo == c.m_nNo) other->m_nTargetNo = kNoTarget;
  c.m_vTargetedBy.clear();
  ReleaseShotTargets(c);
  if (cChara* target = FindCharaById(c.m_nTargetNo)) std::erase(target->m_vTargetedBy, c.m_nNo);
  auto& faction = m_CharaByFaction[static_cast<size_t>(c.m_nFaction & 7)];
  if (auto it = std::find(faction.begin(), faction.end(), c.m_nNo); it != faction.end()) faction.erase(it);
  c.m_bRemoved = true;
}

void cStagePlayScene::EraseItem(cItem& item) { item.m_bRemoved = true; }

void cStagePlayScene::CollectRemoved() {
  // Nothing may run on a removed object's storage now: no flow is being
  // stepped and no pass is walking the lists.
  if (m_pActChara && m_pActChara->m_bRemoved) return;
  CharaList.remove_if([](const cNpc& c) { return c.m_bRemoved; });
  ItemList.remove_if([](const cItem& i) { return i.m_bRemoved; });
  for (auto it = m_ShotList.begin(); it != m_ShotList.end();) {
    if (!it->m_bRemoved) {
      ++it;
      continue;
    }
    m_ShotIndex.erase(it->m_nNo);
    it = m_ShotList.erase(it);
  }
  m_MessageList.remove_if([](const cMessage& m) { return m.Removed(); });
  m_EffectList.remove_if([](const cEffect& e) { return e.m_bRemoved != 0; });
  m_PictureList.remove_if([](const cPicture& p) { return p.Removed(); });
}

namespace {

template <typename List>
auto FindLive(List& list, int serial) -> decltype(&list.front()) {
  for (auto& entry : list)
    if (!entry.Removed() && entry.Serial() == serial) return &entry;
  return nullptr;
}

template <typename Surfaces, typename Descs>
void EmptySurfaceLists(Surfaces& surfaces, Descs& descs) {
  DDReleaseSurfaceList(surfaces);
  surfaces.clear();
  descs.clear();
}

}  // namespace

void cStagePlayScene::SetPauseRequest(int kind, int bWaitButton, int frames, int extra) {
  m_PauseReq.nKind = kind;
  m_PauseReq.bWaitButton = bWaitButton;
  m_PauseReq.nFrames = frames;
  m_PauseReq.nSpare = 0;
  m_PauseReq.nDelay = bWaitButton && kind == 1 && extra == 0 ? 10 : 0;
}

cMessage& cStagePlayScene::AddMessage(const MessageSettings& settings) {
  return AddMessage(settings, m_MessageList.end());
}

cMessage& cStagePlayScene::AddMessage(const MessageSettings& settings, std::list<cMessage>::iterator before) {
  cMessage& message = *m_MessageList.emplace(before, settings);
  message.SetSerial(++m_nNextDisplaySerial);
  return message;
}

cMessage* cStagePlayScene::FindMessage(int serial) { return FindLive(m_MessageList, serial); }
cPicture* cStagePlayScene::FindPicture(int serial) { return FindLive(m_PictureList, serial); }

void cStagePlayScene::ReleasePictures() {
  // The pictures release their own surfaces first, so no record is left
  // pointing into the emptied lists.
  m_PictureList.clear();
  EmptySurfaceLists(PictureSD, PictureDesc);
}

void cStagePlayScene::ReleaseMessageSurfaces() {
  m_MessageList.clear();
  EmptySurfaceLists(Off_Msg, MsgDesc);
}
