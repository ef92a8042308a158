#pragma once
// The 99 story save slots: their files, and the list the continue screen and
// the story save menu show.
#include <string>

#include "gamedata/SaveData.h"

class cSaveSlot : public cDataRecord {
 public:
  cSaveSlot();
  void RegisterFields(int nVersion) override;

  int bUsed = 0;
  SYSTEMTIME SaveTime;
};

using SaveSlotVector = cCheckedVector<cSaveSlot>;
extern SaveSlotVector* SaveSlotList;

// "user_data\story\StoryNN.dat" for slot index 0..98 (number index + 1).
void GetStoryPath(std::string& out, int slot);
// Marks each slot used when its file loads, with the file's time stamp.
void ScanStorySlots(SaveSlotVector& slots, const cLoadContext& ctx);
// The slot list entry a successful save refreshes (none when no list is set).
void MarkSlotSaved(int slot, const SYSTEMTIME& time);
SYSTEMTIME LocalTimeNow();
