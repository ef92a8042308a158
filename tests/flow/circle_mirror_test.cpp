// The rotation sense of a circle move installed mirrored: only the two fixed
// senses swap, those that follow the facing stay as they are.
#include "flow/MoveCommands.h"
#include "support/TinyStage.h"

using namespace stagetest;

TEST(CircleMirrorTest, OnlyTheFixedSensesSwap) {
  struct Case {
    int sense;
    bool mirrorX, mirrorY;
    int expected;
    int startAngle;  // before the logic steps per frame
  };
  const Case cases[] = {
      {0, true, false, 1, 180}, {1, true, false, 0, 180}, {0, false, true, 1, 0},  {1, true, true, 1, 180},
      {2, true, false, 2, 180}, {3, true, false, 3, 180}, {2, true, true, 2, 180}, {3, false, true, 3, 0},
  };
  TinyStage stage(2);
  cNpc& npc = stage.AddNpc(5, 5);
  for (const Case& c : cases) {
    cFlowCommand def = MakeMove(CMD_CIRCLE_MOVE, 10, c.sense, 100);
    def.m_pMove->m_nRadius = 2;
    def.m_pMove->m_nDistance = 360;
    def.m_pMove->m_bMirrorX = c.mirrorX;
    def.m_pMove->m_bMirrorY = c.mirrorY;
    cRunningCommand cmd;
    cmd.pDef = &def;
    cmd.nMoveKind = static_cast<std::uint8_t>(c.sense);
    SetupCircleMove(cmd, npc, 1);
    EXPECT_EQ(cmd.nMoveKind, c.expected) << c.sense << c.mirrorX << c.mirrorY;
    EXPECT_EQ(cmd.nStartAngle, c.startAngle * 2);
    // Installed unmirrored, nothing changes.
    cRunningCommand plain;
    plain.pDef = &def;
    plain.nMoveKind = static_cast<std::uint8_t>(c.sense);
    SetupCircleMove(plain, npc, 0);
    EXPECT_EQ(plain.nMoveKind, c.sense);
  }
}
