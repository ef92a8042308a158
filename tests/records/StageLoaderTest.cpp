// Loading a stage for play: the newest version, the end mark, the loader
// thread with the caller's messages served meanwhile, and what a failure
// leaves behind.
#include <gtest/gtest.h>

#include "RecordTestSupport.h"
#include "platform/MessageBox.h"
#include "records/StageLoader.h"
#include "support/TempDir.h"

using recordtest::AsString;
using recordtest::Bytes;

namespace {

class StageLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateStageGlobals();
    platform::SetMessageBoxSink([this](std::string_view text, std::string_view, UINT) {
      boxes.emplace_back(text);
      return IDOK;
    });
  }
  void TearDown() override {
    platform::SetMessageBoxSink(nullptr);
    DestroyStageGlobals();
    // Nothing a test leaves in this thread's queue may reach the next one.
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // A stage file with a hero, named by its frame rate.
  static Bytes StageFile(int frameRate, bool withHero = true) {
    cStageData stage;
    stage.m_nFrameRate = frameRate;
    stage.m_OutAreaRules[2].m_nMargin = {3, 3, 3, 3};
    stage.m_PlacedCharas.resize(1);
    stage.m_PlacedCharas[0].m_nGraphic = 1;
    stage.m_PlacedCharas[0].m_nOperator = withHero ? 0 : 1;
    stage.m_PlacedBlocks.resize(2);
    cRecordWriter out;
    out.WriteI32(nCurVersion);
    stage.Save(out, cLoadContext{});
    return out.Bytes();
  }

  testsupport::TempDir dir{true};
  std::vector<std::string> boxes;
};

TEST_F(StageLoader, LoadsTheNewestVersionAndKeepsTheSettingsCopy) {
  dir.Write("data/stg4/a.stg4_150", AsString(StageFile(30)));
  dir.Write("data/stg4/a.stg4_696", AsString(StageFile(45)));
  ASSERT_EQ(LoadStageForPlay("data\\stg4\\a.stg4", 1, StageDataOrg, cLoadContext{}), 1);
  EXPECT_EQ(StageData->m_nFrameRate, 45);
  EXPECT_EQ(StageData->m_strPath, "data\\stg4\\a.stg4_696");
  EXPECT_EQ(StageData->m_bUseNewest, 1);
  EXPECT_TRUE(StageData->m_bLoadDone);
  EXPECT_EQ(StageData->m_PlacedBlocks.size(), 2u);
  EXPECT_EQ(StageDataOrg->m_nFrameRate, 45);
  EXPECT_EQ(StageDataOrg->m_OutAreaRules[2].m_nMargin[1], 3);
  EXPECT_TRUE(StageDataOrg->m_PlacedBlocks.empty());
  EXPECT_TRUE(StageDataOrg->m_PaletteCharas.empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(StageLoader, AMissingStageFailsWithoutAMessage) {
  EXPECT_EQ(LoadStageForPlay("data\\stg4\\none.stg4", 1, nullptr, cLoadContext{}), 0);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(StageLoader, ABrokenEndMarkIsRefusedBeforeLoading) {
  Bytes file = StageFile(45);
  file.back() ^= 1;
  dir.Write("b.stg4_696", AsString(file));
  EXPECT_FALSE(CheckStageEndMark("b.stg4_696"));
  EXPECT_EQ(LoadStageForPlay("b.stg4_696", 0, nullptr, cLoadContext{}), 0);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], Sjis("ステージファイル b.stg4_696 が破損しています！"));
  // Files before 174 carry no mark to check.
  Bytes old = StageFile(45);
  old[0] = 173 & 0xFF;
  old[1] = 0;
  dir.Write("c.stg4_173", AsString(old));
  EXPECT_TRUE(CheckStageEndMark("c.stg4_173"));
  EXPECT_TRUE(CheckStageEndMark("absent"));
}

TEST_F(StageLoader, AFailedLoadLeavesTheStageInPlayWhole) {
  ASSERT_EQ(StageData->m_nFrameRate, 60);
  StageData->m_PlacedBlocks.resize(7);
  Bytes file = StageFile(45);
  Bytes damaged(file.begin(), file.begin() + 600);
  damaged.insert(damaged.end(), file.end() - 4, file.end());  // a good mark on a cut file
  dir.Write("d.stg4_696", AsString(damaged));
  recordtest::LogCapture log;
  EXPECT_EQ(LoadStageForPlay("d.stg4_696", 0, nullptr, cLoadContext{}), 0);
  EXPECT_EQ(log.Lines().size(), 1u);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], Sjis("ステージファイル d.stg4_696 の読み込みに失敗しました！"));
  EXPECT_EQ(StageData->m_nFrameRate, 60);
  EXPECT_EQ(StageData->m_PlacedBlocks.size(), 7u);
}

TEST_F(StageLoader, AStageWithoutAHeroCannotBePlayed) {
  dir.Write("e.stg4_696", AsString(StageFile(45, false)));
  EXPECT_EQ(LoadStageForPlay("e.stg4_696", 0, nullptr, cLoadContext{}), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], Sjis("主人公が配置されていないのでプレイできません！"));
  EXPECT_EQ(StageData->m_nFrameRate, 60);
}

TEST_F(StageLoader, TheCallerServesItsMessagesWhileTheStageLoads) {
  dir.Write("f.stg4_696", AsString(StageFile(45)));
  int served = 0;
  platform::Window window(GetCurrentThreadId(), [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_USER) ++served;
    return 0;
  });
  MSG msg;
  PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
  PostMessage(&window, WM_USER, 0, 0);
  ASSERT_EQ(LoadStageForPlay("f.stg4_696", 0, nullptr, cLoadContext{}), 1);
  EXPECT_EQ(served, 1);
}

TEST_F(StageLoader, QuitWhileLoadingGivesUpAndPassesTheQuitOn) {
  dir.Write("g.stg4_696", AsString(StageFile(45)));
  MSG msg;
  PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
  PostQuitMessage(3);
  EXPECT_EQ(LoadStageForPlay("g.stg4_696", 0, nullptr, cLoadContext{}), 0);
  EXPECT_EQ(StageData->m_nFrameRate, 60);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  // The given-up load's report is left behind; the next load is not fooled by it.
  dir.Write("h.stg4_696", AsString(Bytes(StageFile(50))));
  ASSERT_EQ(LoadStageForPlay("h.stg4_696", 0, nullptr, cLoadContext{}), 1);
  EXPECT_EQ(StageData->m_nFrameRate, 50);
}

}  // namespace
