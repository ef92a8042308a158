#include "RecordJson.h"

#include <cstdint>
#include <cstring>

namespace {

template <typename T>
T ElementAt(const FIELDDATA& field, int i) {
  T value;
  std::memcpy(&value, static_cast<const std::uint8_t*>(field.lpData) + static_cast<std::size_t>(i) * sizeof(T),
              sizeof(T));
  return value;
}

void WriteElement(cJsonWriter& json, const FIELDDATA& field, int i) {
  switch (field.bySize) {
    case 1:
      json.Number(static_cast<long long>(ElementAt<std::int8_t>(field, i)));
      break;
    case 2:
      json.Number(static_cast<long long>(ElementAt<std::int16_t>(field, i)));
      break;
    case 4:
      json.Number(static_cast<long long>(ElementAt<std::int32_t>(field, i)));
      break;
    default:
      json.Number(ElementAt<double>(field, i));
      break;
  }
}

// The record's fields and strings as its current version stores them. Opens
// no object: the caller adds the class's lists after them.
void WriteBody(cJsonWriter& json, cDataRecord& record) {
  record.RegisterFields(nCurVersion);
  json.Key("fields");
  json.BeginArray();
  for (const FIELDDATA& field : record.Fields()) {
    if (field.nCount == 1) {
      WriteElement(json, field, 0);
      continue;
    }
    json.BeginArray();
    for (int i = 0; i < field.nCount; ++i) WriteElement(json, field, i);
    json.EndArray();
  }
  json.EndArray();
  json.Key("strings");
  json.BeginArray();
  for (const STRFIELDDATA& text : record.StrFields()) json.Text(*text.lpStr);
  json.EndArray();
  record.ReleaseFields();
}

void WritePlainRecord(cJsonWriter& json, cDataRecord& record) {
  json.BeginObject();
  WriteBody(json, record);
  json.EndObject();
}

void WriteFlow(cJsonWriter& json, cFlow& flow);

template <typename Settings>
void WriteSettings(cJsonWriter& json, const char* key, Settings& settings) {
  json.Key(key);
  if (settings)
    WritePlainRecord(json, *settings);
  else
    json.Null();
}

void WriteKeyCondition(cJsonWriter& json, cKeyCondition& key) {
  json.BeginObject();
  WriteBody(json, key);
  WriteInts(json, "keys", key.m_vKeys);
  json.EndObject();
}

void WriteCommand(cJsonWriter& json, cFlowCommand& command) {
  json.BeginObject();
  WriteBody(json, command);
  WriteSettings(json, "move", command.m_pMove);
  WriteSettings(json, "shot", command.m_pShot);
  WriteList(json, "flows", command.m_vFlows, WriteFlow);
  WriteInts(json, "params", command.m_vParams);
  json.EndObject();
}

void WriteFlow(cJsonWriter& json, cFlow& flow) {
  json.BeginObject();
  WriteBody(json, flow);
  WriteList(json, "conditions", flow.m_vConditions, WritePlainRecord);
  WriteList(json, "keyConditions", flow.m_vKeyConditions, WriteKeyCondition);
  WriteList(json, "commands", flow.m_vCommands, WriteCommand);
  json.EndObject();
}

// What every definition has after its body.
template <typename Def>
void WriteDefinitionCommon(cJsonWriter& json, Def& def) {
  WriteBody(json, def);
  json.Key("mapX");
  json.Number(static_cast<long long>(def.m_nMapX));
  json.Key("mapY");
  json.Number(static_cast<long long>(def.m_nMapY));
  WriteInts(json, "inheritFlags", def.m_Inherit.InheritFlags);
  WriteList(json, "conditions", def.m_vConditions, WritePlainRecord);
}

void WriteBlock(cJsonWriter& json, cBlockDef& block) {
  json.BeginObject();
  WriteDefinitionCommon(json, block);
  json.EndObject();
}

void WriteChara(cJsonWriter& json, cCharaDef& chara) {
  json.BeginObject();
  WriteDefinitionCommon(json, chara);
  json.Key("carriedItem");
  json.Number(static_cast<long long>(chara.m_nCarriedItem));
  WriteList(json, "flows", chara.m_vFlows, WriteFlow);
  json.EndObject();
}

void WriteItem(cJsonWriter& json, cItemDef& item) {
  json.BeginObject();
  WriteDefinitionCommon(json, item);
  WriteList(json, "commands", item.m_vCommands, WriteCommand);
  json.EndObject();
}

void WriteDefinitions(cJsonWriter& json, const char* key, cCheckedVector<cBlockDef>& blocks,
                      cCheckedVector<cCharaDef>& charas, cCheckedVector<cItemDef>& items) {
  json.Key(key);
  json.BeginObject();
  WriteList(json, "blocks", blocks, WriteBlock);
  WriteList(json, "characters", charas, WriteChara);
  WriteList(json, "items", items, WriteItem);
  json.EndObject();
}

}  // namespace

void WriteStageJson(cJsonWriter& json, cStageData& stage) {
  json.BeginObject();
  json.Key("kind");
  json.Text("stage");
  json.Key("header");
  WritePlainRecord(json, stage);
  WriteInts(json, "counterSwitches", stage.m_CounterSwitches);
  json.Key("outAreaRules");
  json.BeginArray();
  for (cOutAreaRule& rule : stage.m_OutAreaRules) WritePlainRecord(json, rule);
  json.EndArray();
  WriteDefinitions(json, "palette", stage.m_PaletteBlocks, stage.m_PaletteCharas, stage.m_PaletteItems);
  WriteDefinitions(json, "placed", stage.m_PlacedBlocks, stage.m_PlacedCharas, stage.m_PlacedItems);
  WriteList(json, "backgroundLayers", stage.m_BgLayers, WritePlainRecord);
  WriteList(json, "nameRecords", stage.m_NameRecords, WritePlainRecord);
  json.EndObject();
}

void WritePaletteJson(cJsonWriter& json, cPalette& palette) {
  json.BeginObject();
  json.Key("kind");
  json.Text("commonPalette");
  WriteList(json, "blocks", palette.m_Blocks, WriteBlock);
  WriteList(json, "characters", palette.m_Charas, WriteChara);
  WriteList(json, "items", palette.m_Items, WriteItem);
  json.EndObject();
}

void WriteRecordBody(cJsonWriter& json, cDataRecord& record) { WriteBody(json, record); }

void WritePlainRecordJson(cJsonWriter& json, cDataRecord& record) { WritePlainRecord(json, record); }

void WriteCharaJson(cJsonWriter& json, cCharaDef& chara) { WriteChara(json, chara); }
