#include <gtest/gtest.h>

#include <vector>

#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "platform/Harness.h"
#include "support/TempDir.h"

namespace {

struct ShownBox {
  std::string text, caption;
  UINT type;
};

// A report log in a fresh folder, harness settings of the test's own, and a
// box sink that records what a real box would have shown.
class MesBoxTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  platform::HarnessSettings saved = platform::Harness();
  std::vector<ShownBox> shown;
  int sinkAnswer = IDYES;

  void SetUp() override {
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    platform::SetMessageBoxSink([this](std::string_view text, std::string_view caption, UINT type) {
      shown.push_back({std::string(text), std::string(caption), type});
      return sinkAnswer;
    });
    UseHarness(false, "");
  }
  void TearDown() override {
    platform::SetMessageBoxSink(nullptr);
    platform::SetHarnessForTesting(saved);
  }
  void UseHarness(bool headless, const std::string& answers) {
    platform::HarnessSettings settings;
    settings.headless = headless;
    if (!answers.empty()) {
      dir.Write("answers.txt", answers);
      settings.answerScript = (dir / "answers.txt").string();
    }
    platform::SetHarnessForTesting(settings);
  }
  std::string Log() { return dir.Read("Report_Game.txt"); }
};

TEST_F(MesBoxTest, HeadlessBoxesTakeTheirDefaultAndLogIt) {
  UseHarness(true, "");
  EXPECT_EQ(MesBox("Quit?", "Game", MB_YESNO), IDNO);
  EXPECT_EQ(MesBox("Done", "Game", MB_OK | MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(MesBox("Again?", "Game", MB_RETRYCANCEL), IDCANCEL);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Log(),
            "MesBox : Game : Quit? -> NO (default)\r\n"
            "MesBox : Game : Done -> OK (default)\r\n"
            "MesBox : Game : Again? -> CANCEL (default)\r\n");
}

TEST_F(MesBoxTest, ScriptedAnswersComeInOrder) {
  UseHarness(false, "# answers\nbutton YES\n\ntext name\r\nbutton CANCEL\n");
  EXPECT_EQ(MesBox("Quit?", "Game", MB_YESNO), IDYES);
  EXPECT_EQ(MesBox("Quit?", "Game", MB_YESNO), IDNO) << "a text answer does not answer a box";
  EXPECT_EQ(MesBox("Save?", "Game", MB_OKCANCEL), IDCANCEL);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Log(),
            "MesBox : Game : Quit? -> YES (script)\r\n"
            "answer script: \"text name\" does not answer the box \"Game\"\r\n"
            "MesBox : Game : Quit? -> NO (default)\r\n"
            "MesBox : Game : Save? -> CANCEL (script)\r\n");
  // With the script used up, the real box shows.
  EXPECT_EQ(MesBox("Quit?", "Game", MB_YESNO), IDYES);
  EXPECT_EQ(shown.size(), 1u);
}

TEST_F(MesBoxTest, ErrorBoxesShowTheTextUnchanged) {
  ErrMesBoxf("%s", "100% done");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "100% done");
  EXPECT_EQ(shown[0].caption, "\x83\x47\x83\x89\x81\x5B");  // エラー
  EXPECT_EQ(shown[0].type, MB_OK);
  EXPECT_EQ(EcMesBoxf("%s", "second log is off"), 0);
  EXPECT_EQ(shown.size(), 1u);
}

TEST_F(MesBoxTest, ReportErrorLogsBeforeItShows) {
  platform::SetMessageBoxSink([this](std::string_view text, std::string_view, UINT) {
    EXPECT_EQ(Log(), std::string(text) + "\r\n");
    shown.push_back({});
    return IDOK;
  });
  EXPECT_EQ(ReportError("cannot load %s", "a%b.dat"), 1);
  EXPECT_EQ(shown.size(), 1u);
  std::filesystem::remove(dir / "Report_Game.txt");
  EXPECT_EQ(ReportError("lost"), 0);
  EXPECT_EQ(shown.size(), 1u) << "no box without a report log";
}

TEST_F(MesBoxTest, OutOfMemoryTellsAndCloses) {
  platform::Window window(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  hMainWnd = &window;
  ErrOutOfMemory();
  hMainWnd = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, Sjis("メモリが不足しています！"));
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, &window);
}

}  // namespace
