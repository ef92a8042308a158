#include "platform/overlay/Overlay.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Harness.h"
#include "platform/MainThread.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "platform/input/VirtualKeys.h"
#include "platform/overlay/DialogBox.h"
#include "platform/overlay/DialogItems.h"
#include "platform/overlay/FileChooser.h"
#include "platform/overlay/MessageBoxes.h"
#include "platform/overlay/PresenterScreen.h"
#include "support/OverlayScreen.h"
#include "support/TempDir.h"

namespace {

using platform::overlay::DialogBox;
using platform::overlay::DialogTemplate;
using platform::overlay::ItemKind;
using testsupport::OverlayScreen;

// Screenshots go to the folder the tests start in, also from tests that move into a folder of their own.
const std::filesystem::path kShotFolder = std::filesystem::current_path();

std::string Cp(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

// The dialog area of a rendered screen holds the box: many pixels differ from the frame behind.
void ExpectDialogDrawn(const OverlayScreen& screen, const char* name) {
  EXPECT_GT(screen.PaintedPixels(SDL_Rect{200, 180, 240, 120}), 10000) << name;
  EXPECT_TRUE(screen.SaveBmp((kShotFolder / (std::string("overlay-") + name + ".bmp")).string()));
}

DialogTemplate TwoEditsAndButtons() {
  DialogTemplate layout;
  layout.caption = "test";
  layout.width = 150, layout.height = 80;
  layout.items = {{10, ItemKind::Edit, "abc", 10, 10, 60, 14},
                  {11, ItemKind::Text, "label", 80, 10, 60, 14},
                  {12, ItemKind::CheckBox, "check", 10, 30, 60, 10},
                  {1, ItemKind::DefaultButton, "OK", 10, 50, 50, 14},
                  {2, ItemKind::Button, "Cancel", 70, 50, 50, 14}};
  return layout;
}

struct Recorded {
  std::vector<std::pair<UINT, WPARAM>> messages;
};

platform::WindowProc Recorder(Recorded& recorded, DialogBox*& box) {
  return [&recorded, &box](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    recorded.messages.emplace_back(message, wParam);
    if (message == WM_COMMAND && HighWord(wParam) == BN_CLICKED && LowWord(wParam) <= 2) box->End(LowWord(wParam));
    if (message == WM_CLOSE) box->End(0);
    return 1;
  };
}

TEST(OverlayDialogBox, TypingReplacesTheSelectionAndNotifiesEachCharacter) {
  Recorded recorded;
  DialogBox* self = nullptr;
  DialogBox box(TwoEditsAndButtons(), Recorder(recorded, self));
  self = &box;
  EXPECT_EQ(box.FocusIndex(), 0);  // the first item that takes the focus
  EXPECT_EQ(box.Item(10)->selectionEnd, 3);
  SendDlgItemMessage(box.Handle(), 10, EM_SETSEL, 1, 2);
  box.Type(Cp("xあ"));
  EXPECT_EQ(box.ItemText(10), Cp("axあc"));
  DWORD start = 0, end = 0;
  SendDlgItemMessage(box.Handle(), 10, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 4u);
  EXPECT_EQ(end, 4u);
  ASSERT_EQ(recorded.messages.size(), 2u);
  EXPECT_EQ(recorded.messages[0], std::make_pair(WM_COMMAND, MakeWParam(10, EN_UPDATE)));
}

TEST(OverlayDialogBox, SelectionIsClampedAndNeverSplitsACharacter) {
  Recorded recorded;
  DialogBox* self = nullptr;
  DialogBox box(TwoEditsAndButtons(), Recorder(recorded, self));
  self = &box;
  SetDlgItemTextA(box.Handle(), 10, Cp("あい").c_str());
  SendDlgItemMessage(box.Handle(), 10, EM_SETSEL, 1, 0x7FFFFFFF);
  const platform::overlay::DialogItem* edit = box.Item(10);
  EXPECT_EQ(edit->selectionStart, 0);
  EXPECT_EQ(edit->selectionEnd, 4);
  SendDlgItemMessage(box.Handle(), 10, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(edit->selectionStart, edit->selectionEnd);
}

TEST(OverlayDialogBox, KeysMoveFocusClickAndClose) {
  Recorded recorded;
  DialogBox* self = nullptr;
  DialogBox box(TwoEditsAndButtons(), Recorder(recorded, self));
  self = &box;
  box.Key(VK_TAB, true, false);  // to the check box
  box.Key(VK_SPACE, true, false);
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 12, BM_GETCHECK, 0, 0), 1);
  box.Key(VK_RETURN, true, true);  // composing: the input method takes Enter
  EXPECT_FALSE(box.Ended());
  box.Key(VK_TAB, true, false);
  box.Key(VK_TAB, true, false);  // to Cancel
  box.Key(VK_RETURN, true, false);
  EXPECT_TRUE(box.Ended());
  EXPECT_EQ(box.Result(), 2);
}

TEST(OverlayDialogBox, EscapeClosesAndADialogWithoutAnswersTakesItsDefaultButtonHeadless) {
  testsupport::TempDir dir;
  platform::HarnessSettings settings;
  settings.headless = true;
  platform::SetHarnessForTesting(settings);
  Recorded recorded;
  DialogBox* self = nullptr;
  auto proc = Recorder(recorded, self);
  EXPECT_EQ(platform::overlay::RunModalDialog(TwoEditsAndButtons(),
                                              [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
                                                self = DialogBox::FromHandle(window);
                                                return proc(window, message, wParam, lParam);
                                              }),
            1);
  EXPECT_EQ(recorded.messages.front().first, WM_INITDIALOG);
  EXPECT_EQ(recorded.messages.back().first, WM_DESTROY);

  std::ofstream(dir / "answers.txt") << "text zz\nbutton CANCEL\n";
  settings.answerScript = (dir / "answers.txt").string();
  platform::SetHarnessForTesting(settings);
  std::string typed;
  EXPECT_EQ(platform::overlay::RunModalDialog(TwoEditsAndButtons(),
                                              [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
                                                self = DialogBox::FromHandle(window);
                                                typed = self->ItemText(10);
                                                return proc(window, message, wParam, lParam);
                                              }),
            0);
  EXPECT_EQ(typed, "zz");  // the first edit box has the focus with its text selected
}

TEST(OverlayMessageBox, LayoutHasTheIconTextAndButtonsOfItsType) {
  const DialogTemplate layout = platform::overlay::MessageBoxTemplate("abc", "cap", MB_YESNOCANCEL | MB_ICONQUESTION);
  ASSERT_EQ(layout.items.size(), 5u);
  EXPECT_EQ(layout.items[0].kind, ItemKind::Icon);
  EXPECT_EQ(layout.items[0].text, "question");
  EXPECT_EQ(layout.items[2].id, IDYES);
  EXPECT_EQ(layout.items[2].kind, ItemKind::DefaultButton);
  EXPECT_EQ(layout.items[4].id, IDCANCEL);
  EXPECT_EQ(layout.caption, "cap");
}

// A Yes/No box asked by another thread is shown by the main thread, which
// goes on serving other threads' sends while the box is up.
TEST(OverlayMessageBox, BoxFromAnotherThreadIsShownOnTheMainThreadThatKeepsServingSends) {
  std::atomic<bool> sendServed{false};
  std::atomic<bool> senderDone{false};
  platform::Window mainWindow(GetCurrentThreadId(), [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    sendServed = true;
    return 7;
  });
  std::thread sender;
  OverlayScreen screen([&](int repaint, OverlayScreen& self) {
    if (repaint == 3) {
      ExpectDialogDrawn(self, "messagebox");
      sender = std::thread([&] {
        EXPECT_EQ(SendMessage(&mainWindow, WM_USER, 0, 0), 7);
        senderDone = true;
      });
    }
    if (repaint > 3 && senderDone) OverlayScreen::PushKey(SDL_SCANCODE_RETURN);
  });
  platform::overlay::InstallOverlay();
  std::atomic<int> answer{0};
  std::thread game(
      [&] { answer = platform::ShowMessageBox(Cp("ステージを続けますか?"), Cp("確認"), MB_YESNO | MB_ICONQUESTION); });
  while (answer == 0) platform::ServiceTurn();
  game.join();
  sender.join();
  EXPECT_TRUE(sendServed);
  EXPECT_EQ(answer, IDYES);
}

// The letter in a button's brackets answers a box, and the arrows move
// between its buttons, as a player answers "はい(Y)" / "いいえ(N)" by keys.
TEST(OverlayMessageBox, LetterKeysAndArrowsAnswerAYesNoBox) {
  const SDL_Scancode letterN[] = {SDL_SCANCODE_N};
  const SDL_Scancode rightThenEnter[] = {SDL_SCANCODE_RIGHT, SDL_SCANCODE_RETURN};
  const SDL_Scancode rightLeftThenEnter[] = {SDL_SCANCODE_RIGHT, SDL_SCANCODE_LEFT, SDL_SCANCODE_RETURN};
  const SDL_Scancode otherLetterThenY[] = {SDL_SCANCODE_Q, SDL_SCANCODE_Y};
  const struct {
    const char* name;
    std::span<const SDL_Scancode> keys;
    int answer;
  } cases[] = {{"N", letterN, IDNO},
               {"right, Enter", rightThenEnter, IDNO},
               {"right, left, Enter", rightLeftThenEnter, IDYES},
               {"Q, Y", otherLetterThenY, IDYES}};
  for (const auto& c : cases) {
    size_t pressed = 0;
    OverlayScreen screen([&](int repaint, OverlayScreen&) {
      if (repaint >= 2 && pressed < c.keys.size()) OverlayScreen::PushKey(c.keys[pressed++]);
      // A box the keys left open is answered with its default, so that a miss fails instead of waiting.
      if (repaint >= 20) OverlayScreen::PushKey(SDL_SCANCODE_RETURN);
    });
    EXPECT_EQ(platform::overlay::RunMessageBox(Cp("再起動しますか？"), Cp("二重起動"), MB_YESNO), c.answer) << c.name;
  }
}

// On a German keyboard the key labelled Y stands where a US one has Z, and Z
// where Y is: the letter on the key presses "はい(Y)", not the key's place.
TEST(OverlayMessageBox, ButtonLettersFollowTheKeyboardLayout) {
  const struct {
    const char* name;
    SDL_Scancode place;
    SDL_Keycode letter;
    int answer;
  } cases[] = {{"Y at the US Z", SDL_SCANCODE_Z, SDLK_y, IDYES},
               {"Z at the US Y, then N", SDL_SCANCODE_Y, SDLK_z, IDNO},
               {"N where the US has it", SDL_SCANCODE_N, SDLK_n, IDNO}};
  for (const auto& c : cases) {
    OverlayScreen screen([&](int repaint, OverlayScreen&) {
      if (repaint == 2) OverlayScreen::PushKey(c.place, c.letter);
      if (repaint == 4) OverlayScreen::PushKey(SDL_SCANCODE_N, SDLK_n);
    });
    EXPECT_EQ(platform::overlay::RunMessageBox(Cp("再起動しますか？"), Cp("二重起動"), MB_YESNO), c.answer) << c.name;
  }
}

// In a run of radio buttons the arrows move the focus and choose the button
// reached; in an edit box they and the letters are the edit box's.
TEST(OverlayDialogBox, ArrowsChooseAmongRadioButtons) {
  DialogTemplate layout = TwoEditsAndButtons();
  layout.items.insert(layout.items.begin() + 3, {{20, ItemKind::RadioButton, "Direct3D", 10, 40, 40, 10},
                                                 {21, ItemKind::RadioButton, "DirectDraw", 60, 40, 40, 10}});
  Recorded recorded;
  DialogBox* self = nullptr;
  DialogBox box(layout, Recorder(recorded, self));
  self = &box;
  box.Key(VK_DOWN, true, false);  // the edit box has the focus
  box.Key('N', true, false);
  EXPECT_EQ(box.FocusIndex(), 0);
  box.Click(20);
  box.Key(VK_RIGHT, true, false);
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 21, BM_GETCHECK, 0, 0), 1);
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 20, BM_GETCHECK, 0, 0), 0);
  EXPECT_EQ(recorded.messages.back(), std::make_pair(UINT{WM_COMMAND}, MakeWParam(21, BN_CLICKED)));
  box.Key(VK_DOWN, true, false);  // wraps round within the two
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 20, BM_GETCHECK, 0, 0), 1);
  box.Key(VK_UP, true, false);
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 21, BM_GETCHECK, 0, 0), 1);
  EXPECT_FALSE(box.Ended());
}

TEST(OverlayMessageBox, EscapeAnswersCancelWhereTheBoxHasIt) {
  OverlayScreen screen([](int repaint, OverlayScreen&) {
    if (repaint == 2) OverlayScreen::PushKey(SDL_SCANCODE_ESCAPE);
  });
  EXPECT_EQ(platform::overlay::RunMessageBox("x", "y", MB_OKCANCEL), IDCANCEL);
}

TEST(OverlayFileChooser, PatternsMatchWithoutRegardToCase) {
  struct Case {
    const char* name;
    const char* patterns;
    bool matches;
  } cases[] = {{"a.stg4_100", "*.stg4_*;*.rpl4_*", true},
               {"A.RPL4_3", "*.stg4_*;*.rpl4_*", true},
               {"a.stg4", "*.stg4_*", false},
               {".zandrel-tmp-1.tmp", "*.rpl4_*", false},
               {"x", "", false}};
  for (const Case& c : cases) EXPECT_EQ(platform::overlay::MatchesPatterns(c.name, c.patterns), c.matches) << c.name;
}

TEST(OverlayFileChooser, ShownWithItsFolderAndCancelledByEscape) {
  testsupport::TempDir dir(true);
  dir.Write("data/stg4/one.stg4_100", "x");
  dir.Write("data/stg4/two.rpl4_100", "x");
  dir.Write("data/stg4/skip.txt", "x");
  dir.Write("data/stg4/sub/three.stg4_100", "x");
  OverlayScreen screen([](int repaint, OverlayScreen& self) {
    if (repaint == 3) {
      ExpectDialogDrawn(self, "filechooser");
      OverlayScreen::PushKey(SDL_SCANCODE_ESCAPE);
    }
  });
  platform::overlay::FileChooserRequest request;
  request.title = Cp("ステージファイルの読み込み");
  request.folder = "data\\stg4\\";
  request.filters = {{"StageFile ( *.stg4_*;*.rpl4_* )", "*.stg4_*;*.rpl4_*"}};
  request.mustExist = true;
  EXPECT_FALSE(platform::overlay::ChooseFiles(request));
}

TEST(OverlayPresenterScreen, BoxesAreDrawnOverThePresentedFrameUntilTheyClose) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0) << SDL_GetError();
  platform::SetHarnessForTesting(platform::HarnessSettings{});
  SDL_Window* window = SDL_CreateWindow("test", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
  std::string why;
  auto presenter = platform::display::Presenter::Open(window, 640, 480, false, &why);
  ASSERT_TRUE(presenter) << why;
  platform::overlay::PresenterScreen screen(window, *presenter);
  platform::overlay::SetScreen(&screen);
  auto centre = [&] {
    Uint32 pixel = 0;
    SDL_Rect at{320, 240, 1, 1};
    SDL_RenderReadPixels(presenter->Renderer(), &at, SDL_PIXELFORMAT_XRGB8888, &pixel, 4);
    return pixel & 0xFFFFFF;
  };
  Uint32 during = 0;
  int turns = 0;
  auto task = platform::RegisterTurnTask([&] {
    if (++turns != 5) return;
    during = centre();
    OverlayScreen::PushKey(SDL_SCANCODE_ESCAPE);
  });
  EXPECT_EQ(platform::overlay::RunMessageBox("x", "y", MB_OK), IDOK);
  EXPECT_NE(during, 0u);
  EXPECT_EQ(centre(), 0u);  // the frame alone again: no game frame yet, so black
  platform::overlay::SetScreen(nullptr);
  presenter.reset();
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

TEST(OverlayEarlyWindow, ABoxBeforeTheGameHasAScreenOpensAWindowTheGameCanTakeOver) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  platform::SetHarnessForTesting(platform::HarnessSettings{});
  int turns = 0;
  auto task = platform::RegisterTurnTask([&] {
    if (++turns == 3) OverlayScreen::PushKey(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(platform::overlay::RunMessageBox(Cp("既に起動しています。"), "zandrel", MB_YESNO), IDYES);
  SDL_Window* window = platform::overlay::TakeEarlyWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SDL_GetRenderer(window), nullptr);  // free for the game's own renderer
  EXPECT_EQ(platform::overlay::TakeEarlyWindow(), nullptr);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(OverlayRender, AnEditDialogRendersIntoASurfaceWithoutAWindow) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_XRGB8888);
  ASSERT_NE(surface, nullptr);
  DialogBox box(TwoEditsAndButtons(), [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  ASSERT_TRUE(platform::overlay::RenderDialogToSurface(box, surface));
  // The window's light face colour fills its middle; outside it stays black.
  const auto pixel = [&](int x, int y) {
    return static_cast<const Uint32*>(surface->pixels)[y * surface->pitch / 4 + x] & 0xFFFFFF;
  };
  EXPECT_EQ(pixel(5, 5), 0u);
  EXPECT_EQ(pixel(320, 300), 0xF0F0F0u);
  EXPECT_EQ(SDL_SaveBMP(surface, "overlay-render.bmp"), 0);
  SDL_FreeSurface(surface);
}

}  // namespace
