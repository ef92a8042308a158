#include "records/StageParts.h"

void cOutAreaRule::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_bSwitch[kLeft]);
  AddField4(m_bSwitch[kRight], 125);
  AddField4(m_bSwitch[kTop], 125);
  AddField4(m_bSwitch[kBottom], 125);
  for (auto& margin : m_nMargin) AddField4(margin);
}

void cOutAreaRule::Set(std::array<int, 4> switches, std::array<int, 4> margins) {
  m_bSwitch = switches;
  m_nMargin = margins;
}

void cBgLayer::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_bShow, 62);
  AddField4(m_bFill);
  AddField4(m_nFillColor);
  AddField4(m_bFront);
  AddScratch4(2, 61);  // the factors, as ints, before they became doubles
  AddField8(m_dFactorX, 61);
  AddField8(m_dFactorY, 61);
  AddField4(m_bAutoX, 61);
  AddField4(m_bAutoY, 61);
  AddStrField(m_strPicture);
  // Version 61 alone stored two ints where the offsets came later.
  if (nVersion == 61) AddScratch4(2, 62);
  AddField8(m_dOffsetX, 62);
  AddField8(m_dOffsetY, 62);
}

void cBgLayer::SetDefault() {
  ResetFields();
  m_bShow = 1;
  m_nFillColor = 16;
  m_dFactorX = 0.1;
  m_dFactorY = 0.1;
}

void cNameRecord::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_strName);
}
