#pragma once
// The stored layouts of the definition and flow records, written here from
// their layout tables (not from our RegisterFields), with a writer that lays
// out the body any data version stored. Old-version files for the migration
// tests are built with it.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "RecordTestSupport.h"
#include "records/DataRecord.h"

namespace recordtest {

struct FieldSpec {
  const char* name;
  int size;             // bytes of one element: 1, 2, 4 or 8 (a double)
  int from = 0;         // first version that stores it
  int below = INT_MAX;  // first version that no longer stores it
  int count = 1;
  bool StoredIn(int version) const { return version >= from && version < below; }
};
using Layout = std::vector<FieldSpec>;
// Field values by name; every element of an array field takes the value.
using Values = std::map<std::string, double>;

// A nested record body read at `version`, which must take every byte.
template <typename Record>
inline void LoadBody(Record& record, const Bytes& bytes, int version, const cLoadContext& ctx = {}) {
  cRecordReader in(bytes, "body");
  in.SetVersion(version);
  record.Load(in, ctx);
  EXPECT_EQ(in.Remaining(), 0u) << "bytes left unread";
}

template <typename Record>
inline Bytes SaveBody(Record& record, const cLoadContext& ctx = {}) {
  cRecordWriter out;
  record.Save(out, ctx);
  return out.Bytes();
}

inline std::size_t FieldCount(const Layout& layout, int version) {
  std::size_t n = 0;
  for (const FieldSpec& f : layout) n += f.StoredIn(version) ? 1 : 0;
  return n;
}
inline std::size_t FieldBytes(const Layout& layout, int version) {
  std::size_t n = 0;
  for (const FieldSpec& f : layout)
    if (f.StoredIn(version)) n += static_cast<std::size_t>(f.size * f.count);
  return n;
}

// A record body as `version` stores it: the field count, the fields present in
// that version (values by name, 0 otherwise), the strings.
inline Bytes Body(const Layout& layout, int version, const Values& values = {},
                  const std::vector<std::string>& strings = {}) {
  ByteBuilder b;
  b.U32(static_cast<std::uint32_t>(FieldCount(layout, version)));
  for (const FieldSpec& f : layout) {
    if (!f.StoredIn(version)) continue;
    auto found = values.find(f.name);
    double v = found == values.end() ? 0 : found->second;
    for (int i = 0; i < f.count; ++i) {
      switch (f.size) {
        case 1:
          b.U8(static_cast<int>(v));
          break;
        case 2:
          b.I16(static_cast<int>(v));
          break;
        case 4:
          b.I32(static_cast<std::int32_t>(v));
          break;
        default:
          b.F64(v);
          break;
      }
    }
  }
  b.U32(static_cast<std::uint32_t>(strings.size()));
  for (const std::string& s : strings) b.Str(s);
  return b.Get();
}

inline const Layout kConditionLayout = {
    {"kind", 1},
    {"value", 4},
    {"obsolete1", 2, 0, 110},
    {"obsolete2", 2, 0, 110},
    {"randomLow", 4, 110},
    {"randomHigh", 4, 110},
    {"subject", 1, 110},
    {"selector", 1, 110},
    {"leftClass", 1, 110},
    {"leftVarKind", 1, 110},
    {"index", 2, 110},
    {"rightSource", 1, 110},
    {"rightOwner", 1, 110},
    {"rightSelector", 1, 110},
    {"rightVarKind", 1, 110},
    {"rightIndex", 2, 110},
    {"operator", 1},
    {"percent", 1, 43},
    {"shape", 1},
};

inline const Layout kKeyConditionLayout = {
    {"mirror", 1}, {"minFrames", 2}, {"maxFrames", 2}, {"anyLength", 1}, {"mode", 1}};

inline const Layout kFlowLayout = {{"id", 1},    {"letter", 1},  {"marker", 1},       {"conditionMode", 1},
                                   {"latch", 1}, {"trigger", 1}, {"keyAllowance", 1}, {"keyContinuous", 1}};

inline const Layout kCommandLayout = {{"itemFlag", 1},    {"type", 1},  {"time", 2},          {"timeStep", 2},
                                      {"nonBlocking", 1}, {"sound", 2}, {"soundOnScreen", 1}, {"anime", 2}};

inline const Layout kEdMoveLayout = {
    {"targetMode", 1},
    {"direction", 1},
    {"angle", 2},
    {"angleStep", 2},
    {"mirrorAngle", 1, 158},
    {"useX", 1},
    {"useY", 1},
    {"cellX", 2},
    {"cellY", 2},
    {"dotX", 2},
    {"dotY", 2},
    {"coordMode", 1},
    {"stopOnArrival", 1},
    {"noMoveX", 1},
    {"noMoveY", 1},
    {"mirrorX", 1},
    {"mirrorY", 1},
    {"reverse", 1},
    {"snap", 1},
    {"keepFacing", 1, 162},
    {"timeMode", 1},
    {"speed", 2},
    {"speedStep", 2},
    {"distance", 2},
    {"distanceStep", 2},
    {"unit", 1, 159},
    {"radius", 2},
    {"radiusStep", 2},
    {"inertia", 1},
    {"maxSpeed", 2},
    {"brake", 8},
    {"noMoveAnime", 1, 162},
};

inline const Layout kEdShotLayout = {
    {"shotCount", 1},
    {"pattern", 1},
    {"patternParam", 2, 0, INT_MAX, 3},
    {"reference", 1, 671},
    {"direction", 1},
    {"aim", 1},
    {"angle", 2},
    {"angleStep", 2},
    {"mirrorAngle", 1, 158},
    {"spread", 2},
    {"turnedStart", 1},
    {"repeat", 1},
    {"xBase", 2},
    {"xStep", 2},
    {"yBase", 2},
    {"yStep", 2},
    {"mirrorX", 1},
    {"mirrorY", 1},
    {"graphic", 2},
    {"member20", 1},
    {"hidden", 1},
    {"groupFromShooter", 1},
    {"group", 1},
    {"member24", 1},
    {"size", 1},
    {"member26", 1},
    {"trajectory", 1},
    {"trajParam", 2, 0, INT_MAX, 3},
    {"scrollCarry", 1, 211},
    {"speed", 2},
    {"speedStep", 2},
    {"accelFlag", 1, 213},
    {"accel", 2, 213},
    {"accelStep", 2, 213},
    {"range", 2},
    {"rangeFlag", 1},
    {"rangeStep", 2},
    {"stay", 1},
    {"lifetimeFlag", 1},
    {"lifetime", 2},
    {"lifetimeStep", 2},
    {"blockPass", 1},
    {"pierce", 1},
    {"secondPierce", 1, 636},
    {"clash", 1},
    {"clashStrength", 1},
    {"power", 4},
    {"member48", 2},
    {"impact", 1},
    {"hitEffect", 2},
    {"itemSource", 1},
    {"itemIndex", 2},
    {"blockSummonMode", 1},
    {"heroGuard", 1},
    {"charaGuard", 1, 197},
    {"summonPalette", 1},
    {"summonIndex", 2},
    {"summonGroupMode", 1},
    {"noDefeatScore", 1},
    {"facingFlip", 1},
};

// Character definition members 4 to 59 less the lists and the name.
inline const Layout kCharaLayout = {
    {"inheritSrc", 1},
    {"inheritIdx", 2},
    {"condMode", 1},
    {"condLatch", 1},
    {"facing", 1},
    {"extraCopies", 1},
    {"xBase", 2},
    {"xStep", 2},
    {"yBase", 2},
    {"yStep", 2},
    {"mirrorX", 1},
    {"mirrorY", 1},
    {"graphic", 2},
    {"graphicSrc", 1},
    {"graphicCol", 2},
    {"animeSet", 2},
    {"z", 1},
    {"transparent", 1},
    {"spawnEffect", 2},
    {"spawnEffectMode", 1, 196},
    {"spawnEffectParam", 1},
    {"vanishEffect", 2},
    {"vanishEffectMode", 1, 196},
    {"markDisplay", 1},
    {"mark", 2},
    {"operator", 1},
    {"playerNo", 1},
    {"group", 1},
    {"charaId", 1},
    {"flying", 1},
    {"fixedFacing", 1},
    {"invincible", 1},
    {"invincibleTint", 1, 285},
    {"blockChara", 1},
    {"giant", 1},
    {"scrollSync", 1, 210},
    {"sightShape", 1},
    {"sight", 1},
    {"maxHp", 4},
    {"maxSp", 4},
    {"stopEase", 2},
    {"boxChoice", 1, 201},
    {"bodyPower", 4},
    {"bodyImpact", 1},
    {"effect", 2},
    {"defence", 4, 168},
    {"impactResist", 1},
    {"score", 4},
    {"member55", 1},
    {"groupActivation", 1},
    {"activationGroup", 2},
    {"activeRange", 1},
    {"activationRule", 1},
};

inline const Layout kItemLayout = {
    {"inheritSrc", 1}, {"inheritIdx", 2},  {"condMode", 1},   {"condLatch", 1}, {"member10", 2}, {"member11", 2},
    {"graphic", 2},    {"graphicSrc", 1},  {"graphicCol", 2}, {"member15", 1},  {"hidden", 1},   {"overlay", 1},
    {"mark", 2},       {"showGraphic", 1}, {"pickUpMode", 1}, {"size", 1},      {"sound", 2},
};

// A list: its count, then the elements' bytes.
inline Bytes List(const std::vector<Bytes>& elements) {
  ByteBuilder b;
  b.U32(static_cast<std::uint32_t>(elements.size()));
  for (const Bytes& e : elements) b.Append(e);
  return b.Get();
}

inline Bytes KeyCondition(const Values& values, const std::vector<int>& keys) {
  ByteBuilder b;
  b.Append(Body(kKeyConditionLayout, 696, values)).U32(static_cast<std::uint32_t>(keys.size()));
  for (int k : keys) b.U8(k);
  return b.Get();
}

// A flow: body (the name stored from 676), conditions, key conditions, commands.
inline Bytes Flow(int version, const Values& values, const std::string& name = "",
                  const std::vector<Bytes>& conditions = {}, const std::vector<Bytes>& keyConditions = {},
                  const std::vector<Bytes>& commands = {}) {
  std::vector<std::string> strings;
  if (version >= 676) strings.push_back(name);
  return ByteBuilder()
      .Append(Body(kFlowLayout, version, values, strings))
      .Append(List(conditions))
      .Append(List(keyConditions))
      .Append(List(commands))
      .Get();
}

struct CommandParts {
  Values values{};
  std::string text{};
  const Bytes* move = nullptr;  // a settings body, or none
  const Bytes* shot = nullptr;
  std::uint32_t movePresence = 1;  // the word written when `move` is given
  std::uint32_t shotPresence = 1;
  std::vector<Bytes> flows{};
  std::vector<std::int32_t> params{};
};

inline Bytes Command(int version, const CommandParts& c) {
  ByteBuilder b;
  b.Append(Body(kCommandLayout, version, c.values, {c.text}));
  if (c.move)
    b.U32(c.movePresence).Append(*c.move);
  else
    b.U32(0);
  if (c.shot)
    b.U32(c.shotPresence).Append(*c.shot);
  else
    b.U32(0);
  b.Append(List(c.flows)).U32(static_cast<std::uint32_t>(c.params.size()));
  for (std::int32_t p : c.params) b.I32(p);
  return b.Get();
}

struct DefinitionParts {
  std::string name{};
  std::int16_t mapX = 0, mapY = 0;
  std::int32_t carriedItem = 0;  // characters only
  std::vector<int> flags{};
  std::vector<Bytes> conditions{};
  std::vector<Bytes> tail{};  // flows of a character, commands of an item
};

// The layout every definition shares after its body: map X and Y, a
// character's carried item, the inherit flags, the conditions, then its
// flows (characters) or commands (items).
inline Bytes Definition(const Layout& layout, int version, const Values& values, const DefinitionParts& d,
                        bool carriesItem) {
  ByteBuilder b;
  b.Append(Body(layout, version, values, {d.name})).I16(d.mapX).I16(d.mapY);
  if (carriesItem) b.I32(d.carriedItem);
  b.U32(static_cast<std::uint32_t>(d.flags.size()));
  for (int f : d.flags) b.U8(f);
  return b.Append(List(d.conditions)).Append(List(d.tail)).Get();
}

inline Bytes CharaDef(int version, const Values& values, const DefinitionParts& d) {
  return Definition(kCharaLayout, version, values, d, true);
}

inline Bytes ItemDef(int version, const Values& values, const DefinitionParts& d) {
  return Definition(kItemLayout, version, values, d, false);
}

}  // namespace recordtest
