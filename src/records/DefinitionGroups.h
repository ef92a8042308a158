#pragma once
// Property groups that block, character and item definitions share; each is
// one copy operation of their inherit tables.

template <typename Def>
void CopyNameGroup(Def& self, const Def& source) {
  self.m_strName = source.m_strName;
}

// The appearance conditions (the whole list), their mode and latch.
template <typename Def>
void CopyAppearanceGroup(Def& self, const Def& source) {
  self.m_vConditions = source.m_vConditions;
  self.m_nCondMode = source.m_nCondMode;
  self.m_bCondLatch = source.m_bCondLatch;
}
