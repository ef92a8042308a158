#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <strings.h>

#include <array>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/Harness.h"
#include "platform/TextCodec.h"
#include "platform/glyphs/GlyphSource.h"

namespace platform {
namespace {

// UTF-8 to one code point; U+FFFD for anything malformed.
char32_t FirstCodePoint(std::string_view utf8) {
  if (utf8.empty()) return 0xFFFD;
  auto b0 = static_cast<BYTE>(utf8[0]);
  if (b0 < 0x80) return b0;
  int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
  if (extra < 0 || utf8.size() < static_cast<size_t>(extra) + 1) return 0xFFFD;
  char32_t code = b0 & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) code = (code << 6) | (static_cast<BYTE>(utf8[i]) & 0x3F);
  return code;
}

// CP932 characters are decoded once each through iconv and remembered.
char32_t DecodeCp932Character(std::string_view character) {
  static std::mutex mutex;
  static std::unordered_map<unsigned, char32_t> decoded;
  unsigned key = static_cast<BYTE>(character[0]);
  if (character.size() > 1) key = (key << 8) | static_cast<BYTE>(character[1]);
  std::lock_guard lock(mutex);
  auto found = decoded.find(key);
  if (found != decoded.end()) return found->second;
  char32_t code = FirstCodePoint(Cp932ToUtf8(character));
  decoded.emplace(key, code);
  return code;
}

std::shared_future<void>& FontSetUp() {
  static std::shared_future<void> setUp;
  return setUp;
}

// fontconfig set up, by the thread started ahead when there is one.
void InitFontconfig() {
  if (const std::shared_future<void> setUp = FontSetUp(); setUp.valid()) setUp.wait();
  FcInit();
}

struct FontFile {
  std::string path;
  int index = 0;
};

bool FamilyMatches(FcPattern* match, const std::string& wanted) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    if (strcasecmp(reinterpret_cast<const char*>(family), wanted.c_str()) == 0) return true;
  }
  return false;
}

// The installed file of exactly this family; fontconfig's nearest match of
// another family does not count, so the next candidate is tried instead.
std::optional<FontFile> FindFamily(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;
  std::optional<FontFile> file;
  FcChar8* path = nullptr;
  int index = 0;
  if (FamilyMatches(match, family) && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    file = FontFile{reinterpret_cast<const char*>(path), index};
  }
  FcPatternDestroy(match);
  return file;
}

// The FreeType library and the lock around opening and closing its faces.
// Faces share it, so a face closed after the source (at exit) is still safe.
struct Library {
  Library() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~Library() {
    if (library) FT_Done_FreeType(library);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  FT_Library library = nullptr;
  std::mutex mutex;
};

struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

class FreeTypeFace final : public GlyphFace {
 public:
  FreeTypeFace(std::shared_ptr<Library> library, std::vector<FacePtr> faces, int height)
      : m_library(std::move(library)), m_faces(std::move(faces)), m_height(height) {}
  ~FreeTypeFace() override {
    std::lock_guard lock(m_library->mutex);
    m_faces.clear();
  }

  int CellHeight() const override { return m_height; }

  const Glyph& GetGlyph(std::string_view cp932Character, GlyphMode mode) override {
    char32_t code = cp932Character.empty() ? 0 : DecodeCp932Character(cp932Character.substr(0, 2));
    std::lock_guard lock(m_mutex);
    auto& cache = m_cache[static_cast<int>(mode)];
    auto found = cache.find(code);
    if (found != cache.end()) return found->second;
    return cache.emplace(code, Render(code, mode)).first->second;
  }

 private:
  Glyph Render(char32_t code, GlyphMode mode) {
    Glyph glyph;
    for (const FacePtr& face : m_faces) {
      FT_UInt index = FT_Get_Char_Index(face.get(), code);
      if (index == 0) continue;
      FT_Int32 flags = FT_LOAD_RENDER | FT_LOAD_NO_BITMAP;
      flags |= mode == GlyphMode::Monochrome ? (FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) : FT_LOAD_TARGET_NORMAL;
      if (FT_Load_Glyph(face.get(), index, flags) != 0) continue;
      CopyBitmap(face->glyph, Ascent(face.get()), glyph);
      return glyph;
    }
    // No face has it: an empty half-width cell, as a missing character showed.
    glyph.advance = (m_height + 1) / 2;
    return glyph;
  }

  // The cell's baseline, split as the face's own ascender and descender.
  int Ascent(FT_Face face) const {
    long total = face->ascender - face->descender;
    if (total <= 0) return m_height;
    return static_cast<int>((m_height * face->ascender + total / 2) / total);
  }

  static void CopyBitmap(FT_GlyphSlot slot, int ascent, Glyph& glyph) {
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.left = slot->bitmap_left;
    glyph.top = ascent - slot->bitmap_top;
    glyph.advance = static_cast<int>((slot->linearHoriAdvance + 0x8000) >> 16);
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.height, 0);
    int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    for (int y = 0; y < glyph.height; ++y) {
      const BYTE* row = bitmap.buffer + static_cast<size_t>(y) * pitch;
      for (int x = 0; x < glyph.width; ++x) {
        BYTE value = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
        glyph.coverage[static_cast<size_t>(y) * glyph.width + x] = value;
      }
    }
  }

  std::shared_ptr<Library> m_library;
  std::vector<FacePtr> m_faces;  // the chosen face, then IPAGothic for what it lacks
  int m_height;
  std::mutex m_mutex;
  std::array<std::unordered_map<char32_t, Glyph>, 2> m_cache;
};

class FreeTypeGlyphSource final : public GlyphSource {
 public:
  FreeTypeGlyphSource() { InitFontconfig(); }

  std::unique_ptr<GlyphFace> OpenFace(std::string_view faceName, int height, int width) override {
    if (!m_library->library || height <= 0 || FailureInjected("font")) return nullptr;
    std::lock_guard lock(m_library->mutex);
    std::vector<FacePtr> faces;
    for (const std::string& family : HostFamiliesFor(Cp932ToUtf8(faceName))) {
      std::optional<FontFile> file = FindFamily(family);
      if (!file) continue;
      FT_Face face = nullptr;
      if (FT_New_Face(m_library->library, file->path.c_str(), file->index, &face) != 0) continue;
      FacePtr owned(face);
      if (!SetSize(face, height, width)) continue;
      faces.push_back(std::move(owned));
    }
    if (faces.empty()) return nullptr;
    return std::make_unique<FreeTypeFace>(m_library, std::move(faces), height);
  }

 private:
  // The height is the cell (ascender plus descender), as a positive
  // LOGFONT height; a full-width character is about twice the given width.
  static bool SetSize(FT_Face face, int height, int width) {
    FT_Size_RequestRec request{};
    request.type = FT_SIZE_REQUEST_TYPE_CELL;
    request.height = static_cast<FT_Long>(height) * 64;
    request.width = width > 0 ? static_cast<FT_Long>(width) * 2 * 64 : 0;
    return FT_Request_Size(face, &request) == 0;
  }

  std::shared_ptr<Library> m_library = std::make_shared<Library>();
};

}  // namespace

GlyphSource& SystemGlyphSource() {
  static FreeTypeGlyphSource source;
  return source;
}

}  // namespace platform

namespace platform {

void StartFontSetUp() {
  if (!FontSetUp().valid()) FontSetUp() = std::async(std::launch::async, [] { FcInit(); }).share();
}

std::string HostFontFile(std::string_view faceNameUtf8) {
  InitFontconfig();
  for (const std::string& family : HostFamiliesFor(faceNameUtf8)) {
    if (std::optional<FontFile> file = FindFamily(family)) return file->path;
  }
  return {};
}

}  // namespace platform
