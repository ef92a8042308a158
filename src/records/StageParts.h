#pragma once
// The small records a stage holds besides its header and definitions: the
// out-of-area rules, the background layers and the name records.
#include <array>
#include <cstdint>
#include <string>

#include "records/DataRecord.h"

// Removes objects that leave the visible area; the stage holds five (1
// characters, 2 characters acting as moving blocks, 3 items, 4 and 5 shots).
class cOutAreaRule final : public cDataRecord {
 public:
  enum Edge { kLeft, kRight, kTop, kBottom };

  cOutAreaRule() { ResetFields(); }
  void RegisterFields(int nVersion) override;
  void Set(std::array<int, 4> switches, std::array<int, 4> margins);

  std::array<std::int32_t, 4> m_bSwitch{};  // left, right, top, bottom: 1 = on
  std::array<std::int32_t, 4> m_nMargin{};  // in map cells, by the same edges
};

class cBgLayer final : public cDataRecord {
 public:
  cBgLayer() { SetDefault(); }
  void RegisterFields(int nVersion) override;
  void SetDefault();

  std::int32_t m_bShow = 1;
  std::int32_t m_bFill = 0;        // 1: a plain fill in m_nFillColor instead of the picture
  std::int32_t m_nFillColor = 16;  // palette colour number 0-255
  std::int32_t m_bFront = 0;       // 0 back pass, 1 front pass
  double m_dFactorX = 0.1;         // follow factor, or offset per frame while scrolling by itself
  double m_dFactorY = 0.1;
  std::int32_t m_bAutoX = 0;
  std::int32_t m_bAutoY = 0;
  std::string m_strPicture;
  double m_dOffsetX = 0;  // running offset of automatic scrolling
  double m_dOffsetY = 0;
};

// A name the editor keeps with the stage; the player only carries it.
class cNameRecord final : public cDataRecord {
 public:
  cNameRecord() { ResetFields(); }
  void RegisterFields(int nVersion) override;

  std::string m_strName;
};
