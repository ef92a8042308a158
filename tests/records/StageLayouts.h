#pragma once
// The stored layouts of blocks, stage files and palettes, written here from
// their layout tables (independent of our RegisterFields), with builders for
// files of any data version.
#include <string>
#include <vector>

#include "DefinitionLayouts.h"

namespace recordtest {

inline const Layout kBlockLayout = {
    {"inheritSrc", 1}, {"inheritIdx", 2}, {"condMode", 1},    {"condLatch", 1}, {"chip", 2},        {"graphicSrc", 1},
    {"column", 2},     {"layer", 1},      {"hidden", 1},      {"overlay", 1},   {"overlayMark", 2}, {"hitKind", 1},
    {"passGroup", 1},  {"effectKind", 1}, {"effectValue", 4}, {"itemSrc", 1},   {"itemIdx", 2},     {"protected", 1},
};
// What a default block stores: no chip, so no hit (255: no pass-through group).
inline const Values kBlockDefaults = {{"passGroup", 255}};

// Definition parts without designated initialisers (which -Wextra flags for
// the members left out).
inline DefinitionParts Parts(std::vector<int> flags, std::string name = "", int mapX = 0, int mapY = 0) {
  DefinitionParts parts;
  parts.flags = std::move(flags);
  parts.name = std::move(name);
  parts.mapX = static_cast<std::int16_t>(mapX);
  parts.mapY = static_cast<std::int16_t>(mapY);
  return parts;
}
inline std::vector<int> NoFlags(std::size_t groups) { return std::vector<int>(groups, 0); }

inline Bytes BlockDef(int version, const Values& values, const DefinitionParts& d) {
  ByteBuilder b;
  b.Append(Body(kBlockLayout, version, values, {d.name})).I16(d.mapX).I16(d.mapY);
  b.U32(static_cast<std::uint32_t>(d.flags.size()));
  for (int f : d.flags) b.U8(f);
  return b.Append(List(d.conditions)).Get();
}
// A default entry of a definition class, as our Save writes it (the class's
// own tests check that against its table).
template <typename Def>
Bytes DefaultBody() {
  Def def;
  return SaveBody(def);
}

inline Bytes DefaultBlock() { return BlockDef(696, kBlockDefaults, Parts(NoFlags(11))); }

// One field per row of the stage settings table, in file order.
inline const Layout kStageHeaderLayout = {
    {"mapWidth", 4},
    {"row2", 4},
    {"row3", 4},
    {"mapHeight", 4},
    {"limitLeftOn", 4},
    {"limitRightOn", 4},
    {"limitTopOn", 4},
    {"limitBottomOn", 4},
    {"limitLeft", 4},
    {"limitRight", 4},
    {"limitTop", 4},
    {"limitBottom", 4},
    {"frameRate", 4},
    {"timeLimitOn", 4},
    {"timeLimit", 4},
    {"timeWarning", 4},
    {"scrollModeX", 4},
    {"scrollModeY", 4},
    {"scrollSpeedX", 4},
    {"scrollSpeedY", 4},
    {"gravity", 8},
    {"collisionLevel", 4},
    {"hitPasses", 4},
    {"bgm", 4},
    {"bgmLoop", 4, 166},
    {"keepBgm", 4, 199},
    {"drawLayers", 4},
    {"takeStatus", 4},
    {"storeStatus", 4},
    {"showStatus", 4, 183},
    {"quickClear", 4, 184},
    {"stageCaption", 4},
    {"secondCaption", 4, 225},
    {"clearCaption", 4},
    {"gameOverCaption", 4},
    {"hero1w", 4, 200},
    {"hero1h", 4, 200},
    {"hero2w", 4, 200},
    {"hero2h", 4, 200},
    {"hero3w", 4},
    {"hero3h", 4},
    {"hero4w", 4, 155},
    {"hero4h", 4, 155},
    {"hero5w", 4},
    {"hero5h", 4},
    {"hero6w", 4},
    {"hero6h", 4},
    {"heroAlign1", 4, 200},
    {"heroAlign2", 4, 200},
    {"sizeAlign1", 4, 155},
    {"sizeAlign2", 4, 155},
    {"partFactor1", 4, 200},
    {"partFactor2", 4},
    {"partFactor3", 4},
    {"partFactor4", 4},
    {"partSelector1", 4, 200},
    {"partSelector2", 4},
    {"partSelector3", 4},
    {"partSelector4", 4},
    {"chara1w", 4, 200},
    {"chara1h", 4, 200},
    {"chara2w", 4, 200},
    {"chara2h", 4, 200},
    {"chara3w", 4},
    {"chara3h", 4},
    {"chara4w", 4, 155},
    {"chara4h", 4, 155},
    {"chara5w", 4},
    {"chara5h", 4},
    {"charaAlign1", 4, 200},
    {"charaAlign2", 4, 200},
    {"charaAlign3", 4, 155},
    {"charaAlign4", 4, 155},
    {"itemW", 4},
    {"itemH", 4},
    {"box1w", 4},
    {"box1h", 4},
    {"box2w", 4},
    {"box2h", 4},
    {"box3w", 4},
    {"box3h", 4},
    {"box4w", 4},
    {"box4h", 4},
    {"row84", 4},
    {"extentX", 4},
    {"extentY", 4},
    {"steps", 4},
    {"dSteps", 8},
    {"dSteps2", 8},
    {"speedLimit", 8},
    {"gravityPerStep", 8},
    {"speedLimitPerStep", 8},
    {"steps8", 4},
    {"activeHitsOnly", 4},
    {"hitTime1", 4},
    {"hitTime2", 4},
    {"hitTime3", 4},
    {"hitTime4", 4},
};

// The defaults of the settings table, with the derived fields of level 10.
inline Values StageHeaderDefaults() {
  return {{"frameRate", 60},
          {"timeLimit", 200},
          {"timeWarning", 20},
          {"gravity", 0.4},
          {"collisionLevel", 10},
          {"drawLayers", 1},
          {"showStatus", 1},
          {"secondCaption", 1},
          {"clearCaption", 1},
          {"gameOverCaption", 1},
          {"hero1w", 16},
          {"hero1h", 24},
          {"hero2w", 16},
          {"hero2h", 16},
          {"hero3w", 16},
          {"hero3h", 24},
          {"hero4w", 16},
          {"hero4h", 16},
          {"hero5w", 12},
          {"hero5h", 8},
          {"hero6w", 16},
          {"hero6h", 16},
          {"heroAlign1", 1},
          {"sizeAlign1", 1},
          {"chara1w", 16},
          {"chara1h", 24},
          {"chara2w", 16},
          {"chara2h", 16},
          {"chara3w", 12},
          {"chara3h", 24},
          {"chara4w", 12},
          {"chara4h", 16},
          {"chara5w", 30},
          {"chara5h", 30},
          {"charaAlign1", 1},
          {"charaAlign3", 1},
          {"itemW", 28},
          {"itemH", 28},
          {"box1w", 16},
          {"box1h", 16},
          {"box2w", 16},
          {"box2h", 16},
          {"box3w", 16},
          {"box3h", 16},
          {"box4w", 16},
          {"box4h", 16},
          {"row84", 1},
          {"activeHitsOnly", 1},
          {"hitTime1", 30},
          {"hitTime3", 30},
          {"steps", 10},
          {"dSteps", 10},
          {"dSteps2", 100},
          {"speedLimit", 60},
          {"gravityPerStep", 0.4 / 100.0},
          {"speedLimitPerStep", 6},
          {"steps8", 80}};
}

inline const Layout kOutAreaRuleLayout = {
    {"leftOn", 4}, {"rightOn", 4, 125}, {"topOn", 4, 125}, {"bottomOn", 4, 125},
    {"left", 4},   {"right", 4},        {"top", 4},        {"bottom", 4},
};

inline Bytes OutAreaRule(int version, int on, int margin) {
  return Body(kOutAreaRuleLayout, version,
              {{"leftOn", on},
               {"rightOn", on},
               {"topOn", on},
               {"bottomOn", on},
               {"left", margin},
               {"right", margin},
               {"top", margin},
               {"bottom", margin}});
}
// The five default rules: 1 to 3 off, 4 on, 5 on with margins of 10 cells.
inline std::vector<Bytes> DefaultRules(int version) {
  return {OutAreaRule(version, 0, 0), OutAreaRule(version, 0, 0), OutAreaRule(version, 0, 0),
          OutAreaRule(version, 1, 0), OutAreaRule(version, 1, 10)};
}

inline const Layout kBgLayerLayout = {
    {"shown", 4, 62},          {"fill", 4},
    {"fillColor", 4},          {"front", 4},
    {"oldFactorX", 4, 0, 61},  {"oldFactorY", 4, 0, 61},
    {"factorX", 8, 61},        {"factorY", 8, 61},
    {"autoX", 4, 61},          {"autoY", 4, 61},
    {"v61OffsetX", 4, 61, 62}, {"v61OffsetY", 4, 61, 62},
    {"offsetX", 8, 62},        {"offsetY", 8, 62},
};
inline const Values kBgLayerDefaults = {{"shown", 1}, {"fillColor", 16}, {"factorX", 0.1}, {"factorY", 0.1}};

struct StageParts {
  Values header = StageHeaderDefaults();
  std::string name;
  std::vector<std::int32_t> switches = {1, 1, 1, 1, 1};
  std::vector<Bytes> rules;  // five bodies; the default rules when empty
  std::vector<Bytes> paletteBlocks, paletteCharas, paletteItems;
  std::vector<Bytes> placedBlocks, placedCharas, placedItems;  // each without its leading word
  std::vector<Bytes> layers;
  std::vector<std::string> names;
};

inline Bytes PlacedList(const std::vector<Bytes>& entries) {
  ByteBuilder b;
  b.U32(static_cast<std::uint32_t>(entries.size()));
  for (const Bytes& e : entries) b.U32(0).Append(e);
  return b.Get();
}

// A whole stage file as `version` wrote it (the end mark from 173 on).
inline Bytes StageFile(int version, const StageParts& s) {
  ByteBuilder b;
  b.I32(version).Append(Body(kStageHeaderLayout, version, s.header, {s.name}));
  b.U32(static_cast<std::uint32_t>(s.switches.size()));
  for (std::int32_t v : s.switches) b.I32(v);
  for (const Bytes& rule : s.rules.empty() ? DefaultRules(version) : s.rules) b.Append(rule);
  b.Append(List(s.paletteBlocks)).Append(List(s.paletteCharas)).Append(List(s.paletteItems));
  b.Append(PlacedList(s.placedBlocks)).Append(PlacedList(s.placedCharas)).Append(PlacedList(s.placedItems));
  b.Append(List(s.layers));
  b.U32(static_cast<std::uint32_t>(s.names.size()));
  for (const std::string& n : s.names) b.U32(0).U32(1).Str(n);
  if (version >= 173) b.U32(123456789);
  return b.Get();
}

// Where two byte strings first differ (their common length when one is a
// prefix of the other), for failure messages.
inline std::string FirstDifference(const Bytes& a, const Bytes& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at " +
         std::to_string(i);
}

// A common palette file: no fields, no strings, then the three lists.
inline Bytes PaletteFile(int version, const std::vector<Bytes>& blocks, const std::vector<Bytes>& charas,
                         const std::vector<Bytes>& items) {
  return ByteBuilder().I32(version).U32(0).U32(0).Append(List(blocks)).Append(List(charas)).Append(List(items)).Get();
}

}  // namespace recordtest
