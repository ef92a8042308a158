#pragma once
// Where every value that conditions, status operations and the code-execution
// evaluator read and write is stored: a character's statuses, the system
// values and the variables, each with its width and the range a written value
// is clamped to. The three users read and write through this one place.
#include <array>
#include <cstdint>
#include <string_view>

class cChara;
class cStagePlayScene;
template <typename T>
class cCheckedVector;

constexpr int kUnlimitedLives = 999999;
// The system values by selector, as statements name them.
constexpr std::array<std::string_view, 5> kSystemValueNames = {"time", "scrlx", "scrly", "score", "life"};
constexpr int kMaxStatusValue = 999999;

// One stored value: its storage, width in bits (8, 16 or 32) and range.
struct StatusSlot {
  void* pStore = nullptr;  // null: no such value
  int nBits = 32;
  int nLow = 0, nHigh = 0;

  explicit operator bool() const { return pStore != nullptr; }
  int Read() const;
  // Clamps to the range (a value below the low bound gives the low bound even
  // when the range is empty) and stores at the width.
  void Write(long long value) const;
};

// The value cut to a width: 8 and 16 bits as signed bytes and shorts.
int CutToWidth(long long value, int bits);
long long ClampToRange(long long value, long long low, long long high);

// The play record's values that flows read and write.
cCheckedVector<int>& CommonVariables(cStagePlayScene& scene);
int& PlayScore(cStagePlayScene& scene);
int& PlayLives(cStagePlayScene& scene);

// Character status 0..14 (0 the character variable `varIndex`); an empty slot
// for other selectors.
StatusSlot CharaStatusSlot(cChara& c, int selector, int varIndex);
// System value 0..4: time left, the two automatic-scroll speeds, score, lives.
StatusSlot SystemStatusSlot(cStagePlayScene& scene, int selector);
// Common (kind 0) or stage (kind 1) variable; an empty slot for other kinds.
// The index goes through the guarded vector.
StatusSlot VariableSlot(cStagePlayScene& scene, int kind, int index);

// Reading stopping ease refreshes the friction it sets; reading any other
// status is plain.
int ReadCharaStatus(cChara& c, int selector, int varIndex);
// A status value as the right side of a condition or an operation takes it:
// owner 2 the system (no time limit and unlimited lives count 0), 0 the
// character, 1 its target. False without the owner, and for a computer
// character's sight range.
bool ReadRightStatus(cStagePlayScene& scene, cChara& self, int owner, int selector, int varIndex, int& out);
// A variable as a right value: other kinds give 0.
int ReadRightVariable(cStagePlayScene& scene, int kind, int index);
// A draw between two bounds, inclusive, in either order; spans in 64 bits.
long long RandomBetween(long long a, long long b);

// What follows a write that other state derives from: the friction from the
// stopping ease, the hero's light from its sight range, the scroll axes from
// the scroll speeds.
void AfterCharaStatusWrite(cChara& c, int selector);
void AfterSystemStatusWrite(cStagePlayScene& scene, int selector);

// The harness's trace of a written value that no frame shows: "set score 150", "set C1 3".
void TraceSystemWrite(cStagePlayScene& scene, int selector);
void TraceVariableWrite(int kind, int index, int value);
