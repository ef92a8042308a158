#include "stage/BlockChara.h"

#include <array>
#include <utility>

#include "flow/Interpreter.h"
#include "platform/Trace.h"
#include "records/FlowEnums.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

bool Qualifies(const cNpc& b, int selfNo) {
  return !b.m_bRemoved && b.m_Def.m_bBlockChara && b.m_bActive && !b.m_bDying && b.m_nNo != selfNo;
}

RectD Bounds(const cGameObject& o) { return {o.m_dX, o.m_dY, o.m_dRight, o.m_dBottom}; }

// Rectangles share at least one dot (edges inclusive).
bool Overlap(const RectD& a, const RectD& b) {
  return a.dLeft <= b.dRight && a.dRight >= b.dLeft && a.dTop <= b.dBottom && a.dBottom >= b.dTop;
}

bool Contains(const RectD& r, double x, double y) {
  return x >= r.dLeft && x <= r.dRight && y >= r.dTop && y <= r.dBottom;
}

// The overlap of `a` and `b` counted from the edge of `b` that entered `a`
// (0 and 0 when they do not overlap).
struct OverlapSize {
  double w = 0, h = 0;
};
OverlapSize OverlapOf(const RectD& a, const RectD& b) {
  if (!Overlap(a, b)) return {};
  OverlapSize s;
  s.w = a.dLeft < b.dLeft && b.dLeft <= a.dRight ? a.dRight - b.dLeft + 1 : b.dRight - a.dLeft + 1;
  s.h = a.dTop < b.dTop && b.dTop <= a.dBottom ? a.dBottom - b.dTop + 1 : b.dBottom - a.dTop + 1;
  return s;
}

// One candidate position of the scan: the nearest block character on one side wins.
struct Candidate {
  bool set = false;
  double pos = 0;
  double speed = 0;  // the pusher's speed on the candidate's axis
  int no = 0;        // the pusher's object number
  // Offers a position; `largest` says which way the nearer one lies.
  bool Offer(double p, const cNpc& b, double v, bool largest) {
    if (set && (largest ? p <= pos : p >= pos)) return false;
    set = true, pos = p, speed = v, no = b.m_nNo;
    return true;
  }
};

struct Scan {
  Candidate left, right, top, bottom;  // fliers: the four sides; walkers: top is the push down, bottom the landing
  bool touched = false;
};

void Trace(const char* line) {
  if (platform::TraceOn()) platform::TraceLine(line);
}

void SetX(cChara& c, double x) {
  c.m_dX = x;
  c.OnMoveX();
}
void SetY(cChara& c, double y) {
  c.m_dY = y;
  c.OnMoveY();
}

void RememberRide(cChara& c, const cNpc& b) {
  c.m_nRiddenNo = b.m_nNo;
  c.m_rcRidden = Bounds(b);
}

// ---- fliers (modes 1 and 2): the overlap's shape picks the axis ----

void ScanFlier(cChara& c, cBlockCharas& blocks, Scan& s) {
  const RectD k = Bounds(c);
  const RectD topStrip{k.dLeft + 1, k.dTop, k.dRight - 1, k.dTop};
  const RectD bottomStrip{k.dLeft + 1, k.dBottom, k.dRight - 1, k.dBottom};
  const RectD leftStrip{k.dLeft, k.dTop + 1, k.dLeft, k.dBottom - 1};
  const RectD rightStrip{k.dRight, k.dTop + 1, k.dRight, k.dBottom - 1};
  for (cNpc& b : blocks.Current()) {
    if (!Qualifies(b, c.m_nNo)) continue;
    const RectD r = Bounds(b);
    if (!Overlap(k, r)) continue;
    s.touched = true;
    const OverlapSize o = OverlapOf(k, r);
    if (o.w > o.h) {
      if (Overlap(topStrip, r)) c.m_bHitTop = 1, s.top.Offer(r.dBottom + 1, b, b.m_dVy, true);
      if (Overlap(bottomStrip, r)) c.m_bHitBottom = 1, s.bottom.Offer(r.dTop - c.m_nHeight, b, b.m_dVy, false);
    } else {
      if (Overlap(leftStrip, r)) c.m_bHitLeft = 1, s.left.Offer(r.dRight + 1, b, b.m_dVx, true);
      if (Overlap(rightStrip, r)) c.m_bHitRight = 1, s.right.Offer(r.dLeft - c.m_nWidth, b, b.m_dVx, false);
    }
  }
}

int ResolveFlier(cChara& c, cBlockCharas& blocks) {
  Scan s;
  ScanFlier(c, blocks, s);
  if (s.touched) FireFlowTrigger(c, TRG_TOUCH_BLOCK_CHARA);
  if (c.m_nFlightMode == 2) return s.left.set || s.right.set || s.top.set || s.bottom.set ? 2 : 0;
  // A block character moving away (its speed's sign `away`) while the flier
  // does not follow leaves it where it is on that axis; only the other axis is
  // resolved then.
  struct Side {
    const Candidate& cand;
    int cChara::*flag;
    int away;
    bool horizontal;
  };
  for (const Side side :
       {Side{s.left, &cChara::m_bHitLeft, -1, true}, Side{s.right, &cChara::m_bHitRight, 1, true},
        Side{s.top, &cChara::m_bHitTop, -1, false}, Side{s.bottom, &cChara::m_bHitBottom, 1, false}}) {
    if (!side.cand.set) continue;
    (side.horizontal ? c.m_dMoveVx : c.m_dMoveVy) = 0;
    const double own = side.horizontal ? c.m_dVx : c.m_dVy;
    const bool movesAway = side.away < 0 ? side.cand.speed < 0 && own >= 0 : side.cand.speed > 0 && own <= 0;
    if (movesAway) {
      c.*side.flag = 0;
      ResolveBlockCharasOtherAxis(c, blocks, side.horizontal ? 1 : 0);
      if (&side.cand == &s.bottom) return 0;
    } else if (side.horizontal) {
      c.m_bPushed = 1;
      SetX(c, side.cand.pos);
    } else {
      SetY(c, side.cand.pos);
    }
  }
  return 0;
}

// ---- walkers ----

struct WalkerScan : Scan {
  RectD upper0;  // the upper half at entry
};

// A side contact over the rows [top, bottom]: the edge toward the motion first.
void OfferSide(cChara& c, const cNpc& b, const RectD& r, double top, double bottom, bool leftFirst, Scan& s) {
  const RectD leftEdge{c.m_dX, top, c.m_dX, bottom};
  const RectD rightEdge{c.m_dRight, top, c.m_dRight, bottom};
  auto tryLeft = [&] {
    if (!Overlap(leftEdge, r)) return false;
    c.m_bHitLeft = 1;
    s.left.Offer(r.dRight + 1.5, b, b.m_dVx, true);
    return true;
  };
  auto tryRight = [&] {
    if (!Overlap(rightEdge, r)) return false;
    c.m_bHitRight = 1;
    s.right.Offer(r.dLeft - c.m_nWidth - 0.5, b, b.m_dVx, false);
    return true;
  };
  if (leftFirst)
    tryLeft() || tryRight();
  else
    tryRight() || tryLeft();
}

void OfferLanding(cChara& c, const cNpc& b, const RectD& r, Scan& s) {
  if (b.m_dVy < 0) c.m_bHitBottom = 1;
  if (s.bottom.Offer(r.dTop - c.m_nHeight, b, b.m_dVy, false)) RememberRide(c, b);
}

void ScanUpperHalf(cChara& c, const cNpc& b, const RectD& upper, Scan& s) {
  const cStageRules& rules = Scene().m_Rules;
  const RectD r = Bounds(b);
  const RectD bPrev = b.m_rcPrev;
  const OverlapSize o = OverlapOf(upper, r);
  const double owPrev = OverlapOf(c.m_rcPrev, r).w;
  const double owPrevX = OverlapOf({c.m_rcPrev.dLeft, c.m_dY, c.m_rcPrev.dRight, c.m_dBottom}, bPrev).w;
  if (c.m_dVy > 2.0 / rules.dSteps && owPrevX != 0 && c.m_rcPrev.dTop < bPrev.dTop) {
    Trace("D Hit");
    OfferLanding(c, b, r, s);
  } else if ((o.w - o.h > 0.4 / rules.dSteps && c.m_dBottom > r.dBottom) ||
             (owPrevX != 0 && c.m_rcPrev.dTop > bPrev.dTop && owPrev == 0)) {
    if (b.m_dVy > 0) c.m_bHitTop = 1;
    s.top.Offer(r.dBottom + 1, b, b.m_dVy, true);
    if (c.m_bRiding && c.m_dVy < 0) c.m_bHitBottom = 1;
  } else {
    OfferSide(c, b, r, c.m_dY, c.m_dY + (c.m_nHeight / 2), c.m_dVx < 0, s);
  }
}

void ScanLowerHalf(cChara& c, const cNpc& b, Scan& s) {
  const RectD r = Bounds(b);
  const OverlapSize o = OverlapOf(Bounds(c), r);
  if (o.h > o.w) {
    const RectD rightEdge{c.m_dRight, c.m_dY, c.m_dRight, c.m_dBottom};
    const RectD leftEdge{c.m_dX, c.m_dY, c.m_dX, c.m_dBottom};
    if (Overlap(rightEdge, r)) c.m_bHitRight = 1, s.right.Offer(r.dLeft - c.m_nWidth - 0.5, b, b.m_dVx, false);
    if (Overlap(leftEdge, r)) c.m_bHitLeft = 1, s.left.Offer(r.dRight + 1.5, b, b.m_dVx, true);
    return;
  }
  const RectD foot{c.m_dX + 1, c.m_dBottom - (c.m_nHeight / 3), c.m_dRight - 1, c.m_dBottom};
  if (Overlap(foot, r)) OfferLanding(c, b, r, s);
}

RectD UpperHalf(const cChara& c) { return {c.m_dX, c.m_dY, c.m_dRight, c.m_dY + (c.m_nHeight / 2)}; }

// Pushed down below a block character: its speed, and a bumped head.
void PushBelow(cChara& c, double y, double vy) {
  SetY(c, y);
  c.m_dVy = vy;
  c.m_dMoveVy = 0;
  c.m_bJumpStarted = c.m_bJumping = c.m_bHeadBumped = 1;
}

// The first block character over the upper half at entry pushes `c` below it.
const cNpc* PushBelowUpperBlock(cChara& c, cBlockCharas& blocks, const RectD& upper0) {
  for (const cNpc& b : blocks.Current()) {
    if (!Qualifies(b, c.m_nNo) || OverlapOf(upper0, Bounds(b)).w == 0) continue;
    PushBelow(c, b.m_dBottom + 1, b.m_dVy);
    return &b;
  }
  return nullptr;
}

void PushDown(cChara& c, cBlockCharas& blocks, const Candidate& push) {
  // A rising pusher takes the walker along only where the walker has room.
  if (push.speed < 0 &&
      (c.IsInBlock() || OverlapsOtherBlockChara({c.m_dX, push.pos, c.m_dRight, c.m_dBottom}, c.m_nNo, push.no, blocks)))
    return;
  PushBelow(c, push.pos, push.speed);
  RecheckMapY(c);
}

// 1 when the landing was made.
bool Land(cChara& c, const Candidate& land) {
  cStagePlayScene& scene = Scene();
  if (land.speed > 0 && c.IsInBlock()) {
    c.m_bRiding = 0;
    return false;
  }
  c.m_dMoveVy = 0;
  if (!c.m_bRiding) {
    c.m_bRiding = 1;
    if (cChara* carrier = scene.FindCharaById(land.no)) {
      if (c.m_nController == 0) FireFlowTrigger(*carrier, TRG_RIDDEN_BY_HERO);
      FireFlowTrigger(*carrier, TRG_RIDDEN_BY_CHARA);
    }
  }
  SetY(c, land.pos);
  c.m_dVy = 0;
  c.m_nFloorlessSteps = c.m_bJumpStarted = c.m_bJumping = c.m_bAirborne = c.m_bKnocked = 0;
  if (c.m_nController == 1)
    c.m_bHeadBumped = 0;
  else if (scene.HasHero())
    scene.Hero().m_bJumpForbidden = 0;
  return true;
}

void PushSide(cChara& c, const Candidate& side) {
  c.m_dMoveVx = 0;
  if (!(c.m_bRiding && side.no == c.m_nRiddenNo)) c.m_bPushed = 1;
  SetX(c, side.pos);
}

// Pushed from both sides: back to the entry x and under a block character above, when one is there.
void SidePushes(cChara& c, cBlockCharas& blocks, const WalkerScan& s, double entryX) {
  if (s.left.set) PushSide(c, s.left);
  if (s.right.set) PushSide(c, s.right);
  if (!s.left.set || !s.right.set || s.bottom.set) return;
  SetX(c, entryX);
  if (const cNpc* above = PushBelowUpperBlock(c, blocks, s.upper0)) {
    if (above->m_dVy > 0) c.m_bHitTop = 1;
    c.m_bHitLeft = c.m_bHitRight = 0;
  }
}

// Out of the map's blocks, 0.1 dots at a time toward the block character that pushed.
void NudgeOutOfWalls(cChara& c) {
  struct Side {
    int cChara::*flag;
    double dx, dy;
  };
  for (Side side : {Side{&cChara::m_bHitLeft, -0.1, 0}, Side{&cChara::m_bHitRight, 0.1, 0},
                    Side{&cChara::m_bHitTop, 0, -0.1}, Side{&cChara::m_bHitBottom, 0, 0.1}}) {
    if (!(c.*side.flag)) continue;
    for (int i = 0; i < 15 && c.IsInBlock(); ++i) {
      if (side.dx != 0)
        SetX(c, c.m_dX + side.dx);
      else
        SetY(c, c.m_dY + side.dy);
    }
  }
}

void KeepRiding(cChara& c, const cNpc& b) {
  c.m_nFloorlessSteps = c.m_bKnocked = 0;
  RememberRide(c, b);
}

void RideUpkeep(cChara& c, cBlockCharas& blocks) {
  if (c.m_dImpactVy < 0) return c.StopRiding(1);
  if (IsStillOnRiddenChara(c, blocks)) {
    for (const cNpc& b : blocks.Current())
      if (!b.m_bRemoved && b.m_nNo == c.m_nRiddenNo) return KeepRiding(c, b);
    return;
  }
  if (const cNpc* below = FindBlockCharaBelow(c, blocks)) return KeepRiding(c, *below);
  c.StopRiding(1);
}

int ResolveWalker(cChara& c, cBlockCharas& blocks) {
  const RectD entry = Bounds(c);
  WalkerScan s;
  s.upper0 = UpperHalf(c);
  for (cNpc& b : blocks.Current()) {
    if (!Qualifies(b, c.m_nNo) || !Overlap(Bounds(c), Bounds(b))) continue;
    s.touched = true;
    const RectD upper = UpperHalf(c);
    if (Overlap(upper, Bounds(b)))
      ScanUpperHalf(c, b, upper, s);
    else
      ScanLowerHalf(c, b, s);
  }
  bool landed = false;
  const bool bothSides = s.left.set && s.right.set;
  if (s.top.set && !s.bottom.set) {
    PushDown(c, blocks, s.top);
    SidePushes(c, blocks, s, entry.dLeft);
  } else if (bothSides && !s.bottom.set) {
    PushBelowUpperBlock(c, blocks, s.upper0);
    c.m_bHitLeft = c.m_bHitRight = 0;
  } else {
    if (s.bottom.set && !bothSides) landed = Land(c, s.bottom);
    SidePushes(c, blocks, s, entry.dLeft);
  }
  if (s.touched || c.m_bRiding) FireFlowTrigger(c, TRG_TOUCH_BLOCK_CHARA);
  if (c.m_bRiding) FireFlowTrigger(c, TRG_ON_BLOCK_CHARA);
  if ((c.m_bHitLeft && c.m_bHitRight) || (c.m_bHitTop && c.m_bHitBottom) || IsCrushedByBlockCharas(c, entry, blocks))
    return 2;
  NudgeOutOfWalls(c);
  if (c.m_bRiding && !landed) RideUpkeep(c, blocks);
  return 0;
}

}  // namespace

cBlockCharas::Range cBlockCharas::Current() {
  const bool unchanged = m_charas.size() == m_size && (m_size == 0 || m_charas.back().m_nSerial == m_lastSerial);
  if (!unchanged) {
    m_blocks.clear();
    for (cNpc& c : m_charas)
      if (c.m_Def.m_bBlockChara) m_blocks.push_back(&c);
    m_size = m_charas.size();
    m_lastSerial = m_size == 0 ? 0 : m_charas.back().m_nSerial;
  }
  return Range(m_blocks);
}

int ResolveBlockCharas(cChara& c, cBlockCharas& blocks) {
  // A walker's flight mode is 1 as well: the flight branches are for fliers only.
  if (!c.m_bFlying) return ResolveWalker(c, blocks);
  if (c.m_nFlightMode == 0) return 0;
  return ResolveFlier(c, blocks);
}

void ResolveBlockCharasOtherAxis(cChara& c, cBlockCharas& blocks, int axis) {
  const RectD k = Bounds(c);
  Scan s;
  for (cNpc& b : blocks.Current()) {
    if (!Qualifies(b, c.m_nNo)) continue;
    const RectD r = Bounds(b);
    if (!Overlap(k, r)) continue;
    if (axis != 0) {
      if (Overlap({k.dLeft + 1, k.dTop, k.dRight - 1, k.dTop}, r))
        c.m_bHitTop = 1, s.top.Offer(r.dBottom + 1, b, 0, true);
      if (Overlap({k.dLeft + 1, k.dBottom, k.dRight - 1, k.dBottom}, r))
        c.m_bHitBottom = 1, s.bottom.Offer(r.dTop - c.m_nHeight, b, 0, false);
    } else {
      if (Overlap({k.dLeft, k.dTop + 1, k.dLeft, k.dBottom - 1}, r))
        c.m_bHitLeft = 1, s.left.Offer(r.dRight + 1, b, 0, true);
      if (Overlap({k.dRight, k.dTop + 1, k.dRight, k.dBottom - 1}, r))
        c.m_bHitRight = 1, s.right.Offer(r.dLeft - c.m_nWidth, b, 0, false);
    }
  }
  if (s.top.set) SetY(c, s.top.pos);
  if (s.bottom.set) SetY(c, s.bottom.pos);
  for (const Candidate* side : {&s.left, &s.right}) {
    if (!side->set) continue;
    if (!(c.m_bRiding && side->no == c.m_nRiddenNo)) c.m_bPushed = 1;
    SetX(c, side->pos);
  }
}

int IsCrushedByBlockCharas(const cChara& c, const RectD& entry, cBlockCharas& blocks) {
  const RectD now = Bounds(c);
  auto corners = [](const RectD& r) {
    return std::array<std::pair<double, double>, 4>{
        {{r.dLeft, r.dTop}, {r.dRight, r.dTop}, {r.dLeft, r.dBottom - 1}, {r.dRight, r.dBottom - 1}}};
  };
  const auto nowCorners = corners(now), entryCorners = corners(entry);
  for (size_t i = 0; i < 4; ++i) {
    bool held = false;
    for (const cNpc& b : blocks.Current()) {
      if (!Qualifies(b, c.m_nNo)) continue;
      const RectD r = Bounds(b);
      if (Contains(r, nowCorners[i].first, nowCorners[i].second) ||
          Contains(r, entryCorners[i].first, entryCorners[i].second)) {
        held = true;
        break;
      }
    }
    if (!held) return 0;
  }
  return 1;
}

namespace {

RectD StripBelow(const cChara& c) { return {c.m_dX, c.m_dBottom, c.m_dRight, c.m_dBottom + 5}; }

}  // namespace

int IsStillOnRiddenChara(const cChara& c, cBlockCharas& blocks) {
  for (const cNpc& b : blocks.Current())
    if (Qualifies(b, c.m_nNo) && b.m_nNo == c.m_nRiddenNo) return Overlap(StripBelow(c), Bounds(b));
  return 0;
}

cNpc* FindBlockCharaBelow(const cChara& c, cBlockCharas& blocks) {
  const RectD strip = StripBelow(c);
  for (cNpc& b : blocks.Current())
    if (Qualifies(b, c.m_nNo) && Overlap(strip, Bounds(b))) return &b;
  return nullptr;
}

int CarryRider(cChara& c, cBlockCharas& blocks) {
  if (c.m_bFlying) return 0;
  for (cNpc& carrier : blocks.Current()) {
    if (carrier.m_bRemoved || carrier.m_nNo != c.m_nRiddenNo) continue;
    c.m_dVx += carrier.m_dX - c.m_rcRidden.dLeft;
    if (carrier.m_bFlying || carrier.m_bAirborne) c.m_dVy = carrier.m_dY - c.m_rcRidden.dTop;
    if (c.m_nController == 0) FireFlowTrigger(carrier, TRG_RIDDEN_BY_HERO);
    FireFlowTrigger(carrier, TRG_RIDDEN_BY_CHARA);
    return 0;
  }
  return 0;
}

int OverlapsBlockChara(const cChara& c, cBlockCharas& blocks) {
  if (c.m_bFlying && c.m_nFlightMode == 0) return 0;
  return OverlapsOtherBlockChara(Bounds(c), c.m_nNo, c.m_nNo, blocks);
}

int OverlapsOtherBlockChara(const RectD& rect, int selfNo, int skipNo, cBlockCharas& blocks) {
  for (const cNpc& b : blocks.Current())
    if (Qualifies(b, selfNo) && b.m_nNo != skipNo && Overlap(rect, Bounds(b))) return 1;
  return 0;
}
