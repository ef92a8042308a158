#pragma once
// The start-up dialog: Direct3D or DirectDraw, and whether to ask again. It
// edits the choices its caller hands it; Start hands them back through the
// caller's save, Cancel and the close box leave them.
#include <functional>
#include <string>
#include <vector>

#include "library/window/Window.h"

constexpr WORD IDD_BOOT = 103;

struct BOOTCHOICES {
  int drawingMode = 1;  // 1 Direct3D, 0 DirectDraw
  int doNotAsk = 0;
};

class cBootDialog final : public cDialog {
 public:
  // caption: the game's title (CP932); english: the English texts; save: runs on Start.
  cBootDialog(WORD templateId, cWindow* parent, int user, void* param, BOOTCHOICES* choices, std::string caption,
              bool english, std::function<void()> save);
  ~cBootDialog() override;

  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit(WPARAM wParam, LPARAM lParam) override;
  cCtrl* FindControlById(WORD id);

 private:
  struct RadioDescription {
    cRadioCtrl control;
    WORD id;
    int* data;
    int value;
  };
  struct CheckDescription {
    cCheckCtrl control;
    WORD id;
    int* data;
  };
  struct PlainDescription {
    cStaticCtrl control;
    WORD id;
  };

  std::vector<RadioDescription> m_radios;
  std::vector<CheckDescription> m_checks;
  std::vector<PlainDescription> m_plains;
  std::string m_caption;
  bool m_english;
  std::function<void()> m_save;
};

extern cBootDialog* CurrentBootDialog;
LRESULT BootDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The dialog's resource as data.
platform::overlay::DialogTemplate BootDialogTemplate();
