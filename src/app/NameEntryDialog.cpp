#include "app/NameEntryDialog.h"

#include <climits>

#include "library/util/Text.h"
#include "platform/overlay/DialogItems.h"
#include "platform/overlay/Overlay.h"

cNameEntryDialog* CurrentNameEntryDialog = nullptr;

namespace {

constexpr WORD kOk = 1000, kCancel = 1001, kNameEdit = 1003, kLabel = 1007, kPicture = 1075;
constexpr int kNameCharacters = 3;

}  // namespace

platform::overlay::DialogTemplate NameEntryDialogTemplate() {
  using platform::overlay::ItemKind;
  platform::overlay::DialogTemplate layout;
  layout.titleBar = false;
  layout.width = 110;
  layout.height = 65;
  layout.items = {
      {kPicture, ItemKind::Picture, "", 7, 7, 20, 21},
      {kNameEdit, ItemKind::Edit, "", 75, 12, 24, 14},
      {kOk, ItemKind::DefaultButton, "OK", 30, 35, 50, 18},
      {kLabel, ItemKind::Text, Sjis("登録名(3文字まで)"), 15, 15, 56, 16},
  };
  return layout;
}

LRESULT NameEntryDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CurrentNameEntryDialog ? CurrentNameEntryDialog->MsgProc(window, message, wParam, lParam) : 0;
}

cNameEntryDialog::cNameEntryDialog(WORD templateId, cWindow* parent, int flags, void* param, std::string* name,
                                   bool fullScreen, bool english)
    : m_english(english) {
  Setup(templateId, parent, flags, param);
  CurrentNameEntryDialog = this;
  m_pProc = NameEntryDialogProc;
  SetLayout(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  const bool besideWindow = !fullScreen && parent;
  m_placeX = (besideWindow ? parent->m_x : 0) + 240;
  m_placeY = (besideWindow ? parent->m_y : 0) + 220;
  SetCursorPos(m_placeX + 80, m_placeY + 65);  // over the dialog, beside its OK button
  if (templateId == IDD_NAMEENTRY && !FindDialogTemplate(IDD_NAMEENTRY))
    RegisterDialogTemplate(IDD_NAMEENTRY, NameEntryDialogTemplate());
  if (name) {
    EditDescription& edit = m_edits.emplace_back();
    InitCtrlBinding(&edit.binding, kNameEdit, name, kNameCharacters, 1);
  }
}

cNameEntryDialog::~cNameEntryDialog() {
  if (CurrentNameEntryDialog == this) CurrentNameEntryDialog = nullptr;
}

LRESULT cNameEntryDialog::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ModalDialogMsgProc(window, message, wParam, lParam);
}

void cNameEntryDialog::OnInit(WPARAM wParam, LPARAM lParam) {
  cDialog::OnInit(wParam, lParam);
  for (EditDescription& edit : m_edits) {
    edit.control.Attach(this, edit.binding);
    AddCtrl(&edit.control);
  }
  AllDataToCtrl();
  // The whole name is selected, so typing replaces it.
  SetDlgItemFocus(m_hWnd, kNameEdit);
  SendDlgItemMessage(m_hWnd, kNameEdit, EM_SETSEL, 0, INT_MAX);
  if (m_english) SetDlgItemTextA(m_hWnd, kLabel, "     Name");
  m_bInit = true;
}

void cNameEntryDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!CanCommand()) return;
  cDialog::OnCommand(wParam, lParam);
  const WORD id = LowWord(wParam);
  if (id == kOk && HighWord(wParam) == BN_CLICKED) {
    AllCtrlToData();
    End(1);
  } else if (id == kCancel && HighWord(wParam) == BN_CLICKED) {
    End(0);
  }
}
