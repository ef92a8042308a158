#pragma once
// The stored event flows: a flow (trigger, start conditions, key command and
// commands), its commands (which may hold flows again), the conditions (also
// the appearance conditions of the definitions) and the key-command steps.
// Reading migrates the records of older data versions; validation resets
// references beyond the databases and palettes.
#include <cstdint>
#include <string>

#include "library/util/CheckedVector.h"
#include "records/DataRecord.h"
#include "records/EdSettings.h"

class cCondition final : public cDataRecord {
 public:
  cCondition() { ResetFields(); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;

  std::int8_t m_nKind = 0;         // ConditionKind
  std::int8_t m_nLeftClass = 0;    // COND_STATUS: 0 a status, 1 a variable
  std::int8_t m_nLeftVarKind = 0;  // 0 common, 1 stage variable
  std::int8_t m_nSubject = 0;      // 0 self, 1 target, 2 system (distance: 0 hero, 1 target)
  std::int8_t m_nSelector = 0;
  std::int16_t m_nIndex = 0;       // variable number; the compared value of COND_STATUS2
  std::int8_t m_nRightSource = 0;  // 0 constant, 1 random, 2 status, 3 variable
  std::int32_t m_nValue = 0;
  std::int32_t m_nRandomLow = 0;
  std::int32_t m_nRandomHigh = 0;
  std::int8_t m_nRightOwner = 0;
  std::int8_t m_nRightSelector = 0;
  std::int8_t m_nRightVarKind = 0;
  std::int16_t m_nRightIndex = 0;
  std::int8_t m_nOperator = 0;  // CompareOp; inversion (status 3); 0 inside, 1 outside (distance)
  std::int8_t m_bPercent = 0;
  std::int8_t m_nShape = 0;  // distance shape
};

// Key entries tested by one key-command step: none, the eight directions, any
// direction, no button, buttons 1 to 8.
constexpr int kKeyConditionEntries = 19;

class cKeyCondition final : public cDataRecord {
 public:
  cKeyCondition() { SetDefault(); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  cCheckedVector<std::int8_t> m_vKeys;  // 0 not tested, 1 pressed, 2 released
  std::int8_t m_bMirror = 0;
  std::int16_t m_nMinFrames = 0;
  std::int16_t m_nMaxFrames = 0;
  std::int8_t m_bAnyLength = 0;
  std::int8_t m_nMode = 0;  // 0 all, 1 at least one, 2 exactly one
};

class cFlow;

class cFlowCommand final : public cDataRecord {
 public:
  // Defined where cFlow is complete: a command holds a list of flows.
  cFlowCommand();
  cFlowCommand(const cFlowCommand& other);
  cFlowCommand(cFlowCommand&& other) noexcept;
  cFlowCommand& operator=(const cFlowCommand& other);
  cFlowCommand& operator=(cFlowCommand&& other) noexcept;
  ~cFlowCommand() override;
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  // The command's type as a flow command type (item command k >= 2 is flow
  // type k + 15); -1 for none, the change-flow item command or a bad type.
  int FlowType() const;

  std::int8_t m_bItemCommand = 0;  // 0 FlowCommandType, else ItemCommandType
  std::int8_t m_nType = 0;
  cCheckedVector<std::int32_t> m_vParams;
  std::string m_strText;  // message text, or the code-execution statement
  EdMovePtr m_pMove;
  EdShotPtr m_pShot;
  std::int16_t m_nTime = 0;      // tenths of a second
  std::int16_t m_nTimeStep = 0;  // per copy index
  std::int8_t m_bNonBlocking = 0;
  std::int16_t m_nSound = 0;
  std::int8_t m_bSoundOnScreen = 0;
  std::int16_t m_nAnime = 0;
  cCheckedVector<cFlow> m_vFlows;

 private:
  void UpgradeParams(int version);
};

class cFlow final : public cDataRecord {
 public:
  cFlow() { SetDefault(); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();
  bool IsEmpty() const { return m_vConditions.empty() && m_vKeyConditions.empty() && m_vCommands.empty(); }

  std::string m_strName;            // the editor's label; emptied by every load
  std::int8_t m_nId = 0;            // 0 none, 1..26 "A".."Z"
  std::int8_t m_nLetter = 0;        // 0 none, 1..26 "a".."z"
  std::int8_t m_bTestPlayOnly = 0;  // marked: removed on loading outside a test play
  std::int8_t m_nConditionMode = 0;
  std::int8_t m_bLatch = 0;
  std::int8_t m_nTrigger = 0;  // FlowTrigger
  std::int8_t m_nKeyAllowance = 0;
  std::int8_t m_bKeyContinuous = 0;
  cCheckedVector<cCondition> m_vConditions;
  cCheckedVector<cKeyCondition> m_vKeyConditions;
  cCheckedVector<cFlowCommand> m_vCommands;
};

// Flows hold commands and commands hold flows; deeper files are refused.
constexpr int kMaxFlowNesting = 16;

void LoadConditions(cCheckedVector<cCondition>& list, cRecordReader& in, const cLoadContext& ctx);
void LoadKeyConditions(cCheckedVector<cKeyCondition>& list, cRecordReader& in, const cLoadContext& ctx);
void LoadCommands(cCheckedVector<cFlowCommand>& list, cRecordReader& in, const cLoadContext& ctx);
void LoadFlows(cCheckedVector<cFlow>& list, cRecordReader& in, const cLoadContext& ctx);
// Lists are saved with SaveRecordList: the count, then each element's Save.

void ValidateCommand(cFlowCommand& command, const cLoadContext& ctx);
void ValidateFlow(cFlow& flow, const cLoadContext& ctx);
// Palette references; they need whole palettes, so palettes and stages call
// them once every list is read.
void ValidateCommandPaletteRefs(cFlowCommand& command, const cLoadContext& ctx);
void ValidateFlowPaletteRefs(cFlow& flow, const cLoadContext& ctx);
// Removes every flow marked for removal, keeping the order of the others.
void EraseMarkedFlows(cCheckedVector<cFlow>& flows);
