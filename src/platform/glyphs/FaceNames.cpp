#include <algorithm>
#include <array>

#include "platform/glyphs/GlyphSource.h"

namespace platform {
namespace {

constexpr std::string_view kGothic = "IPAGothic";
constexpr std::string_view kPGothic = "IPAPGothic";
constexpr std::string_view kMincho = "IPAMincho";
constexpr std::string_view kPMincho = "IPAPMincho";

struct KnownFace {
  std::string_view windowsName;
  std::string_view hostFamily;
};

// The Japanese faces projects name, in their Japanese and English spellings.
constexpr std::array kKnownFaces = {
    KnownFace{"ＭＳ ゴシック", kGothic}, KnownFace{"MS Gothic", kGothic},     KnownFace{"ＭＳ Ｐゴシック", kPGothic},
    KnownFace{"MS PGothic", kPGothic},   KnownFace{"MS UI Gothic", kPGothic}, KnownFace{"メイリオ", kPGothic},
    KnownFace{"Meiryo", kPGothic},       KnownFace{"ＭＳ 明朝", kMincho},     KnownFace{"MS Mincho", kMincho},
    KnownFace{"ＭＳ Ｐ明朝", kPMincho},  KnownFace{"MS PMincho", kPMincho},
};

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The HG families: proportional when "HGP", brush and serif styles as Mincho.
std::string_view HgFamily(std::string_view name) {
  bool proportional = name.starts_with("HGP");
  bool serif = Contains(name, "明朝") || Contains(name, "行書") || Contains(name, "楷書") || Contains(name, "教科書");
  if (serif) return proportional ? kPMincho : kMincho;
  return proportional ? kPGothic : kGothic;
}

}  // namespace

std::vector<std::string> HostFamiliesFor(std::string_view faceNameUtf8) {
  std::vector<std::string> families;
  auto known = std::find_if(kKnownFaces.begin(), kKnownFaces.end(),
                            [&](const KnownFace& face) { return face.windowsName == faceNameUtf8; });
  if (known != kKnownFaces.end()) {
    families.emplace_back(known->hostFamily);
  } else if (faceNameUtf8.starts_with("HG")) {
    families.emplace_back(HgFamily(faceNameUtf8));
  } else if (!faceNameUtf8.empty()) {
    families.emplace_back(faceNameUtf8);
  }
  if (families.empty() || families.back() != kGothic) families.emplace_back(kGothic);
  return families;
}

}  // namespace platform
