#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "library/util/CheckedVector.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/Sjis.h"
#include "library/util/Text.h"
#include "support/MainWindowProbe.h"
#include "support/TempDir.h"

namespace {

class LogTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override { ASSERT_EQ(ReportInit("Report_Game.txt"), 1); }
  void TearDown() override { EcLogInit(0, "EC_Game.txt"); }
};

TEST_F(LogTest, ReportLinesAreCp932WithCrLf) {
  ReportLog("App : ver %s", "696");
  ReportLog("%s", "");
  ReportLogText(Sjis("100% エラー"));
  ReportLog("%s", "two\nlines");  // text mode stores every line feed as CR LF
  EXPECT_EQ(dir.Read("Report_Game.txt"), "App : ver 696\r\n\r\n100% \x83\x47\x83\x89\x81\x5B\r\ntwo\r\nlines\r\n");
}

// A line worked out on another thread keeps its place: the lines after it
// wait for it, whichever thread writes them.
TEST_F(LogTest, LaterLineKeepsItsPlace) {
  std::promise<void> measured;
  ReportLog("before");
  ReportLogLater([done = measured.get_future().share()] {
    done.wait();
    return std::string("measured");
  });
  ReportLog("after");
  std::thread([] { ReportLog("from another thread"); }).join();
  EXPECT_EQ(dir.Read("Report_Game.txt"), "before\r\n");
  measured.set_value();
  ReportLogWait();
  ReportLog("last");
  EXPECT_EQ(dir.Read("Report_Game.txt"), "before\r\nmeasured\r\nafter\r\nfrom another thread\r\nlast\r\n");
}

TEST_F(LogTest, ReportIsNotRecreatedAfterDeletion) {
  std::filesystem::remove(dir / "Report_Game.txt");
  EXPECT_EQ(ReportLog("lost"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "Report_Game.txt"));
}

TEST_F(LogTest, SecondLogOffWritesNothingButFatalStillCloses) {
  MainWindowProbe probe;
  EcLogInit(0, "EC_Game.txt");
  EXPECT_EQ(EcLog("x"), 0);
  EcLogf("%d", 1);
  EcLogFatal(hMainWnd, "%s", "fatal");
  EXPECT_FALSE(std::filesystem::exists(dir / "EC_Game.txt"));
  EXPECT_EQ(probe.CloseRequests(), 1);
}

// Writes to the second log switched on and exits 0 when both logs hold what
// the writes should have left.
[[noreturn]] void WriteSecondLogAndCheck(const testsupport::TempDir& dir) {
  dir.Write("EC_Game.txt", "old run\r\n");
  EcLogInit(1, "EC_Game.txt");
  EcLog("a");
  EcLogf("b%d", 2);
  ReportLogEc("c %s", "50%");
  const std::string ec = dir.Read("EC_Game.txt");
  const std::string report = dir.Read("Report_Game.txt");
  std::fprintf(stderr, "EC [%s] report [%s]\n", ec.c_str(), report.c_str());
  std::exit(ec == "a\r\nb2\r\nc 50%\r\n" && report == "c 50%\r\n" ? 0 : 1);
}

// The second log truncates only on the first write of a process, so the
// check runs in a child that re-runs this test from its start.
TEST_F(LogTest, SecondLogOnTruncatesOnFirstWriteThenAppends) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(WriteSecondLogAndCheck(dir), ::testing::ExitedWithCode(0), "");
}

TEST_F(LogTest, CheckedVectorReportsBadIndexAndReturnsFirst) {
  MainWindowProbe probe;
  cCheckedVector<int> v{10, 20, 30};
  EXPECT_EQ(v.VecAt(2), 30);
  EXPECT_EQ(v.VecAt(-1), 10);
  EXPECT_EQ(v.VecAt(3), 10);
  EXPECT_EQ(dir.Read("Report_Game.txt"), "err V[-1] ( 3 , 4 )\r\nerr V[3] ( 3 , 4 )\r\n");
  EXPECT_EQ(probe.CloseRequests(), 2);
}

TEST_F(LogTest, CheckedVectorEmptyAccessTouchesNothing) {
  MainWindowProbe probe;
  cCheckedVector<int> v;
  v.VecAt(0) = 5;
  EXPECT_TRUE(v.empty());
  EXPECT_EQ(v.VecAt(0), 0);
  int& earlier = v.VecAt(1);
  int& later = v.VecAt(2);
  earlier = 9;  // an earlier stand-in stays valid (the same place, made afresh)
  EXPECT_EQ(&earlier, &later);
  EXPECT_EQ(probe.CloseRequests(), 4);
}

TEST_F(LogTest, CheckedListKeepsOneDefaultElement) {
  MainWindowProbe probe;
  cCheckedList<int> list{1, 2};
  EXPECT_EQ(list.ListAt(1), 2);
  int& stand_in = list.ListAt(2);
  EXPECT_EQ(stand_in, 0);
  stand_in = 7;
  int& again = list.ListAt(-5);
  EXPECT_EQ(&again, &stand_in);
  EXPECT_EQ(again, 7);
  EXPECT_EQ(dir.Read("Report_Game.txt"), "err L[2] ( 2 , 4 )\r\nerr L[-5] ( 2 , 4 )\r\n");
  EXPECT_EQ(probe.CloseRequests(), 2);
}

TEST(StrFormatTest, KeepsResultsPastTheBuffer) {
  std::string out = "old";
  StrFormat(out, "%s", "");
  EXPECT_EQ(out, "");
  for (size_t length : {5119u, 5120u, 20000u}) {
    std::string text(length, 'x');
    StrFormat(out, "%s", text.c_str());
    EXPECT_EQ(out, text);
  }
  StrAppendFormat(out = "a", "%d-%s", 5, "b");
  EXPECT_EQ(out, "a5-b");
}

TEST(SjisTest, ClassifiesLeadAndTrailBytes) {
  for (int b = 0; b < 256; ++b) {
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    EXPECT_EQ(IsSjisLeadByte(static_cast<BYTE>(b)), lead) << b;
    EXPECT_EQ(IsSjisTrailByte(static_cast<BYTE>(b)), trail) << b;
  }
}

TEST(SjisTest, CountsCharacters) {
  struct Case {
    std::string text;
    int count;
  } cases[] = {
      {Sjis("ABあ\nい"), 4}, {"A\x82", 2},  // a lead byte before the NUL counts one
      {"A\r\nB", 3},                        // CR counts, LF does not
      {"\x83\x5C", 1},       {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CountSjisChars(c.text.c_str()), c.count) << c.text;
}

}  // namespace
