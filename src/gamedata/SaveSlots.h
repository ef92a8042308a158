#pragma once
// The 99 story save slots: their files, and the list the continue screen and
// the story save menu show.
#include <string>

#include "gamedata/SaveData.h"

class cSaveSlot : public cDataRecord {
 public:
  cSaveSlot();
  void RegisterFields(int nVersion) override;

  // A damaged file that ends before its time stamp leaves the stamp all zero.
  bool HasSaveTime() const { return SaveTime.wYear || SaveTime.wMonth || SaveTime.wDay; }

  int bUsed = 0;
  SYSTEMTIME SaveTime;
};

using SaveSlotVector = cCheckedVector<cSaveSlot>;
extern SaveSlotVector* SaveSlotList;

// "user_data\story\StoryNN.dat" for slot index 0..98 (number index + 1).
void GetStoryPath(std::string& out, int slot);
// Marks each slot used whose file opens, with the time stamp the file gives
// (none when a damaged file ends before it).
void ScanStorySlots(SaveSlotVector& slots, const cLoadContext& ctx);
// The slot list entry a successful save refreshes (none when no list is set).
void MarkSlotSaved(int slot, const SYSTEMTIME& time);
SYSTEMTIME LocalTimeNow();
// Tells the player that slot n could not be saved: its file and the reason
// (an errno value as SaveStory reports it).
void ShowStorySaveFailure(int slot, int error);
