#include "stage/Message.h"

#include <algorithm>
#include <climits>

#include "gamedata/SaveData.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/text/Font.h"
#include "library/text/SjisText.h"
#include "library/util/Convert.h"
#include "library/util/MainWindow.h"
#include "stage/SpriteSource.h"
#include "stage/StagePlayScene.h"
#include "stage/StageResources.h"

namespace {

constexpr int kMessageFont = 2;
constexpr int kOpeningFrames = 10;
constexpr int kRisingFrames = 30;  // the icon and the sign rise while these run
constexpr int kSignSize = 16;

Font& MessageFont() { return Fonts[kMessageFont]; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Escape {
  size_t end = 0;  // one past the escape's last byte
  long long number = 0;
  int kind = -1;  // 0 common, 1 stage
  int width = 0;
  bool plus = false, zeros = false;
};

// Reads the escape whose '#' stands at pos.
Escape ReadEscape(std::string_view text, size_t pos) {
  Escape e;
  bool common = false, stage = false, format = false;
  size_t i = pos + 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (!format && IsDigit(c)) {
      // A long digit run saturates instead of overflowing: it names no variable.
      e.number = std::min<long long>(e.number * 10 + (c - '0'), INT_MAX);
    } else if (!format && (c == 'C' || c == 'c')) {
      common = true;
    } else if (!format && (c == 'S' || c == 's')) {
      stage = true;
    } else if (!format && c == '_') {
      format = true;
    } else if (format && IsDigit(c)) {
      e.width = c - '0';
    } else if (format && (c == 'P' || c == 'p')) {
      e.plus = true;
    } else if (format && (c == 'Z' || c == 'z')) {
      e.zeros = true;
    } else {
      if (c == '.') ++i;
      break;
    }
  }
  e.end = i;
  e.kind = common ? 0 : stage ? 1 : -1;
  return e;
}

std::string FormatNumber(int value, const Escape& e) {
  const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
  std::string digits = std::to_string(magnitude);
  if (static_cast<int>(digits.size()) < e.width) digits.insert(0, static_cast<size_t>(e.width) - digits.size(), '0');
  if (!e.zeros)
    for (size_t i = 0; i + 1 < digits.size() && digits[i] == '0'; ++i) digits[i] = ' ';
  if (value < 0) return "-" + digits;
  return e.plus ? "+" + digits : digits;
}

}  // namespace

void FormatMessageText(std::string& text, const cCheckedVector<int>& common, const cCheckedVector<int>& stage) {
  for (size_t pos = 0; pos < text.size();) {
    if (text[pos] != '#') {
      pos += SjisCharLength(text, pos);
      continue;
    }
    const Escape e = ReadEscape(text, pos);
    const cCheckedVector<int>& table = e.kind == 0 ? common : stage;
    // A number the table does not hold leaves the escape as text, rather than
    // asking the guarded vector (which closes the program).
    if (e.kind < 0 || e.number < 1 || e.number > 255 || e.number >= static_cast<long long>(table.size())) {
      ++pos;
      continue;
    }
    const std::string value = FormatNumber(table[static_cast<size_t>(e.number)], e);
    text.replace(pos, e.end - pos, value);
    pos += value.size();
  }
}

cMessage::cMessage(const MessageSettings& settings) { SetMessage(settings, 0); }

cMessage::~cMessage() { ReleaseSurface(); }

void cMessage::ResetMessage(const MessageSettings& settings) { SetMessage(settings, 1); }

void cMessage::Remove() {
  ReleaseSurface();
  m_bRemoved = 1;
}

void cMessage::MeasureMessageText(int& width, int& height, std::string_view text) {
  const platform::TextExtent extent = MessageFont().MeasureText(text);
  width = extent.width + 2;
  height = extent.height + 2;
}

void cMessage::Expand(std::string& text) const {
  if (CurrentPlayScene) FormatMessageText(text, CurrentPlayScene->Record().GameValue, CurrentPlayScene->m_StageVar);
}

void cMessage::SetMessage(const MessageSettings& settings, int bKeepSurface) {
  m_Set = settings;
  m_strText = settings.text;
  m_bPositionStored = 0;
  if (m_Set.bExpand) Expand(m_strText);
  if (m_Set.nKind == MSGKIND_TEXT) {
    MeasureMessageText(m_nWidth, m_nHeight, m_strText);
  } else {
    m_nWidth = m_nHeight = kSignSize;
  }
  m_dOpening = 0;
  m_bOpening = m_Set.nDisplayMode == MSGDISPLAY_BUTTON && !m_Set.bContinuation;
  if (m_Set.nKind != MSGKIND_TEXT) return;
  if (!bKeepSurface || !m_pSurface) CreateMessageSurface();
  RenderMessage();
}

void cMessage::CreateMessageSurface() {
  ReleaseSurface();
  if (!DDAddSurfaceList(Off_Msg, MsgDesc, m_nWidth, m_nHeight, 1, LowVideoMemory(), 0, 0)) {
    PostCloseToMainWindow();
    return;
  }
  m_pSurface = &Off_Msg.back();
}

void cMessage::ReleaseSurface() {
  if (!m_pSurface) return;
  DDDeleteSurface(Off_Msg, MsgDesc, m_pSurface);
  m_pSurface = nullptr;
}

void cMessage::RenderMessage() {
  if (!m_pSurface) return;
  if (m_Set.bWindow) {
    MessageFont().PrintInWindow(m_pSurface, 1, 1, 0, 0, m_strText, 0);
  } else {
    DDFillSurface(m_pSurface, 0);
    MessageFont().Print(m_pSurface, 1, 1, m_strText);
  }
}

void cMessage::Refresh(const cStagePlayScene& scene) {
  if (!m_Set.bRefresh || m_Set.nRefreshInterval == 0 || m_Set.nKind != MSGKIND_TEXT || !m_Set.bExpand) return;
  if (scene.m_nFrame % m_Set.nRefreshInterval != 0) return;
  std::string text = m_Set.text;
  Expand(text);
  if (text == m_strText) return;
  m_strText = std::move(text);
  int w = 0, h = 0;
  MeasureMessageText(w, h, m_strText);
  if (w != m_nWidth || h != m_nHeight || !m_pSurface) {
    m_nWidth = w;
    m_nHeight = h;
    CreateMessageSurface();
  }
  RenderMessage();
}

bool cMessage::Position(cStagePlayScene& scene, int& x, int& y) const {
  const int sx = DoubleToInt(scene.m_ScrollX.dPos), sy = DoubleToInt(scene.m_ScrollY.dPos);
  const int w = m_nWidth, h = m_nHeight, ox = m_Set.nOffsetX, oy = m_Set.nOffsetY;
  switch (m_Set.nPosMode) {
    case MSGPOS_SCREEN_CENTRE:
      x = ox - (w >> 1) + 320;
      y = oy - (h >> 1) + 240;
      return true;
    case MSGPOS_SCREEN:
      x = ox + m_Set.nCellX * 32;
      y = oy + m_Set.nCellY * 32;
      return true;
    case MSGPOS_STAGE:
      x = (m_Set.nCellX + kMapMarginCells) * 32 + ox - sx;
      y = (m_Set.nCellY + kMapMarginCells) * 32 + oy - sy;
      return true;
    default:
      break;
  }
  if (m_Set.nPosMode < MSGPOS_ABOVE_SELF || m_Set.nPosMode > MSGPOS_CENTRE_HERO) return true;  // keeps x, y
  const cChara* anchor = scene.FindCharaById(m_Set.nAnchor);
  if (!anchor) return false;
  const BoxI& gfx = anchor->m_rcGfx;
  const int cx = DoubleToInt(anchor->m_dX) - sx, cy = DoubleToInt(anchor->m_dY) - sy;
  x = cx + (gfx.nW >> 1) + ox - (w >> 1) - gfx.nX;
  switch (m_Set.nPosMode) {
    case MSGPOS_ABOVE_SELF:
    case MSGPOS_ABOVE_HERO:
      y = cy - gfx.nY - h + oy;
      break;
    case MSGPOS_BELOW_SELF:
    case MSGPOS_BELOW_HERO:
      y = cy + gfx.nH - gfx.nY + 1 + oy;
      break;
    default:
      y = cy + (gfx.nH >> 1) - (h >> 1) - gfx.nY + oy;
      break;
  }
  return true;
}

bool cMessage::Place(cStagePlayScene& scene, int& x, int& y) {
  if (!Position(scene, x, y)) return false;
  const int sx = DoubleToInt(scene.m_ScrollX.dPos), sy = DoubleToInt(scene.m_ScrollY.dPos);
  const bool screenPlaced = m_Set.nPosMode == MSGPOS_SCREEN_CENTRE || m_Set.nPosMode == MSGPOS_SCREEN;
  if (!screenPlaced && m_Set.bFixOnScreen) {
    if (!m_bPositionStored) m_nStoredX = x, m_nStoredY = y, m_bPositionStored = 1;
    x = m_nStoredX, y = m_nStoredY;
  } else if (screenPlaced && !m_Set.bFixOnScreen) {
    // Placed on the screen once, then kept at that place of the stage.
    if (!m_bPositionStored) m_nStoredX = x + sx, m_nStoredY = y + sy, m_bPositionStored = 1;
    x = m_nStoredX - sx, y = m_nStoredY - sy;
  }
  if (m_Set.bKeepInside) {
    if (x < 0)
      x = 0;
    else if (x + m_nWidth >= 639)
      x = 640 - m_nWidth;
    if (y < 20)
      y = 20;
    else if (y + m_nHeight >= 479)
      y = 480 - m_nHeight;
  }
  return true;
}

int cMessage::DrawMessage(cStagePlayScene& scene, DDSURFACEDATA* target, int paused) {
  if (m_bRemoved) return 1;
  if (m_Set.nDisplayMode == MSGDISPLAY_TIME && (m_Set.bStopGame || !paused) && --m_Set.nFrames < 0) {
    Remove();
    return 1;
  }
  Refresh(scene);
  int x = 0, y = 0;
  // A message whose anchor is gone has no place left on the screen: it ends.
  if (!Place(scene, x, y)) {
    Remove();
    return 1;
  }
  const int rise = (kRisingFrames - m_Set.nFrames) >> 2;
  switch (m_Set.nKind) {
    case MSGKIND_TEXT:
      DrawText(target, x, y);
      break;
    case MSGKIND_ICON:
      DrawSpriteIcon(target, x, y - rise, m_Set.nIconKind, m_Set.nIconGraphic, m_Set.nIconCell);
      break;
    case MSGKIND_EXTRA_LIFE:
      if (DDSURFACEDATA* sheet = StageSurface(kAccessorySlot))
        DDBlt(target, x, y - rise, kSignSize, kSignSize, sheet, 0, 48, 1);
      break;
    default:
      break;
  }
  return 0;
}

void cMessage::DrawText(DDSURFACEDATA* target, int x, int y) {
  if (!m_pSurface) return;
  if (m_pSurface->bLost) {
    RenderMessage();
    m_pSurface->bLost = 0;
  }
  if (m_strText.empty()) return;
  if (m_bOpening && ++m_dOpening < kOpeningFrames) {
    if (!m_Set.bWindow) return;
    const double v = m_dOpening * 0.1;
    const int w = m_nWidth, h = m_nHeight;
    MessageFont().DrawWindow(target, DoubleToInt((x + (w >> 1)) - (w >> 1) * v),
                             DoubleToInt((y + (h >> 1)) - (h >> 1) * v), DoubleToInt(w * v), DoubleToInt(h * v));
    return;
  }
  DDBlt(target, x, y, m_nWidth, m_nHeight, m_pSurface, 0, 0, 1);
}

namespace {

MessageSettings RisingSign(int kind, const cChara& hero, int bStopGame) {
  MessageSettings s;
  s.nKind = kind;
  s.nPosMode = MSGPOS_ABOVE_HERO;
  s.bFixOnScreen = 1;
  s.nDisplayMode = MSGDISPLAY_TIME;
  s.nFrames = kRisingFrames;
  s.bStopGame = bStopGame;
  s.nAnchor = hero.m_nNo;
  return s;
}

}  // namespace

void ShowPickupMessage(cStagePlayScene& scene, const cChara& hero, int kind, int graphic, int cell) {
  MessageSettings s = RisingSign(MSGKIND_ICON, hero, 0);
  s.nIconKind = kind;
  s.nIconGraphic = graphic;
  s.nIconCell = cell;
  scene.AddMessage(s);
}

MessageSettings ExtraLifeSign(const cChara& hero) { return RisingSign(MSGKIND_EXTRA_LIFE, hero, 1); }

MessageSettings GameWaitTimer(int frames) {
  MessageSettings s;
  s.nKind = MSGKIND_TIMER;
  s.bFixOnScreen = 1;
  s.nDisplayMode = MSGDISPLAY_TIME;
  s.nFrames = frames;
  s.bStopGame = 1;
  return s;
}
