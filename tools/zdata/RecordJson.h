#pragma once
// Record files as JSON: every registered field in file order (a field of
// several elements as an array), the strings, and each class's lists by name.
#include "Json.h"
#include "records/Palette.h"
#include "records/StageData.h"

void WriteStageJson(cJsonWriter& json, cStageData& stage);
void WritePaletteJson(cJsonWriter& json, cPalette& palette);
