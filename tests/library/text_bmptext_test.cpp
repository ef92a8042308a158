#include <gtest/gtest.h>

#include "library/text/BmpText.h"
#include "library/text_font_fixture.h"

namespace texttest {
namespace {

// A 16 x 16-cell sheet of 8 x 16 cells whose colour tells the cell: red in
// row 0 column 6 (ｦ), green in row 8 column 0 (ﾀ), blue in row 4 column 1
// (A), transparent elsewhere.
class BmpTextTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    ASSERT_TRUE(DDCreateSurface(&sheet, 128, 256, 1, 0, 0, 0, 0));
    DDFillRect(&sheet, 0, 0, 128, 256, 0);
    DDFillRect(&sheet, 6 * 8, 0, 8, 16, kRedNo);
    DDFillRect(&sheet, 0, 8 * 16, 8, 16, 2);
    DDFillRect(&sheet, 1 * 8, 4 * 16, 8, 16, kBlueNo);
  }
  void TearDown() override {
    DDReleaseSurface(&sheet);
    FontTest::TearDown();
  }
  DDSURFACEDATA sheet;
};

TEST_P(BmpTextTest, CellsOfKanaAndAsciiAndLongFormattedLines) {
  DDDrawBmpText(&BackBuffer, 10, 20, 8, 16, &sheet, "\xA6\xC0\nA ");
  EXPECT_EQ(At(14, 28), kRed);
  EXPECT_EQ(At(22, 28), kGreen);
  EXPECT_EQ(At(14, 44), kBlue);
  EXPECT_EQ(At(22, 44), kBlack);  // ' ' is a transparent cell
  // A formatted text longer than any fixed buffer wraps at the screen's edge.
  std::string many(60, 'A');
  DDDrawBmpTextf(&BackBuffer, 0, 100, 8, 16, &sheet, "%s%s", many.c_str(), many.c_str());
  EXPECT_EQ(At(4, 100 + 8), kBlue);
  EXPECT_EQ(At(39 * 8 + 4, 100 + 8), kBlue);
  EXPECT_EQ(At(4, 116 + 8), kBlue);  // character 41 starts the second row
  EXPECT_EQ(At(79 * 8 + 4 - 320, 116 + 8), kBlue);
  EXPECT_EQ(At(4, 132 + 8), kBlue);  // 120 characters: three rows of 40
  EXPECT_EQ(At(4, 148 + 8), kBlack);
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, BmpTextTest, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace texttest
