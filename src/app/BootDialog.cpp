#include "app/BootDialog.h"

#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "platform/overlay/DialogItems.h"
#include "platform/overlay/Overlay.h"

cBootDialog* CurrentBootDialog = nullptr;

namespace {

constexpr WORD kStart = 1000, kCancel = 1001, kDirect3D = 1002, kDirectDraw = 1003, kDoNotAsk = 1004,
               kSettingsNote = 1005, kModeGroup = 1006, kPicture = 1075;

}  // namespace

platform::overlay::DialogTemplate BootDialogTemplate() {
  using platform::overlay::ItemKind;
  platform::overlay::DialogTemplate layout;
  layout.width = 222;
  layout.height = 171;
  // In template order, so Tab walks them as it always did.
  layout.items = {
      {kPicture, ItemKind::Picture, "", 7, 7, 20, 21},
      {kStart, ItemKind::DefaultButton, Sjis("ゲーム開始"), 80, 105, 50, 25},
      {kCancel, ItemKind::Button, Sjis("ゲーム中止"), 80, 140, 50, 18},
      {kModeGroup, ItemKind::GroupBox, Sjis("描画モード"), 15, 15, 190, 55},
      {kDirect3D, ItemKind::RadioButton, "Direct3D", 20, 30, 42, 10},
      {kDirectDraw, ItemKind::RadioButton, "DirectDraw", 80, 30, 45, 10},
      {kSettingsNote, ItemKind::Text, Sjis("詳細な設定は環境設定ファイル「System.ini」で行って下さい。"), 20, 50, 177,
       12},
      {kDoNotAsk, ItemKind::CheckBox, Sjis("次回からこのダイアログを表示しない"), 50, 85, 120, 10},
  };
  return layout;
}

LRESULT BootDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CurrentBootDialog ? CurrentBootDialog->MsgProc(window, message, wParam, lParam) : 0;
}

cBootDialog::cBootDialog(WORD templateId, cWindow* parent, int user, void* param, BOOTCHOICES* choices,
                         std::string caption, bool english, std::function<void()> save)
    : m_caption(std::move(caption)), m_english(english), m_save(std::move(save)) {
  Setup(templateId, parent, user, param);
  CurrentBootDialog = this;
  m_pProc = BootDialogProc;
  SetLayout(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  // A 374 x 272 box centred on the 640 x 480 game area.
  const int x = parent ? parent->m_x : 0, y = parent ? parent->m_y : 0;
  m_placeX = x + 320 - 187;
  m_placeY = y + 240 - 136;
  // Over the Start button.
  SetCursorPos(static_cast<int>(m_placeX + 181.9), static_cast<int>(m_placeY + 198.9));
  if (templateId == IDD_BOOT && !FindDialogTemplate(IDD_BOOT)) RegisterDialogTemplate(IDD_BOOT, BootDialogTemplate());
  m_radios.push_back({{}, kDirect3D, &choices->drawingMode, 1});
  m_radios.push_back({{}, kDirectDraw, &choices->drawingMode, 0});
  m_checks.push_back({{}, kDoNotAsk, &choices->doNotAsk});
  m_plains.push_back({{}, kSettingsNote});
}

cBootDialog::~cBootDialog() {
  if (CurrentBootDialog == this) CurrentBootDialog = nullptr;
}

LRESULT cBootDialog::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ModalDialogMsgProc(window, message, wParam, lParam);
}

void cBootDialog::OnInit(WPARAM wParam, LPARAM lParam) {
  cDialog::OnInit(wParam, lParam);
  SetWindowTextA(m_hWnd, m_caption.c_str());
  for (RadioDescription& radio : m_radios) {
    radio.control.Attach(this, radio.id, radio.data, radio.value);
    AddCtrl(&radio.control);
  }
  for (CheckDescription& check : m_checks) {
    check.control.Attach(this, check.id, check.data);
    AddCtrl(&check.control);
  }
  for (PlainDescription& plain : m_plains) {
    plain.control.Attach(this, plain.id);
    AddCtrl(&plain.control);
  }
  AllDataToCtrl();
  if (m_english) {
    SetDlgItemTextA(m_hWnd, kModeGroup, "Drawing mode");
    SetDlgItemTextA(m_hWnd, kStart, "Start");
    SetDlgItemTextA(m_hWnd, kCancel, "Cancel");
    auto note =
        std::find_if(m_plains.begin(), m_plains.end(), [](const PlainDescription& p) { return p.id == kSettingsNote; });
    if (note != m_plains.end()) {
      note->control.SetText("Configure the detail settings at \"System.ini\".");
    } else {
      static const std::string missing = Sjis("コントロールID 【%u】 が見つかりません！");
      EcMesBoxf(missing.c_str(), static_cast<unsigned>(kSettingsNote));
      PostCloseToMainWindow();
    }
    if (cCtrl* check = FindControlById(kDoNotAsk)) check->SetText("Do not ask this dialog again");
  }
  m_bInit = true;
}

void cBootDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!CanCommand()) return;
  cDialog::OnCommand(wParam, lParam);
  const WORD id = LowWord(wParam);
  if (id == kStart && HighWord(wParam) == BN_CLICKED) {
    AllCtrlToData();
    if (m_save) m_save();
    End(1);
  } else if (id == kCancel && HighWord(wParam) == BN_CLICKED) {
    End(0);
  }
}

cCtrl* cBootDialog::FindControlById(WORD id) {
  for (CheckDescription& check : m_checks) {
    if (check.id == id) return &check.control;
  }
  static const std::string missing = Sjis("コントロールID 【%u】 が見つかりません！");
  EcMesBoxf(missing.c_str(), static_cast<unsigned>(id));
  PostCloseToMainWindow();
  return nullptr;
}
