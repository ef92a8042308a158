#pragma once
// The descriptors the three fonts of the game are made from.
#include <array>
#include <span>
#include <string>
#include <string_view>

struct FONTDESCDATA {
  char szFaceName[256] = {};  // CP932, NUL-terminated
  int nWidth = 0;             // character size asked of the system font
  int nHeight = 0;
  int nPitchX = 0;  // grid: advance per character and per line; 0 = proportional
  int nPitchY = 0;
  int nColor = 0;        // palette number of the text
  int nWindowSD = 0;     // user surface of the window background
  int nBorder = 0;       // window border thickness
  int nBorderColor = 0;  // palette number
  int nSymbolSD = 0;     // user surface of the symbol sheet
  int bFastFont = 0;     // 0: no glyph atlases; 2: the System.ini choice of the back end
};

constexpr int FONT_COUNT = 3;
constexpr int FAST_FONT_CONFIGURED = 2;

// The three descriptors of a new game: the 9-, 16- and 30-pixel fonts.
std::array<FONTDESCDATA, FONT_COUNT> DefaultFontDesc();

// Stores the face name, cut to what the name field holds without splitting a
// double-byte character.
void SetFontFace(FONTDESCDATA& desc, std::string_view face);

// Start-up's preparation of the descriptors: every font takes the face the
// system data's font index names, and a fast-font choice of 2 becomes the
// back end's System.ini setting (D3D_FontCache or DD_FontCache).
void PrepareFontDesc(std::span<FONTDESCDATA> desc, std::span<const std::string> faces, int fontIndex,
                     int fastFontSetting);

// The face a stored font index names; an index outside the list is clamped
// into it (an empty list names the empty face, the default font).
std::string_view FontFaceAt(std::span<const std::string> faces, int index);
