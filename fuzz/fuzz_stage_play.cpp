// Stage files come from users: whatever loads must also play. The input is a
// stage file followed by one key byte per frame (low nibble the directions,
// high nibble buttons 1 to 4). A stage that loads is set up and its states
// run for those frames, play and drawing alike, into an off-screen screen.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzRecords.h"
#include "gamedata/Database.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "records/StageData.h"
#include "stage/StageDraw.h"
#include "stage/StageResources.h"
#include "stage/StageRules.h"
#include "stage/StageScene.h"
#include "stage/StageSetup.h"

namespace {

constexpr std::size_t kFrames = 32;
// Larger maps are valid but only slow the search down: every cell is built
// and checked each frame.
constexpr int kMaxFuzzMapWidth = 200;
constexpr int kMaxFuzzMapHeight = 100;
constexpr int kUserSlots = 71;
constexpr int kSheetSize = 256;
constexpr int kScreenWidth = 160, kScreenHeight = 120;

// The program around the states: free play started on the stage file, so no
// life is ever taken and every loss restarts the stage.
class FuzzShell final : public cStageShell {
 public:
  explicit FuzzShell(cStagePlayScene& scene) : m_scene(scene) {}
  bool PauseKeyDown() override { return false; }
  void DrawStage(int playing, int frozen, int timeWarn, int footer) override {
    ::DrawStage(m_scene, *this, playing, frozen, timeWarn, footer);
  }
  int FrameRate() const override { return 60; }
  bool DirectStart() const override { return true; }
  bool TestPlay() const override { return false; }
  int PlayMode() const override { return kPlayModeFree; }
  int GameMode() const override { return 2; }
  void SetNextScene(int) override {}
  void PlayCursorSe(WORD) override {}
  void CyclePalette() override {}
  void PostClose() override {}

 private:
  cStagePlayScene& m_scene;
};

// An off-screen screen whose stage slots hold blank sheets, so that every
// draw of a block, character, layer or status item really copies pixels. The
// screen is a corner of the view: the rest is clipped, which keeps the pixel
// work per frame small.
void StartDrawingOnce() {
  static std::vector<DDSURFACEDATA> user(kUserSlots);
  static bool started = [] {
    DDInit(0, nullptr, kScreenWidth, kScreenHeight, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
    for (int slot : kStageSurfaceTable)
      DDCreateSurface(&user[static_cast<std::size_t>(slot)], kSheetSize, kSheetSize, 1, 0, 0, 0, 0);
    lpUserSD = user.data();
    nUserSD = kUserSlots;
    return true;
  }();
  (void)started;
}

void Play(cStageData& stage, const std::uint8_t* keys) {
  static cDatabase database;
  static cStageRecordHooks hooks;
  cSaveData record;
  cSystemData system;
  Database = &database;
  SetRecordHooks(&hooks);
  StageData = StageDataOrg = &stage;
  PlayData = &record;
  SystemData = &system;
  KeyInputList.assign(1, cKeyInput{});
  MenuCursor.ResetCursor();
  {
    cStagePlayScene scene;
    FuzzShell shell(scene);
    if (SetStage(scene, 1, 1)) {
      scene.m_nState = PLAYSTATE_PLAY;
      for (std::size_t frame = 0; frame < kFrames; ++frame) {
        cKeyInput& input = KeyInputList.VecAt(0);
        input.m_wDir = keys[frame] & KEYBIT_DIRS;
        input.m_wButton = keys[frame] >> 4;
        RunStageState(scene, shell);
      }
    }
  }
  CurrentPlayScene = nullptr;
  StageData = StageDataOrg = nullptr;
  PlayData = nullptr;
  SystemData = nullptr;
  KeyInputList.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kFrames) return 0;
  const std::size_t stageSize = size - kFrames;
  cStageData stage;
  if (!fuzzrecords::Load(stage, data, stageSize)) return 0;
  if (stage.m_nMapWidth > kMaxFuzzMapWidth || stage.m_nMapHeight > kMaxFuzzMapHeight) return 0;
  StartDrawingOnce();
  Play(stage, data + stageSize);
  return 0;
}
