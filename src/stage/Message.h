#pragma once
// On-screen messages of a running stage: a text window of the message command
// (with '#' escapes that show game variables), the game wait's timer, the icon
// that rises over the hero when an item is taken, and the extra-life sign.
// A text message owns one surface of the message-surface list `Off_Msg`,
// released on every path that ends or replaces the message.
#include <string>
#include <string_view>

#include "library/util/CheckedVector.h"

struct DDSURFACEDATA;
class cStagePlayScene;
class cChara;

enum MessageKind : int { MSGKIND_TIMER = 0, MSGKIND_TEXT = 1, MSGKIND_ICON = 2, MSGKIND_EXTRA_LIFE = 3 };
enum MessageDisplay : int { MSGDISPLAY_BUTTON = 0, MSGDISPLAY_STAGE = 1, MSGDISPLAY_TIME = 2 };
enum MessagePosition : int {
  MSGPOS_SCREEN_CENTRE = 0,
  MSGPOS_ABOVE_SELF = 1,
  MSGPOS_BELOW_SELF = 2,
  MSGPOS_CENTRE_SELF = 3,
  MSGPOS_ABOVE_HERO = 4,
  MSGPOS_BELOW_HERO = 5,
  MSGPOS_CENTRE_HERO = 6,
  MSGPOS_SCREEN = 7,
  MSGPOS_STAGE = 8,
};

// The display settings a message is set up with, in the order of `SetMessage`.
struct MessageSettings {
  int nKind = MSGKIND_TIMER;
  std::string text;
  int nIconKind = 0, nIconGraphic = 0, nIconCell = 0;
  int nPosMode = MSGPOS_SCREEN_CENTRE;
  int nCellX = 0, nCellY = 0;
  int nOffsetX = 0, nOffsetY = 0;
  int bKeepInside = 0;
  int bFixOnScreen = 0;
  int nDisplayMode = MSGDISPLAY_BUTTON;
  int nFrames = 0;
  int bStopGame = 0;
  int nAnchor = 0;  // object number of the character it is placed at (modes 1..6)
  int bContinuation = 0;
  int bExpand = 0;
  int bRefresh = 0;
  int nRefreshInterval = 0;
  int bWindow = 0;
  int bHasId = 0, nId = 0;
};

// Expands the '#' escapes of the text in place: #C<n> a common variable,
// #S<n> a stage variable, then '_' with a width digit, 'P' (plus sign) and
// 'Z' (leading zeros); a '.' ending an escape is removed with it. An escape
// without a kind, or naming a variable outside its table, stays as written.
void FormatMessageText(std::string& text, const cCheckedVector<int>& common, const cCheckedVector<int>& stage);

class cMessage {
 public:
  explicit cMessage(const MessageSettings& settings);
  ~cMessage();
  cMessage(const cMessage&) = delete;
  cMessage& operator=(const cMessage&) = delete;

  // Sets the message up again with new settings, keeping its surface.
  void ResetMessage(const MessageSettings& settings);
  // One drawn frame; 1 when the message has ended (its surface is already released).
  int DrawMessage(cStagePlayScene& scene, DDSURFACEDATA* target, int paused);
  // Where this frame draws it on the screen: placed by its mode, held where it
  // first appeared when it is fixed, kept inside the screen when asked. False
  // when the character it is placed at is gone.
  bool Place(cStagePlayScene& scene, int& x, int& y);
  // Releases the surface (once) and takes the message out of every pass.
  void Remove();
  // The size a text would take: measured with the message font, plus 2 each way.
  static void MeasureMessageText(int& width, int& height, std::string_view text);

  const MessageSettings& Settings() const { return m_Set; }
  const std::string& Text() const { return m_strText; }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  int FramesLeft() const { return m_Set.nFrames; }
  DDSURFACEDATA* Surface() const { return m_pSurface; }
  bool Removed() const { return m_bRemoved != 0; }
  int Serial() const { return m_nSerial; }
  void SetSerial(int serial) { m_nSerial = serial; }

 private:
  void SetMessage(const MessageSettings& settings, int bKeepSurface);
  void Expand(std::string& text) const;
  void CreateMessageSurface();
  void ReleaseSurface();
  void RenderMessage();
  void Refresh(const cStagePlayScene& scene);
  // False when the anchor character is gone.
  bool Position(cStagePlayScene& scene, int& x, int& y) const;
  void DrawText(DDSURFACEDATA* target, int x, int y);

  MessageSettings m_Set;
  DDSURFACEDATA* m_pSurface = nullptr;  // its record in Off_Msg (node-stable), kind 1 only
  std::string m_strText;                // as shown, escapes expanded
  int m_nWidth = 0, m_nHeight = 0;
  int m_bPositionStored = 0;
  int m_nStoredX = 0, m_nStoredY = 0;
  int m_bOpening = 0;
  double m_dOpening = 0;
  int m_bRemoved = 0;
  int m_nSerial = 0;
};

// The icon of a taken item, rising over the hero for 30 frames.
void ShowPickupMessage(cStagePlayScene& scene, const cChara& hero, int kind, int graphic, int cell);
// The extra-life sign over the hero, 30 frames with the game stopped.
MessageSettings ExtraLifeSign(const cChara& hero);
// The game wait's timer: no picture, the game stopped for the frames.
MessageSettings GameWaitTimer(int frames);
