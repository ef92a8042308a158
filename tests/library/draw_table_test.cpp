#include <gtest/gtest.h>

#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "support/BmpWriter.h"
#include "support/TempDir.h"

namespace {

TEST(SurfaceDescTest, EntriesFollowTheTable) {
  struct Row {
    int entry;
    const char* file;
    int transmit, system, memoryType, linked, optional, mirror, width, height;
  } rows[] = {
      {0, "bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0, 0, 0},
      {1, "bmp\\Debug.bmp", 1, 0, 0, 0, 0, 0, 0, 0},
      {3, "bmp\\Block.bmp", 1, 1, 0, 1, 0, 0, 0, 0},
      {5, "bmp\\Character1.bmp", 1, 0, 0, 1, 0, 32, 0, 0},
      {18, "bmp\\Character8.bmp", 1, 0, 0, 0, 1, 0, 0, 0},
      {19, "bmp\\Character8.bmp", 1, 0, 0, 1, 1, 32, 0, 0},
      {21, "bmp\\Shot.bmp", 1, 0, 0, 1, 0, 16, 0, 0},
      {25, "bmp\\Character2.bmp", 1, 1, 0, 1, 1, 32, 0, 0},
      {36, "bmp\\Character8.bmp", 1, 1, 0, 1, 1, 0, 0, 0},
      {39, "bmp\\Shot.bmp", 1, 1, 0, 1, 0, 16, 0, 0},
      {45, "bmp\\Window.bmp", 0, 0, 0, 0, 0, 0, 0, 0},
      {54, "bmp\\WorldBack.bmp", 0, 1, 0, 0, 1, 0, 0, 0},
      {63, "E", 1, 1, 0, 0, 0, 0, 256, 960},
      {66, "E", 0, 1, 0, 0, 0, 0, 640, 480},
      {68, "E", 1, 1, 0, 1, 0, 0, 640, 480},
      {69, "E", 1, 0, 2, 0, 0, 0, 1024, 1024},
      {70, "E", 1, 1, 1, 0, 0, 0, 1024, 1024},
  };
  for (const Row& r : rows) {
    const SURFACEDESCDATA& d = SurfaceDesc[r.entry];
    SCOPED_TRACE(r.entry);
    EXPECT_EQ(d.szFileName, r.file);
    EXPECT_EQ(d.bTransmit, r.transmit);
    EXPECT_EQ(d.bSystemMemory, r.system);
    EXPECT_EQ(d.nMemoryType, r.memoryType);
    EXPECT_EQ(d.bLinked, r.linked);
    EXPECT_EQ(d.bOptional, r.optional);
    EXPECT_EQ(d.nMirrorWidth, r.mirror);
    EXPECT_EQ(d.nWidth, r.width);
    EXPECT_EQ(d.nHeight, r.height);
  }
  EXPECT_EQ(SurfaceDesc[62].szFileName, Sjis("背景その8.bmp"));
}

TEST(SurfaceDescTest, LinkedEntriesPointAtTheSheetTheyMirror) {
  static DDSURFACEDATA user[71];
  LinkUserSurfaces(user);
  const std::pair<int, int> links[] = {{3, 2},  {5, 4},   {7, 6},   {19, 18}, {21, 20}, {22, 4},  {23, 4},  {24, 6},
                                       {25, 6}, {36, 18}, {37, 18}, {38, 20}, {39, 20}, {41, 40}, {44, 43}, {68, 67}};
  int linked = 0;
  for (const auto& [from, to] : links) EXPECT_EQ(user[from].lpLinkSD, &user[to]) << from;
  for (const DDSURFACEDATA& sd : user) linked += sd.lpLinkSD != nullptr;
  EXPECT_EQ(linked, 31);  // 3, the nine odd mirrors 5 to 21, the 18 copies 22 to 39, 41, 44 and 68
  for (int i = 0; i < 71; ++i) EXPECT_EQ(user[i].lpLinkSD != nullptr, SurfaceDesc[i].bLinked == 1) << i;
}

TEST(BitmapSizeTest, DirectDrawMeasuresAndDirect3DDoesNot) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  dir.Write("bmp/Wide.bmp", testbmp::Write({4, 2, 24, false, false, {}, std::vector<std::uint32_t>(8, 0)}));
  for (int direct3D : {0, 1}) {
    ASSERT_TRUE(DDInit(direct3D, nullptr, 8, 8, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    int tooBig = 7;
    EXPECT_EQ(DDCheckBitmapSize(&tooBig, "bmp\\Wide.bmp", 3, 2), 1);
    EXPECT_EQ(tooBig, direct3D ? 7 : 1);
    tooBig = 7;
    EXPECT_EQ(DDCheckBitmapSize(&tooBig, "bmp\\Wide.bmp", 4, 2), 1);
    EXPECT_EQ(tooBig, direct3D ? 7 : 0);
    EXPECT_EQ(DDCheckBitmapSize(&tooBig, "bmp\\Missing.bmp", 4, 2), direct3D ? 1 : 0);
    DDUnInit();
  }
}

TEST(FadeUnPalTest, TwentyFourBitsChangeNothing) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  ASSERT_TRUE(DDInit(0, nullptr, 8, 8, 24, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  DDFillSurfaceColor(&BackBuffer, 0x123456);
  EXPECT_EQ(DDFade_UnPal(&BackBuffer, 0, 0, 0, 0, &SysBackBuffer), 1);
  cSurfaceLock lock(&BackBuffer);
  EXPECT_EQ(lock.Pixels()->Get(3, 3), 0x123456u);
  EXPECT_EQ(lock.m_nPitchBytes, 24);  // 8 pixels of 3 bytes
  DDUnInit();
}

}  // namespace
