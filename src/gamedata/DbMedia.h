#pragma once
// The databases that name graphic, sound and music files: character bitmaps,
// sword types with their parts, pictures, sounds and background music.
#include <string>

#include "records/DataRecord.h"

// Cell sizes (in units of 32 dots) of large-cell bitmaps are clamped to this
// range at load: 16 / size cells make a row, so 0 cannot stand.
constexpr int MIN_LARGE_CELL_SIZE = 1;
constexpr int MAX_LARGE_CELL_SIZE = 16;

class cDbBmpCharaExc : public cDataRecord {
 public:
  cDbBmpCharaExc();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void SetDefault();

  std::string m_Name;
  int m_nEditorValue = 0;
  std::string m_File;
  int m_bLargeCell = 0;  // cells of (cell size x 32) dots instead of 32
  int m_nCellSize = 2;
};

class cDbSwordPart : public cDataRecord {
 public:
  cDbSwordPart();
  void RegisterFields(int nVersion) override;
  void SetDefault();

  int m_nOffsetX = 0;
  int m_nOffsetY = 0;
  int m_bMirrorX = 1;
  int m_bMirrorY = 0;
  int m_nPlacement = 0;  // 0 facing side, 1 opposite side, 2 above, 3 below
  int m_nSourceX = 0;
  int m_nSourceY = 0;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nDuration = 0;  // tenths of a second
};

class cDbSwordType : public cDataRecord {
 public:
  cDbSwordType();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();
  // The sword command's time: the parts' durations, at most 9999.
  int TotalDuration() const;

  std::string m_Name;
  int m_nEditorValue = 0;
  std::string m_Image[2];  // per facing direction
  cCheckedVector<cDbSwordPart> m_Parts;
};

// A name, an editor value and one file: pictures, sounds and music.
class cDbMediaFile : public cDataRecord {
 public:
  cDbMediaFile();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;

  std::string m_Name;
  int m_nEditorValue = 0;
  std::string m_File;
};

class cDbPicture final : public cDbMediaFile {};
class cDbSound final : public cDbMediaFile {};
class cDbBgm final : public cDbMediaFile {};
