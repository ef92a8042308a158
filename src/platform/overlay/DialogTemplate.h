#pragma once
// A dialog described as data: its caption, its size and its items, placed in
// dialog units as the player's dialog resources place them.
#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace platform::overlay {

// An Icon item shows the sign its text names: "error", "question", "warning"
// or "information".
// A ScrollBar item taller than wide is vertical.
enum class ItemKind {
  Text,
  Picture,
  Icon,
  GroupBox,
  Button,
  DefaultButton,
  CheckBox,
  RadioButton,
  Edit,
  List,
  ScrollBar
};

struct ItemTemplate {
  WORD id = 0;
  ItemKind kind = ItemKind::Text;
  std::string text;  // CP932
  int x = 0, y = 0, width = 0, height = 0;
};

struct DialogTemplate {
  std::string caption;  // CP932; a dialog without caption has no title bar
  bool titleBar = true;
  int width = 0, height = 0;
  bool defaultCancels = false;  // without a user or an answer it is closed, not confirmed
  std::vector<ItemTemplate> items;
};

// Dialog units to pixels for the 9-point gothic the resources use: a 222 x 171
// unit dialog covers 374 x 272 dots.
constexpr int UnitsToPixelsX(int units) { return units * 27 / 16; }
constexpr int UnitsToPixelsY(int units) { return units * 51 / 32; }
constexpr int kTitleBarHeight = 20;
// The game area the dialogs are drawn over.
constexpr int kGameAreaWidth = 640, kGameAreaHeight = 480;

}  // namespace platform::overlay
