// Code-execution statements come from users: any text must run to a value or
// to one error box, on a small scene of a hero and a character that targets it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "flow/ObjectCommands.h"
#include "gamedata/SaveData.h"
#include "platform/MessageBox.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

// Built once: a scene's map is costly to make. Each input starts from the same values.
struct SmallScene {
  SmallScene() {
    platform::SetMessageBoxSink([](std::string_view, std::string_view, UINT) { return IDOK; });
    CurrentPlayScene = &scene;
    scene.m_Rules.SetCollisionLevel(2, 0.4);
    scene.m_Rules.nMapWidth = 20;
    scene.m_Rules.nMapHeight = 15;
    scene.BuildEmptyMap();
    def.m_nOperator = 0;
    def.m_nMaxHp = def.m_nMaxSp = 100;
    scene.Player.emplace_back().PlaceHero(scene.m_nNextCharaId++, def, 400, 400);
    def.m_nOperator = 1;
    SpawnCharas(5, 5, scene.m_nNextCharaId, def, nullptr);
  }
  cNpc& Reset() {
    scene.Record().GameValue.Fill(0);
    scene.m_StageVar.Fill(0);
    scene.Record().nScore = scene.m_nTimeLeft = scene.m_bCheckHero = 0;
    scene.Record().nLife = 3;
    for (cChara* c : {static_cast<cChara*>(&scene.Hero()), static_cast<cChara*>(&scene.CharaList.front())}) {
      c->m_Def = def;
      c->m_nHp = c->m_nSp = 100;
      c->m_vVars.Fill(0);
    }
    cNpc& npc = scene.CharaList.front();
    npc.m_nTargetNo = scene.Hero().m_nNo;
    return npc;
  }
  cCharaDef def;
  cStagePlayScene scene;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SmallScene small;
  ExecuteCode(std::string(reinterpret_cast<const char*>(data), size), small.Reset());
  return 0;
}
