#pragma once
// Glyphs of the system's fonts, in place of GDI and D3DX fonts: a face opened by
// its stored (Windows, CP932) name at a cell height, giving per-character
// coverage images and advances. Fonts composite these into surfaces themselves.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {

// The DirectDraw path drew with GDI (hard edges); the Direct3D path with D3DX
// (smoothed edges blended into the target).
enum class GlyphMode { Monochrome, Antialiased };

struct Glyph {
  int left = 0;     // from the pen's x to the image's first column
  int top = 0;      // from the top of the character cell to the image's first row
  int advance = 0;  // pen movement after the character
  int width = 0;
  int height = 0;
  std::vector<BYTE> coverage;  // width x height, 0 (none) to 255 (full); Monochrome uses 0 and 255 only

  BYTE At(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
};

struct TextExtent {
  int width = 0;
  int height = 0;
  constexpr bool operator==(const TextExtent&) const = default;
};

class GlyphFace {
 public:
  virtual ~GlyphFace() = default;
  // Height of one line: the cell height the face was opened with.
  virtual int CellHeight() const = 0;
  // The glyph of one character (one or two CP932 bytes). The reference stays
  // valid as long as the face; a character the face lacks has no ink.
  virtual const Glyph& GetGlyph(std::string_view cp932Character, GlyphMode mode) = 0;
};

class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // faceName is the stored CP932 name; height the cell height in pixels, width
  // the average width of a half-width character (0: the face's own proportions).
  // Null when no face can be opened.
  virtual std::unique_ptr<GlyphFace> OpenFace(std::string_view faceName, int height, int width) = 0;
};

// FreeType with fontconfig. Windows face names map to installed Japanese fonts,
// anything unknown to IPAGothic. ZANDREL_FAIL=font makes every open fail.
GlyphSource& SystemGlyphSource();

// Starts fontconfig's set-up (its configuration and caches) on a thread of its
// own, beside the rest of start-up; the first use of fonts waits for it.
void StartFontSetUp();

// The file of the first installed host family for a face name (UTF-8); empty
// when none is installed.
std::string HostFontFile(std::string_view faceNameUtf8);

// The host font families tried, in order, for a stored face name (decoded to UTF-8).
std::vector<std::string> HostFamiliesFor(std::string_view faceNameUtf8);

}  // namespace platform
