#pragma once
// The commands that change what the player sees and hears: messages, the
// graphic and animation set, one-off animations, effects, chara and screen
// effects, pictures, the screen colour, background layers, sounds and music.
// Each worker takes the command's definition; the flow and item tables reach
// them through small adapters.
#include <array>

#include "flow/Interpreter.h"
#include "records/FlowEnums.h"

class cStagePlayScene;

// Display position modes of effects and pictures.
enum DisplayPosMode : int {
  DISPPOS_SCREEN_CENTRE = 0,
  DISPPOS_CHARA = 1,
  DISPPOS_HERO = 2,
  DISPPOS_SCREEN = 3,
  DISPPOS_STAGE = 4,
};

// The world position of a w x h image placed by mode; other modes leave x, y as they are.
void CalcDisplayPos(double& x, double& y, int w, int h, const cChara& chara, int mode, int cx, int cy, int ox, int oy);

void DoMessage(cChara& chara, const cFlowCommand& def, int continuation);
void DoGraphicChange(cChara& chara, const cFlowCommand& def);
void DoBaseAnimeSetChange(cChara& chara, const cFlowCommand& def);
// serial: the running flow the animation belongs to (-1 for none).
void DoAnime(cChara& chara, const cFlowCommand& def, int serial);
void DoEffect(cChara& chara, const cFlowCommand& def);
void DoCharaEffect(cChara& chara, const cFlowCommand& def);
void DoScreenEffect(cChara& chara, const cFlowCommand& def);
void DoPicture(cChara& chara, const cFlowCommand& def);
void DoScreenColor(cChara& chara, const cFlowCommand& def);
void DoBackground(cChara& chara, const cFlowCommand& def);
void DoSoundEffect(cChara& chara, const cFlowCommand& def);
void DoBgm(cChara& chara, const cFlowCommand& def);

// Fills the presentation entries of the flow and item command tables.
void InstallPresentCommands(std::array<CommandExec, CMD_COUNT>& flowTable,
                            std::array<ItemCommandExec, ITEMCMD_COUNT>& itemTable);
