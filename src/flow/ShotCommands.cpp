#include "flow/ShotCommands.h"

#include "gamedata/DbMedia.h"
#include "stage/ShotFire.h"
#include "stage/StagePlayScene.h"

namespace {

// The command's sound at its first step, unless it only sounds on screen and the character is not.
void PlayCommandSound(const cChara& c, const cFlowCommand& def) {
  if (def.m_bSoundOnScreen && !c.m_bOnScreen) return;
  Scene().Hooks().RequestDbSe(def.m_nSound);
}

}  // namespace

int ExecShot(cChara& c, cRunningCommand& cmd) {
  cStagePlayScene& scene = Scene();
  if (cmd.nStepCount == 0) {
    PlayCommandSound(c, *cmd.pDef);
    if (cEdShot* settings = cmd.pDef->m_pShot.get()) FireShot(c, cmd, *settings);
  }
  if (++cmd.nStepCount >= 6 * scene.m_Rules.nSteps) cmd.nStepCount = 0;
  return 0;
}

int ExecSword(cChara& c, cRunningCommand& cmd) {
  cStagePlayScene& scene = Scene();
  cEdShot* settings = cmd.pDef->m_pShot.get();
  if (cmd.nStepCount == 0 && settings) {
    PlayCommandSound(c, *cmd.pDef);
    const cDbSwordPart& part = SwordPart(settings->m_nTrajectory, 0);
    SHOTFIREDATA fire;
    fire.nCellW = part.m_nWidth;
    fire.nCellH = part.m_nHeight;
    fire.nScale = settings->m_nScale;
    cShot& sword = scene.NewShot();
    sword.SetupShot(scene.m_nNextShotId, c, kSwordCommand, *settings, fire);
    scene.PushShot(sword);
    ++scene.m_nNextShotId;
    sword.m_nTargetNo = kNoTarget;
  }
  ++cmd.nStepCount;
  return 0;
}
