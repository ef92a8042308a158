#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/BootDialog.h"
#include "app/MainWindow.h"
#include "app/NameEntryDialog.h"
#include "library/util/Text.h"
#include "platform/Harness.h"
#include "platform/overlay/DialogTemplate.h"
#include "platform/overlay/Overlay.h"
#include "support/OverlayScreen.h"
#include "support/TempDir.h"

namespace {

using testsupport::OverlayScreen;

const std::filesystem::path kShotFolder = std::filesystem::current_path();

// Runs with the answers given (none: headless defaults).
class ScriptedDialogs : public ::testing::Test {
 protected:
  // A script is read once per name: each run gets a file of its own.
  void Answers(const std::vector<std::string>& lines) {
    const std::filesystem::path file = m_dir / ("answers" + std::to_string(++m_scripts) + ".txt");
    std::ofstream out(file);
    for (const std::string& line : lines) out << line << "\n";
    out.close();
    platform::HarnessSettings settings;
    settings.headless = true;
    settings.answerScript = file.string();
    platform::SetHarnessForTesting(settings);
  }

  testsupport::TempDir m_dir;
  int m_scripts = 0;
};

struct NameCase {
  const char* why;
  const char* before;  // UTF-8
  std::vector<std::string> answers;
  const char* after;
};

class NameEntryDialogTest : public ScriptedDialogs, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameEntryDialogTest, KeepsTheNameWithinThreeCharacters) {
  const NameCase& c = GetParam();
  Answers(c.answers);
  std::string name = Sjis(c.before);
  cNameEntryDialog dialog(IDD_NAMEENTRY, nullptr, 0, nullptr, &name, true, false);
  dialog.DoModal(0);
  EXPECT_EQ(name, Sjis(c.after)) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameEntryDialogTest,
    ::testing::Values(
        NameCase{"the starting name is selected: typing replaces it", "XYZ", {"text ab", "button OK"}, "ab"},
        NameCase{"a fourth letter is refused", "", {"text abcd", "button OK"}, "abc"},
        NameCase{"pasting four letters is refused whole", "", {"paste abcd", "button OK"}, ""},
        NameCase{"a double-byte character counts as one", "", {"text あいうえ", "button OK"}, "あいう"},
        NameCase{"mixed widths", "", {"text aあb", "button OK"}, "aあb"},
        NameCase{"the caret stays where it was after a refused letter",
                 "",
                 {"text abc", "text d", "key BACK", "button OK"},
                 "ab"},
        NameCase{"OK with an empty box stores the empty name", "ABC", {"key BACK", "button OK"}, ""},
        NameCase{"closing keeps the name", "ABC", {"text z", "button CANCEL"}, "ABC"},
        NameCase{"headless without answers confirms what is there", "ABC", {}, "ABC"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(ScriptedDialogs, NameDialogWithoutABoundNameEndsWithOk) {
  Answers({"text abc", "button OK"});
  cNameEntryDialog dialog(IDD_NAMEENTRY, nullptr, 0, nullptr, nullptr, true, false);
  EXPECT_EQ(dialog.DoModal(0), 1);
}

TEST_F(ScriptedDialogs, BootDialogReturnsTheChoicesAndSavesOnlyOnStart) {
  struct Case {
    std::vector<std::string> answers;
    LRESULT result;
    BOOTCHOICES after;
    int saves;
  } cases[] = {
      {{"click 1003", "click 1004", "button OK"}, 1, {0, 1}, 1},
      {{"click 1003", "click 1002", "button OK"}, 1, {1, 0}, 1},
      {{"click 1003", "click 1004", "button CANCEL"}, 0, {1, 0}, 0},
      {{"click 1003", "click 1001"}, 0, {1, 0}, 0},
      {{}, 1, {1, 0}, 1},
  };
  for (const Case& c : cases) {
    Answers(c.answers);
    BOOTCHOICES choices;
    int saves = 0;
    cBootDialog dialog(IDD_BOOT, nullptr, 1, nullptr, &choices, "Game", false, [&] { ++saves; });
    EXPECT_EQ(dialog.DoModal(0), c.result) << c.answers.size();
    EXPECT_EQ(choices.drawingMode, c.after.drawingMode);
    EXPECT_EQ(choices.doNotAsk, c.after.doNotAsk);
    EXPECT_EQ(saves, c.saves);
  }
}

TEST_F(ScriptedDialogs, BootDialogShowsTheSavedChoice) {
  Answers({"button OK"});
  BOOTCHOICES choices{0, 1};
  cBootDialog dialog(IDD_BOOT, nullptr, 1, nullptr, &choices, "Game", false, nullptr);
  EXPECT_EQ(dialog.DoModal(0), 1);
  EXPECT_EQ(choices.drawingMode, 0);
  EXPECT_EQ(choices.doNotAsk, 1);
}

// Each dialog as the player sees it, saved for a look; Escape closes it.
void ShowAndShoot(const char* name, const std::function<void()>& run) {
  OverlayScreen screen([&](int repaint, OverlayScreen& self) {
    if (repaint != 3) return;
    EXPECT_GT(self.PaintedPixels(SDL_Rect{250, 200, 140, 80}), 5000) << name;
    EXPECT_TRUE(self.SaveBmp((kShotFolder / (std::string("dialog-") + name + ".bmp")).string()));
    OverlayScreen::PushKey(SDL_SCANCODE_ESCAPE);
  });
  run();
}

TEST(DialogScreens, BootDialogInJapaneseAndEnglish) {
  for (bool english : {false, true}) {
    BOOTCHOICES choices;
    int saves = 0;
    ShowAndShoot(english ? "boot-english" : "boot", [&] {
      cBootDialog dialog(IDD_BOOT, nullptr, 1, nullptr, &choices, Sjis("サンプルゲーム"), english, [&] { ++saves; });
      EXPECT_EQ(dialog.DoModal(0), 0);
    });
    EXPECT_EQ(saves, 0);
  }
}

TEST(DialogScreens, NameDialogTypedLiveIsLimited) {
  std::string name = "ABC";
  OverlayScreen screen([&](int repaint, OverlayScreen& self) {
    if (repaint == 3) {
      OverlayScreen::PushText("w");
      OverlayScreen::PushText("x");
    }
    if (repaint == 6) {
      OverlayScreen::PushText("y");
      OverlayScreen::PushText("z");
    }
    if (repaint == 9) {
      // Placed at (240, 220) of the full screen.
      EXPECT_EQ(self.PixelsOf(SDL_Rect{242, 222, 4, 4}, 0xF0F0F0), 16);
      EXPECT_EQ(self.PixelsOf(SDL_Rect{230, 210, 8, 8}, 0xF0F0F0), 0);
      EXPECT_TRUE(self.SaveBmp((kShotFolder / "dialog-name.bmp").string()));
      OverlayScreen::PushKey(SDL_SCANCODE_RETURN);
    }
  });
  cNameEntryDialog dialog(IDD_NAMEENTRY, nullptr, 0, nullptr, &name, true, false);
  EXPECT_EQ(dialog.DoModal(0), 1);
  EXPECT_EQ(name, "wxy");
}

// An input method's composition is shown while it lasts and keeps Enter to
// itself; the committed text then goes through the limiter.
TEST(DialogScreens, NameDialogTakesInputMethodText) {
  std::string name;
  // The composition shows on a pale yellow ground below the edit box.
  constexpr Uint32 kCompositionGround = 0xFFFFE0;
  int composedPixels = 0, plainPixels = 0;
  OverlayScreen screen([&](int repaint, OverlayScreen& self) {
    const SDL_Rect belowEdit{300, 230, 120, 40};
    if (repaint == 3) {
      plainPixels = self.PixelsOf(belowEdit, kCompositionGround);
      SDL_Event editing{};
      editing.type = SDL_TEXTEDITING;
      SDL_strlcpy(editing.edit.text, "\xE3\x81\x82\xE3\x81\x84", sizeof(editing.edit.text));  // あい
      SDL_PushEvent(&editing);
    }
    if (repaint == 5) {
      composedPixels = self.PixelsOf(belowEdit, kCompositionGround);
      EXPECT_TRUE(self.SaveBmp((kShotFolder / "dialog-name-composing.bmp").string()));
      OverlayScreen::PushKey(SDL_SCANCODE_RETURN);  // taken by the composition
    }
    if (repaint == 7) OverlayScreen::PushText("\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88");  // あいうえ
    if (repaint == 14) OverlayScreen::PushKey(SDL_SCANCODE_RETURN);
  });
  cNameEntryDialog dialog(IDD_NAMEENTRY, nullptr, 0, nullptr, &name, true, false);
  EXPECT_EQ(dialog.DoModal(0), 1);
  EXPECT_EQ(plainPixels, 0);
  EXPECT_GT(composedPixels, 100);
  EXPECT_EQ(name, Sjis("あいう"));
}

// The label on the name dialog's left, one line high: nothing of it lies
// below its first line.
TEST(DialogScreens, NameDialogLabelFitsOnOneLine) {
  using platform::overlay::UnitsToPixelsX;
  using platform::overlay::UnitsToPixelsY;
  constexpr int kLineHeight = 13;
  // The label's box (15, 15, 56 x 16 units) in the dialog placed at (240, 220), the text running on to the edit box.
  const int left = 240 + UnitsToPixelsX(15), top = 220 + UnitsToPixelsY(15);
  const int width = 240 + UnitsToPixelsX(75) - left, height = UnitsToPixelsY(16);
  int firstLine = 0, below = 0;
  OverlayScreen screen([&](int repaint, OverlayScreen& self) {
    if (repaint != 3) return;
    firstLine = self.DarkPixels(SDL_Rect{left, top, width, kLineHeight});
    below = self.DarkPixels(SDL_Rect{left, top + kLineHeight, width, height - kLineHeight});
    OverlayScreen::PushKey(SDL_SCANCODE_ESCAPE);
  });
  std::string name;
  cNameEntryDialog dialog(IDD_NAMEENTRY, nullptr, 0, nullptr, &name, true, false);
  dialog.DoModal(0);
  EXPECT_GT(firstLine, 50);
  EXPECT_EQ(below, 0);
}

// FREE PLAY's and the replay dialog's lists of a real folder, through the
// program's own filters: the folders, then the files of the extensions the
// filter's text names.
TEST(FileDialogListing, TheProgramsFiltersListTheirFiles) {
  testsupport::TempDir dir(true);
  for (const char* file :
       {"data/stg4/s01-2.stg4_696", "data/stg4/s01-1.stg4_696", "data/stg4/old.RPL4_600", "data/stg4/notes.txt",
        "data/stg4/stg4_696", "data/stg4/sub/x.stg4_696", "user_data/rpl4/a.rpl4_696", "user_data/rpl4/b.stg4_696"})
    dir.Write(file, "x");
  struct Case {
    const char* folder;
    std::string_view filter;
    std::vector<std::string> listed;
  } cases[] = {
      {"data\\stg4\\", kStageFileFilter, {"..\\", "sub\\", "old.RPL4_600", "s01-1.stg4_696", "s01-2.stg4_696"}},
      {"user_data\\rpl4", kReplayFileFilter, {"..\\", "a.rpl4_696"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> listed;
    OverlayScreen screen([&](int repaint, OverlayScreen&) {
      if (repaint != 2) return;
      for (const auto& item : platform::overlay::TopDialog()->Items())
        if (item.layout.kind == platform::overlay::ItemKind::List) listed = item.entries;
      OverlayScreen::PushKey(SDL_SCANCODE_ESCAPE);
    });
    EXPECT_EQ(ChooseFile(c.folder, "t", c.filter), "");
    EXPECT_EQ(listed, c.listed) << c.folder;
  }
}

}  // namespace
