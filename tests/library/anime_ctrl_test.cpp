#include <gtest/gtest.h>

#include <vector>

#include "library/util/AnimeCtrl.h"

namespace {

std::vector<int> Updates(cAnimeCtrl& ctrl, int count) {
  std::vector<int> patterns;
  for (int i = 0; i < count; ++i) patterns.push_back(ctrl.UpdateAnime());
  return patterns;
}

TEST(AnimeCtrl, LoopRepeatsFromTheFirstFrame) {
  static const ANIMESOURCEFRAME walk[] = {{3, 2, 0}, {4, 2, 0}, {ANIME_LOOP, 0, 0}};
  static const ANIMESOURCEFRAME* const table[] = {walk, nullptr};
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(table);
  EXPECT_EQ(Updates(ctrl, 7), (std::vector<int>{3, 4, 4, 3, 3, 4, 4}));
}

TEST(AnimeCtrl, HoldKeepsTheLastRealFrame) {
  static const ANIMESOURCEFRAME once[] = {{1, 1, 0}, {2, 2, 0}, {ANIME_HOLD, 0, 0}};
  static const ANIMESOURCEFRAME* const table[] = {once, nullptr};
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(table);
  EXPECT_EQ(Updates(ctrl, 8), (std::vector<int>{2, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(ctrl.CurrentFrame(), 1);
}

TEST(AnimeCtrl, JumpIsForcedEvenFromALockedFrame) {
  static const ANIMESOURCEFRAME first[] = {{7, 1, 1}, {ANIME_JUMP, 1, 0}};
  static const ANIMESOURCEFRAME second[] = {{9, 3, 0}, {ANIME_HOLD, 0, 0}};
  static const ANIMESOURCEFRAME* const table[] = {first, second, nullptr};
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(table);
  EXPECT_EQ(ctrl.SetAnime(1, 0), 0);  // frame 0 of animation 0 is locked
  EXPECT_EQ(ctrl.UpdateAnime(), 9);
  EXPECT_EQ(ctrl.CurrentAnime(), 1);
  EXPECT_EQ(ctrl.CurrentTick(), 0);
}

TEST(AnimeCtrl, SetAndChangeRespectLocksAndTheCurrentAnimation) {
  static const ANIMESOURCEFRAME a[] = {{1, 5, 0}, {2, 5, 1}, {ANIME_LOOP, 0, 0}};
  static const ANIMESOURCEFRAME b[] = {{8, 5, 0}, {ANIME_LOOP, 0, 0}};
  static const ANIMESOURCEFRAME* const table[] = {a, b, nullptr};
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(table);
  Updates(ctrl, 3);
  EXPECT_EQ(ctrl.ChangeAnime(0, 0), 1);  // already current: frame and tick go on
  EXPECT_EQ(ctrl.CurrentTick(), 3);
  Updates(ctrl, 2);  // now on the locked frame 1
  EXPECT_EQ(ctrl.SetAnime(1, 0), 0);
  EXPECT_EQ(ctrl.ChangeAnime(1, 0), 0);
  EXPECT_EQ(ctrl.CurrentAnime(), 0);
  EXPECT_EQ(ctrl.SetAnime(1, 1), 1);
  EXPECT_EQ(ctrl.GetAnimePattern(), 8);
}

TEST(AnimeCtrl, TableCopiesEntriesUpToAndIncludingTheTerminator) {
  static const ANIMESOURCEFRAME a[] = {{5, 2, 0xFF}, {ANIME_LOOP, 0, 0}, {99, 9, 0}};
  static const ANIMESOURCEFRAME empty[] = {{ANIME_HOLD, 0, 0}};
  static const ANIMESOURCEFRAME* const table[] = {a, empty, nullptr};
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(table);
  ASSERT_EQ(ctrl.Table().size(), 2u);
  EXPECT_EQ(ctrl.Table()[0], (AnimeSequence{{5, 2, 255}, {ANIME_LOOP, 0, 0}}));
  EXPECT_EQ(ctrl.Table()[1], (AnimeSequence{{ANIME_HOLD, 0, 0}}));
  ctrl.SetAnimeTable(nullptr);  // a null list keeps the table
  EXPECT_EQ(ctrl.Table().size(), 2u);
}

TEST(AnimeCtrl, ZeroAndOneTickFramesLastOneUpdate) {
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(AnimeTable{AnimeSequence{{1, 0, 0}, {2, 1, 0}, {3, -5, 0}, {ANIME_LOOP, 0, 0}}});
  EXPECT_EQ(Updates(ctrl, 4), (std::vector<int>{2, 3, 1, 2}));
}

TEST(AnimeCtrl, EndIsReturnedAndNeverSteppedPast) {
  cAnimeCtrl ctrl;
  ctrl.SetAnimeTable(AnimeTable{AnimeSequence{{6, 1, 0}, {ANIME_END, 0, 0}}});
  EXPECT_EQ(Updates(ctrl, 3), (std::vector<int>{ANIME_END, ANIME_END, ANIME_END}));
  // A sequence without frames stands on its terminator from the start.
  ctrl.SetAnimeTable(AnimeTable{AnimeSequence{{ANIME_END, 0, 0}}});
  EXPECT_EQ(ctrl.UpdateAnime(), ANIME_END);
  EXPECT_EQ(ctrl.CurrentFrame(), 0);
}

TEST(AnimeCtrl, EmptyTableYieldsZero) {
  cAnimeCtrl ctrl;
  EXPECT_EQ(ctrl.UpdateAnime(), 0);
  EXPECT_EQ(ctrl.GetAnimePattern(), 0);
  EXPECT_EQ(ctrl.SetAnime(3, 0), 1);
}

}  // namespace
