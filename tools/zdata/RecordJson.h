#pragma once
// Record files as JSON: every registered field in file order (a field of
// several elements as an array), the strings, and each class's lists by name.
#include "Json.h"
#include "records/Palette.h"
#include "records/StageData.h"

void WriteStageJson(cJsonWriter& json, cStageData& stage);
// The record's fields and strings (keys "fields" and "strings") inside an
// object the caller has opened; as an object of its own; a character definition.
void WriteRecordBody(cJsonWriter& json, cDataRecord& record);
void WritePlainRecordJson(cJsonWriter& json, cDataRecord& record);
void WriteCharaJson(cJsonWriter& json, cCharaDef& chara);

template <typename Int>
void WriteInts(cJsonWriter& json, const char* key, const cCheckedVector<Int>& values) {
  json.Key(key);
  json.BeginArray();
  for (Int value : values) json.Number(static_cast<long long>(value));
  json.EndArray();
}

template <typename Record, typename WriteOne>
void WriteList(cJsonWriter& json, const char* key, cCheckedVector<Record>& list, WriteOne writeOne) {
  json.Key(key);
  json.BeginArray();
  for (Record& record : list) writeOne(json, record);
  json.EndArray();
}
void WritePaletteJson(cJsonWriter& json, cPalette& palette);
