#pragma once
// The ranking-name dialog: the player types the name that goes into the
// rankings. The name is at most three characters on one line, a double-byte
// character counting as one, so it holds at most six bytes.
#include <string>
#include <vector>

#include "library/window/Window.h"

constexpr WORD IDD_NAMEENTRY = 102;

class cNameEntryDialog final : public cDialog {
 public:
  // name: the string edited (the options' ranking name or the scene's), null for none;
  // fullScreen: placed at (240, 220) of the screen, else of the main window.
  cNameEntryDialog(WORD templateId, cWindow* parent, int flags, void* param, std::string* name, bool fullScreen,
                   bool english);
  ~cNameEntryDialog() override;

  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit(WPARAM wParam, LPARAM lParam) override;

 private:
  struct EditDescription {
    cEditCtrl control;
    EDITCTRLDATA binding;
  };
  std::vector<EditDescription> m_edits;
  bool m_english;
};

extern cNameEntryDialog* CurrentNameEntryDialog;
LRESULT NameEntryDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
platform::overlay::DialogTemplate NameEntryDialogTemplate();
