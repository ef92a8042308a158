#include "records/Flow.h"

#include <algorithm>

#include "records/FlowEnums.h"
#include "records/SpriteKind.h"
#include "records/Validate.h"

namespace {

// The fewest bytes each record takes in a file: a body with its two counts,
// and the counts that follow it.
constexpr std::size_t kConditionMinBytes = kMinRecordBodyBytes;
constexpr std::size_t kKeyConditionMinBytes = kMinRecordBodyBytes + 4;
constexpr std::size_t kCommandMinBytes = kMinRecordBodyBytes + 4 * 4;
constexpr std::size_t kFlowMinBytes = kMinRecordBodyBytes + 3 * 4;

constexpr int kMaxCommandTime = 9999;

}  // namespace

// ---- cCondition

void cCondition::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_nKind);
  AddField4(m_nValue);
  // Files below 110 hold two 16-bit values here that nothing keeps.
  AddScratch2(1, 110);
  AddScratch2(1, 110);
  AddField4(m_nRandomLow, 110);
  AddField4(m_nRandomHigh, 110);
  AddField1(m_nSubject, 110);
  AddField1(m_nSelector, 110);
  AddField1(m_nLeftClass, 110);
  AddField1(m_nLeftVarKind, 110);
  AddField2(m_nIndex, 110);
  AddField1(m_nRightSource, 110);
  AddField1(m_nRightOwner, 110);
  AddField1(m_nRightSelector, 110);
  AddField1(m_nRightVarKind, 110);
  AddField2(m_nRightIndex, 110);
  AddField1(m_nOperator);
  AddField1(m_bPercent, 43);
  AddField1(m_nShape);
}

void cCondition::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  const int version = in.Version();
  if (version >= nCurVersion) return;
  if (version < 160 && m_nKind >= 5) m_nKind += 2;
  if (version < 161 && m_nKind == COND_STATUS3 && m_nSelector == 2) m_nOperator ^= 1;
  // Status lists gained an entry at 10 (version 168) and at 5 (version 203).
  for (auto [below, inserted] : {std::pair{168, 10}, std::pair{203, 5}}) {
    if (version >= below || m_nKind != COND_STATUS) continue;
    if (m_nLeftClass == 0 && m_nSubject != 2 && m_nSelector >= inserted) ++m_nSelector;
    if (m_nRightSource == 2 && m_nRightOwner != 2 && m_nRightSelector >= inserted) ++m_nRightSelector;
  }
  if (version < 210 && m_nKind == COND_STATUS2 && m_nSubject != 2 && m_nSelector >= 6) ++m_nSelector;
  if (version < 657 && m_nKind == COND_DISTANCE) m_nSubject = 0;
}

// ---- cKeyCondition

void cKeyCondition::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_bMirror);
  AddField2(m_nMinFrames);
  AddField2(m_nMaxFrames);
  AddField1(m_bAnyLength);
  AddField1(m_nMode);
}

void cKeyCondition::SetDefault() {
  ResetFields();
  m_vKeys.assign(kKeyConditionEntries, 0);
}

void cKeyCondition::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  std::uint32_t count = in.ReadCount(1, "key states");
  m_vKeys.assign(count, 0);
  in.ReadBytes(m_vKeys.data(), count);
  // The matcher reads every key entry: a step of another length is brought
  // to the full table, entries it lacked left untested.
  if (count != kKeyConditionEntries) {
    ctx.NoteReset("key state count", static_cast<long>(count), kKeyConditionEntries);
    m_vKeys.resize(kKeyConditionEntries, 0);
  }
}

void cKeyCondition::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  out.WriteCount(m_vKeys.size());
  out.WriteBytes(m_vKeys.data(), m_vKeys.size());
}

// ---- cFlowCommand

cFlowCommand::cFlowCommand() { SetDefault(); }
cFlowCommand::cFlowCommand(const cFlowCommand& other) = default;
cFlowCommand::cFlowCommand(cFlowCommand&& other) noexcept = default;
cFlowCommand& cFlowCommand::operator=(const cFlowCommand& other) = default;
cFlowCommand& cFlowCommand::operator=(cFlowCommand&& other) noexcept = default;
cFlowCommand::~cFlowCommand() = default;

void cFlowCommand::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_bItemCommand);
  AddField1(m_nType);
  AddField2(m_nTime);
  AddField2(m_nTimeStep);
  AddField1(m_bNonBlocking);
  AddField2(m_nSound);
  AddField1(m_bSoundOnScreen);
  AddField2(m_nAnime);
  AddStrField(m_strText);
}

void cFlowCommand::SetDefault() {
  ResetFields();
  ResetEdPtr(m_pMove);
  ResetEdPtr(m_pShot);
  m_bSoundOnScreen = 1;
}

int cFlowCommand::FlowType() const {
  if (m_bItemCommand) return FlowTypeOfItemCommand(m_nType);
  return m_nType >= 0 && m_nType < CMD_COUNT ? m_nType : -1;
}

namespace {

// Reads the presence word and, when it is not 0, the settings record.
template <typename Settings>
void LoadSettings(boost::shared_ptr<Settings>& ptr, cRecordReader& in, const cLoadContext& ctx) {
  if (in.ReadU32() == 0) {
    ResetEdPtr(ptr);
    return;
  }
  ptr = boost::make_shared<Settings>();
  ptr->Load(in, ctx);
}

template <typename Settings>
void SaveSettings(boost::shared_ptr<Settings>& ptr, cRecordWriter& out, const cLoadContext& ctx) {
  out.WriteU32(ptr ? 1 : 0);
  if (ptr) ptr->Save(out, ctx);
}

using Params = cCheckedVector<std::int32_t>;

// Resizes to n (cut, or padded with 0), then moves parameters index.. up one
// place (the last is lost) and sets parameter index to value.
void InsertParam(Params& params, size_t n, size_t index, int value) {
  params.resize(n, 0);
  std::copy_backward(params.begin() + index, params.end() - 1, params.end());
  params[index] = value;
}

// The status lists gained an entry at `inserted`: the selectors of status operations move past it.
void ShiftStatusSelectors(Params& params, int inserted) {
  params.resize(std::max<size_t>(params.size(), 14), 0);
  if (params[0] == 0 && params[3] != 2 && params[4] >= inserted) ++params[4];
  if (params[6] == 2 && params[12] != 2 && params[13] >= inserted) ++params[13];
}

}  // namespace

void cFlowCommand::UpgradeParams(int version) {
  const int type = FlowType();
  const bool flowOnly = !m_bItemCommand;
  Params& p = m_vParams;
  if (version < 145 && type == CMD_STAGE_CLEAR) p.resize(9, 0);
  if (version < 166 && type == CMD_BGM) {
    p.resize(2, 0);
    p[1] = 1;
  }
  if (version < 168 && type == CMD_STATUS_OPERATION) ShiftStatusSelectors(p, 10);
  if (version < 189 && type == CMD_SET_TARGET) InsertParam(p, 10, 2, 0);
  if (version < 194 && type == CMD_PICTURE) InsertParam(p, 14, 6, 1);
  if (version < 195 && (type == CMD_CHARA_EFFECT || type == CMD_SCREEN_EFFECT)) InsertParam(p, 3, 1, 0);
  if (version < 203) {
    if (flowOnly && (type == CMD_SUMMON_CHARA || type == CMD_SUMMON_ITEM)) p.clear();
    if (flowOnly && type == CMD_FLOW_OPERATION) p.resize(3, 0);
    if (type == CMD_STATUS_OPERATION) ShiftStatusSelectors(p, 5);
  }
  if (version < 210 && type == CMD_STATUS_OPERATION2) {
    p.resize(std::max<size_t>(p.size(), 2), 0);
    if (p[0] != 2 && p[1] >= 6) ++p[1];
  }
  if (version < kShotChipShiftVersion && type == CMD_GRAPHIC_CHANGE) {
    p.resize(std::max<size_t>(p.size(), 2), 0);
    if (p[0] == SPRITEKIND_SHOT) p[1] = ShiftedShotChip(p[1]);
  }
  // A command missing the settings its type needs gets them from validation.
  if (version < 220 && flowOnly && type == CMD_SHOT && m_pShot)
    m_pShot->m_nShotGraphic = static_cast<std::int16_t>(ShiftedShotChip(m_pShot->m_nShotGraphic));
  if (version < 514 && flowOnly && type == CMD_CHARGE_MOVE && m_pMove) {
    m_pMove->m_nAngle = 0;
    m_pMove->m_nAngleStep = 0;
    m_pMove->m_bMirrorAngle = 1;
  }
  if (version < 545) {
    if (type == CMD_MESSAGE) {
      p.resize(17, 0);
      p[10] = 1;
    }
    if (type == CMD_PICTURE) {
      p.resize(14, 0);
      p[11] = 0;
    }
  }
  if (version < 546 && type == CMD_MESSAGE) p[10] = (p[0] == 0 || p[0] == 7) ? 1 : 0;
  if (version < 547) {
    if (type == CMD_MESSAGE) {
      p.resize(17, 0);
      p[11] = p[12] = p[13] = 0;
      p[14] = 1;
      p[15] = 0;
    }
    if (type == CMD_PICTURE) {
      p.resize(14, 0);
      p[12] = p[13] = 0;
    }
  }
  if (version < 556 && type == CMD_MESSAGE) {
    p.resize(17, 0);
    p[16] = 1;
  }
}

void cFlowCommand::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  LoadSettings<cEdMove>(m_pMove, in, ctx);
  LoadSettings<cEdShot>(m_pShot, in, ctx);
  LoadFlows(m_vFlows, in, ctx);
  std::uint32_t count = in.ReadCount(sizeof(std::int32_t), "command parameters");
  m_vParams.assign(count, 0);
  in.ReadBytes(m_vParams.data(), count * sizeof(std::int32_t));
  if (in.Version() < nCurVersion) UpgradeParams(in.Version());
  if (ctx.ErasesMarkedFlows()) EraseMarkedFlows(m_vFlows);
  ValidateCommand(*this, ctx);
}

void cFlowCommand::Save(cRecordWriter& out, const cLoadContext& ctx) {
  ValidateCommand(*this, ctx);
  cDataRecord::Save(out, ctx);
  SaveSettings<cEdMove>(m_pMove, out, ctx);
  SaveSettings<cEdShot>(m_pShot, out, ctx);
  SaveRecordList(out, ctx, m_vFlows);
  out.WriteCount(m_vParams.size());
  out.WriteBytes(m_vParams.data(), m_vParams.size() * sizeof(std::int32_t));
}

// ---- cFlow

void cFlow::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_strName, 676);
  AddField1(m_nId);
  AddField1(m_nLetter);
  AddField1(m_bTestPlayOnly);
  AddField1(m_nConditionMode);
  AddField1(m_bLatch);
  AddField1(m_nTrigger);
  AddField1(m_nKeyAllowance);
  AddField1(m_bKeyContinuous);
}

void cFlow::SetDefault() {
  ResetFields();
  m_vConditions.clear();
  m_vKeyConditions.clear();
  m_vCommands.clear();
  m_nKeyAllowance = 3;
}

void cFlow::Load(cRecordReader& in, const cLoadContext& ctx) {
  cRecordReader::cNesting level(in, kMaxFlowNesting, "flows");
  cDataRecord::Load(in, ctx);
  LoadConditions(m_vConditions, in, ctx);
  LoadKeyConditions(m_vKeyConditions, in, ctx);
  LoadCommands(m_vCommands, in, ctx);
  const int version = in.Version();
  if (version < nCurVersion) {
    if (version <= 131 && m_nTrigger >= 11) ++m_nTrigger;
    if (version < 163 && m_nTrigger != 0) m_nLetter = 0;
    if (version < 164 && m_nTrigger >= 5) m_nTrigger += 2;
  }
  m_strName.clear();
  ValidateFlow(*this, ctx);
}

void cFlow::Save(cRecordWriter& out, const cLoadContext& ctx) {
  ValidateFlow(*this, ctx);
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, m_vConditions);
  SaveRecordList(out, ctx, m_vKeyConditions);
  SaveRecordList(out, ctx, m_vCommands);
}

// ---- lists

void LoadConditions(cCheckedVector<cCondition>& list, cRecordReader& in, const cLoadContext& ctx) {
  LoadRecordList(in, ctx, list, cCondition(), kConditionMinBytes, "conditions");
}
void LoadKeyConditions(cCheckedVector<cKeyCondition>& list, cRecordReader& in, const cLoadContext& ctx) {
  LoadRecordList(in, ctx, list, cKeyCondition(), kKeyConditionMinBytes, "key conditions");
}
void LoadCommands(cCheckedVector<cFlowCommand>& list, cRecordReader& in, const cLoadContext& ctx) {
  LoadRecordList(in, ctx, list, cFlowCommand(), kCommandMinBytes, "commands");
}
void LoadFlows(cCheckedVector<cFlow>& list, cRecordReader& in, const cLoadContext& ctx) {
  LoadRecordList(in, ctx, list, cFlow(), kFlowMinBytes, "flows");
}

void EraseMarkedFlows(cCheckedVector<cFlow>& flows) {
  std::erase_if(flows, [](const cFlow& flow) { return flow.m_bTestPlayOnly != 0; });
}

// ---- validation

namespace {

bool UsesMoveSettings(int flowType) {
  return (flowType >= CMD_STRAIGHT_MOVE && flowType <= CMD_DISABLE_MOVE) || flowType == CMD_WARP;
}
bool UsesShotSettings(int flowType) { return flowType >= CMD_SHOT && flowType <= CMD_SUMMON_ITEM; }

// Commands whose parameter 0 names a database entry, reset to 1 when it names none.
int DatabaseCountOfParam0(int flowType, const DatabaseSizes& db) {
  switch (flowType) {
    case CMD_ANIME:
      return db.nAnime;
    case CMD_EFFECT:
      return db.nEffect;
    case CMD_CHARA_EFFECT:
      return db.nCharaEffect;
    case CMD_SCREEN_EFFECT:
      return db.nScrEffect;
    case CMD_PICTURE:
      return db.nPicture;
    case CMD_SOUND_EFFECT:
      return db.nSound;
    case CMD_BGM:
      return db.nBgm;
    default:
      return -1;
  }
}

// The command's time follows its sword type: the sum of the parts' durations.
void DeriveSwordTime(cFlowCommand& command, const cLoadContext& ctx) {
  cEdShot& shot = *command.m_pShot;
  ResetIndexIfOutside(shot.m_nTrajectory, ctx.db.nSwordType, 0, "sword type", ctx);
  const auto& durations = ctx.swordTypeDurations;
  int index = shot.m_nTrajectory;
  int duration = index < static_cast<int>(durations.size()) ? durations[static_cast<size_t>(index)] : 0;
  command.m_nTime = static_cast<std::int16_t>(std::clamp(duration, 0, kMaxCommandTime));
}

}  // namespace

void ValidateCommand(cFlowCommand& command, const cLoadContext& ctx) {
  ResetIndexIfOutside(command.m_nAnime, ctx.db.nAnime, 0, "command anime", ctx);
  ResetIndexIfOutside(command.m_nSound, ctx.db.nSound, 0, "command sound", ctx);

  // A type byte outside its table is never used to look anything up: the command becomes none.
  int paramCount = CommandParamCount(command.m_bItemCommand != 0, command.m_nType);
  if (paramCount < 0) {
    ctx.NoteReset("command type", command.m_nType, 0);
    command.m_nType = 0;
    paramCount = 0;
  }
  command.m_vParams.resize(static_cast<size_t>(paramCount), 0);

  const int type = command.FlowType();
  const bool flowCommand = !command.m_bItemCommand;
  // Executors use the settings of these types without asking: a command
  // stored without them gets default ones.
  if (flowCommand && UsesShotSettings(type) && !command.m_pShot) {
    ctx.NoteReset("command shot settings", 0, 1);
    NewEdShot(command.m_pShot);
  }
  if (UsesMoveSettings(type) && !command.m_pMove) {
    ctx.NoteReset("command movement settings", 0, 1);
    NewEdMove(command.m_pMove);
  }

  if (flowCommand && type == CMD_SWORD) DeriveSwordTime(command, ctx);
  if (type == CMD_BASE_ANIME_SET_CHANGE)
    ResetIndexIfOutside(command.m_vParams[0], ctx.db.nAnimeSet, 0, "command anime set", ctx);
  if (int count = DatabaseCountOfParam0(type, ctx.db); count >= 0)
    ResetIndexIfOutside(command.m_vParams[0], count, 1, "command database entry", ctx);

  for (cFlow& flow : command.m_vFlows) ValidateFlow(flow, ctx);
}

void ValidateFlow(cFlow& flow, const cLoadContext& ctx) {
  for (cFlowCommand& command : flow.m_vCommands) ValidateCommand(command, ctx);
}
