// Code-execution statements come from users: any text must run to a value or
// to one error box, on a small scene of a hero and a character that targets it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "flow/ObjectCommands.h"
#include "platform/MessageBox.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

struct SmallScene {
  SmallScene() {
    CurrentPlayScene = &scene;
    scene.m_Rules.SetCollisionLevel(2, 0.4);
    scene.m_Rules.nMapWidth = 20;
    scene.m_Rules.nMapHeight = 15;
    scene.BuildEmptyMap();
    cCharaDef def;
    def.m_nOperator = 0;
    def.m_nMaxHp = def.m_nMaxSp = 100;
    cPlayer& hero = scene.Player.emplace_back();
    hero.PlaceHero(scene.m_nNextCharaId++, def, 400, 400);
    def.m_nOperator = 1;
    SpawnCharas(5, 5, scene.m_nNextCharaId, def, nullptr);
    scene.CharaList.front().m_nTargetNo = hero.m_nNo;
  }
  ~SmallScene() { CurrentPlayScene = nullptr; }
  SmallScene(const SmallScene&) = delete;
  SmallScene& operator=(const SmallScene&) = delete;
  cStagePlayScene scene;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    platform::SetMessageBoxSink([](std::string_view, std::string_view, UINT) { return IDOK; });
    return true;
  }();
  (void)quiet;
  SmallScene small;  // each input starts from the same scene
  ExecuteCode(std::string(reinterpret_cast<const char*>(data), size), small.scene.CharaList.front());
  return 0;
}
