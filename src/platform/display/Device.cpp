#include "platform/display/Device.h"

#include <algorithm>
#include <cstring>

#include "platform/display/SpanKernels.h"

namespace platform::display {
namespace {

constexpr DWORD Channel(DWORD argb, int shift) { return (argb >> shift) & 0xFF; }

DWORD Combine(DWORD op, DWORD a, DWORD b, DWORD current) {
  switch (op) {
    case D3DTOP_DISABLE:
      return current;
    case D3DTOP_SELECTARG1:
      return a;
    case D3DTOP_SELECTARG2:
      return b;
    case D3DTOP_MODULATE:
      return Div255(a * b + 127);
    case D3DTOP_MODULATE2X:
      return std::min<DWORD>(255, 2 * Div255(a * b + 127));
    case D3DTOP_MODULATE4X:
      return std::min<DWORD>(255, 4 * Div255(a * b + 127));
    case D3DTOP_ADD:
      return std::min<DWORD>(255, a + b);
    case D3DTOP_ADDSIGNED:
      return static_cast<DWORD>(std::clamp(static_cast<int>(a + b) - 128, 0, 255));
    case D3DTOP_SUBTRACT:
      return a > b ? a - b : 0;
    default:
      return a;
  }
}

DWORD Argument(DWORD which, DWORD texel, DWORD diffuse, DWORD factor) {
  switch (which) {
    case D3DTA_TEXTURE:
      return texel;
    case D3DTA_TFACTOR:
      return factor;
    default:
      return diffuse;  // diffuse, and current, which is diffuse on the first stage
  }
}

DWORD ApplyOp(DWORD op, DWORD a, DWORD b, DWORD current, int firstShift, int lastShift) {
  DWORD out = 0;
  for (int shift = firstShift; shift <= lastShift; shift += 8)
    out |= Combine(op, Channel(a, shift), Channel(b, shift), Channel(current, shift)) << shift;
  return out;
}

// a * k + b * (255 - k) over 255 on red, green and blue.
DWORD BlendByWeight(DWORD a, DWORD b, DWORD k) {
  DWORD out = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    out |= Div255(Channel(a, shift) * k + Channel(b, shift) * (255 - k) + 127) << shift;
  return out;
}

// How a stage passes texels of a plain copy on: unchanged, unchanged but
// opaque (alpha disabled with an opaque vertex colour), or not plainly.
enum class TexelPassing { No, AsIs, Opaque };

TexelPassing PlainCopy(const TextureStage& s, DWORD diffuse) {
  const bool colourIsTexel =
      (s.colorOp == D3DTOP_SELECTARG1 && s.colorArg1 == D3DTA_TEXTURE) ||
      (s.colorOp == D3DTOP_MODULATE && s.colorArg1 == D3DTA_TEXTURE && (diffuse & 0xFFFFFF) == 0xFFFFFF);
  if (!colourIsTexel) return TexelPassing::No;
  if ((s.alphaOp == D3DTOP_SELECTARG1 && s.alphaArg1 == D3DTA_TEXTURE) ||
      (s.alphaOp == D3DTOP_MODULATE && s.alphaArg1 == D3DTA_TEXTURE && diffuse >> 24 == 0xFF))
    return TexelPassing::AsIs;
  if (s.alphaOp == D3DTOP_DISABLE && diffuse >> 24 == 0xFF) return TexelPassing::Opaque;
  return TexelPassing::No;
}

// floor(n / d) for d > 0.
constexpr long long FloorDiv(long long n, long long d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }

int Wrap(long long v, int size) {
  const long long m = v % size;
  return static_cast<int>(m < 0 ? m + size : m);
}

}  // namespace

DWORD ShadeTexel(const TextureStage& s, DWORD texel, DWORD diffuse, DWORD factor) {
  const DWORD c1 = Argument(s.colorArg1, texel, diffuse, factor), c2 = Argument(s.colorArg2, texel, diffuse, factor);
  const DWORD a1 = Argument(s.alphaArg1, texel, diffuse, factor), a2 = Argument(s.alphaArg2, texel, diffuse, factor);
  const DWORD colour = s.colorOp == D3DTOP_BLENDFACTORALPHA ? BlendByWeight(c1, c2, factor >> 24)
                                                            : ApplyOp(s.colorOp, c1, c2, diffuse, 0, 16);
  return colour | ApplyOp(s.alphaOp, a1, a2, diffuse, 24, 24);
}

DWORD BlendOver(DWORD src, DWORD dst) {
  const DWORD a = src >> 24;
  if (a == 255) return src;
  if (a == 0) return dst;
  DWORD out = 0;
  for (int shift = 0; shift <= 24; shift += 8)
    out |= Div255(Channel(src, shift) * a + Channel(dst, shift) * (255 - a) + 127) << shift;
  return out;
}

Device::Device(PixelFormat backBufferFormat, int width, int height)
    : m_backBuffer(std::make_shared<Texture>(backBufferFormat, width, height, Pool::Default, true)),
      m_target(m_backBuffer) {}

std::shared_ptr<Texture> Device::CreateTexture(int width, int height, PixelFormat format, Pool pool,
                                               bool renderTarget) {
  if (width <= 0 || height <= 0 || (renderTarget && pool != Pool::Default)) return nullptr;
  auto texture = std::make_shared<Texture>(format, width, height, pool, renderTarget);
  std::erase_if(m_textures, [](const auto& weak) { return weak.expired(); });
  m_textures.push_back(texture);
  return texture;
}

HRESULT Device::SetRenderTarget(Texture* target) {
  if (!target || !target->RenderTarget()) return D3DERR_INVALIDCALL;
  m_target = target->shared_from_this();
  return D3D_OK;
}

HRESULT Device::Clear(const RECT* rect, DWORD argb) {
  if (m_state != State::Ok) return D3D_OK;
  PixelBuffer& pixels = m_target->Pixels();
  int x = 0, y = 0, w = pixels.Width(), h = pixels.Height();
  if (rect) {
    x = rect->left;
    y = rect->top;
    w = rect->Width();
    h = rect->Height();
  }
  pixels.Fill(x, y, w, h, FromArgb(pixels.Format(), argb));
  return D3D_OK;
}

HRESULT Device::DrawQuads(const Texture* texture, std::span<const Quad> quads) {
  if (m_state != State::Ok) return D3D_OK;  // a lost device draws nothing and says nothing
  for (const Quad& quad : quads) DrawQuad(texture, quad, nullptr);
  return D3D_OK;
}

namespace {

bool Overlap(const Quad& a, const Quad& b) {
  auto apart = [](long long start, long long size, long long otherStart, long long otherSize) {
    return start + size <= otherStart || otherStart + otherSize <= start;
  };
  return a.w > 0 && a.h > 0 && b.w > 0 && b.h > 0 && !apart(a.x, a.w, b.x, b.w) && !apart(a.y, a.h, b.y, b.h);
}

// Whether no two quads share a pixel: tiles of a layer, for instance.
bool Disjoint(std::span<const Quad> quads) {
  // Past this many, comparing every pair would cost more than the clears it saves.
  constexpr std::size_t kMostCompared = 64;
  if (quads.size() > kMostCompared) return false;
  for (std::size_t i = 0; i < quads.size(); ++i)
    for (std::size_t j = i + 1; j < quads.size(); ++j)
      if (Overlap(quads[i], quads[j])) return false;
  return true;
}

}  // namespace

HRESULT Device::ClearAndDrawQuads(const Texture* texture, std::span<const Quad> quads, DWORD clearArgb) {
  if (m_state != State::Ok) return D3D_OK;
  const std::uint32_t underlay = FromArgb(m_target->Pixels().Format(), clearArgb);
  // Quads apart from each other are each cleared and drawn in one pass.
  if (Disjoint(quads)) {
    for (const Quad& quad : quads) DrawQuad(texture, quad, &underlay);
    return D3D_OK;
  }
  // Overlapping quads draw over each other's cleared pixels, so all clears come first.
  for (const Quad& q : quads) m_target->Pixels().Fill(q.x, q.y, q.w, q.h, underlay);
  return DrawQuads(texture, quads);
}

namespace {

// Where the texels of a quad's row come from.
enum class Texels {
  InPlace,   // the texture's own row: unscaled, not wrapping, A8R8G8B8
  Gathered,  // through the column table, converted to ARGB
  Constant,  // one value for every pixel: no texture
};

// How a quad's rows are drawn, settled before its first row.
struct QuadPlan {
  Texels texels = Texels::Constant;
  int firstColumn = 0;          // InPlace: the texel column of the first pixel
  bool shade = false;           // the stage changes the texels
  RectKernel kernel = nullptr;  // onto 32-bit targets; null: pixel by pixel in the target's format
  SpanStore store;
};

thread_local std::vector<DWORD> t_columns, t_fetched, t_shaded;

DWORD* RowBuffer(std::vector<DWORD>& buffer, int count) {
  if (buffer.size() < static_cast<std::size_t>(count)) buffer.resize(static_cast<std::size_t>(count));
  return buffer.data();
}

const std::uint8_t* AsBytes(const DWORD* values) { return reinterpret_cast<const std::uint8_t*>(values); }

DWORD Load32(const std::uint8_t* p) {
  DWORD v;
  std::memcpy(&v, p, 4);
  return v;
}

// Texel position of destination offset k along one axis: the texel under the
// pixel's centre, wrapped around the texture.
int TexelPosition(long long k, int start, int sourceSize, int size, int limit) {
  return Wrap(start + FloorDiv((2 * k + 1) * sourceSize, 2LL * size), limit);
}

// The row's texels as ARGB, read through the column table.
void GatherRow(const PixelBuffer& source, int ty, const DWORD* columns, int count, DWORD* out) {
  const std::uint8_t* row = source.Row(ty);
  if (source.Format() == PixelFormat::A8R8G8B8) {
    for (int i = 0; i < count; ++i) out[i] = Load32(row + columns[i] * 4);
    return;
  }
  const int bytes = source.BytesPerPixel();
  const PixelFormat format = source.Format();
  for (int i = 0; i < count; ++i)
    out[i] = ToArgb(format, PixelBuffer::ReadPixel(row + static_cast<int>(columns[i]) * bytes, bytes));
}

// Blending onto a target of any format, one pixel at a time.
void WritePixels(const std::uint8_t* values, PixelBuffer& target, std::uint8_t* out, int count) {
  const int bytes = target.BytesPerPixel();
  const PixelFormat format = target.Format();
  for (int i = 0; i < count; ++i, out += bytes) {
    const DWORD value = Load32(values + 4 * i), alpha = value >> 24;
    if (alpha == 0) continue;
    const DWORD dst = alpha == 255 ? 0 : ToArgb(format, PixelBuffer::ReadPixel(out, bytes));
    PixelBuffer::WritePixel(out, bytes, FromArgb(format, BlendOver(value, dst)));
  }
}

}  // namespace

void Device::DrawQuad(const Texture* texture, const Quad& q, const std::uint32_t* underlay) {
  PixelBuffer& target = m_target->Pixels();
  if (q.w <= 0 || q.h <= 0) return;
  int x = q.x, y = q.y, w = q.w, h = q.h;
  if (!ClipToArea(x, y, w, h, target.Width(), target.Height())) return;
  const PixelBuffer* source = texture ? &texture->Pixels() : nullptr;
  const bool wide = target.BytesPerPixel() == 4;
  if (underlay && !wide) {
    target.Fill(x, y, w, h, *underlay);
    underlay = nullptr;
  }

  QuadPlan plan;
  plan.store.storeMask = target.Format() == PixelFormat::X8R8G8B8 ? 0x00FFFFFFu : 0xFFFFFFFFu;
  const DWORD* values = nullptr;
  if (!source) {
    // Without a texture every pixel shades alike, so an opaque result is a plain fill.
    const DWORD shaded = ShadeTexel(m_stage, 0xFFFFFFFF, q.diffuse, m_factor);
    if (shaded >> 24 == 255) {
      target.Fill(x, y, w, h, FromArgb(target.Format(), BlendOver(shaded, 0)));
      return;
    }
    DWORD* row = RowBuffer(t_fetched, w);
    std::fill_n(row, w, shaded);
    values = row;
  } else {
    const TexelPassing passing = PlainCopy(m_stage, q.diffuse);
    plan.shade = passing == TexelPassing::No || (passing == TexelPassing::Opaque && !wide);
    if (passing == TexelPassing::Opaque && wide) plan.store.orMask = 0xFF000000u;
    const long long first = static_cast<long long>(q.sx) + (static_cast<long long>(x) - q.x);
    const bool inPlace =
        source->Format() == PixelFormat::A8R8G8B8 && q.sw == q.w && first >= 0 && first + w <= source->Width();
    plan.texels = inPlace ? Texels::InPlace : Texels::Gathered;
    plan.firstColumn = static_cast<int>(first);
  }
  if (wide) {
    plan.kernel = plan.store.orMask ? CopyRect : underlay ? BlendOntoRect : BlendRect;
    if (underlay) plan.store.underlay = *underlay;
  }

  // The column table, only for quads that do not read their texels side by side.
  DWORD* columns = nullptr;
  if (plan.texels == Texels::Gathered) {
    columns = RowBuffer(t_columns, w);
    for (int i = 0; i < w; ++i)
      columns[i] = static_cast<DWORD>(TexelPosition(x + i - q.x, q.sx, q.sw, q.w, source->Width()));
  }
  DWORD* fetched = plan.texels == Texels::Gathered ? RowBuffer(t_fetched, w) : nullptr;
  DWORD* shaded = plan.shade ? RowBuffer(t_shaded, w) : nullptr;
  // Unscaled rows inside the texture read row after row, without a division each.
  const long long firstRow = static_cast<long long>(q.sy) + (static_cast<long long>(y) - q.y);
  const bool rowsInPlace = source && q.sh == q.h && firstRow >= 0 && firstRow + h <= source->Height();
  const int pixelBytes = target.BytesPerPixel();
  std::uint8_t* out = target.Row(y) + x * pixelBytes;
  if (plan.texels == Texels::InPlace && rowsInPlace && !plan.shade && plan.kernel) {
    const std::uint8_t* texels = source->Row(static_cast<int>(firstRow)) + plan.firstColumn * 4;
    plan.kernel({texels, source->Pitch(), out, target.Pitch(), w, h}, plan.store);
    return;
  }
  for (int row = y; row < y + h; ++row, out += target.Pitch()) {
    const int ty = !source       ? 0
                   : rowsInPlace ? static_cast<int>(firstRow) + (row - y)
                                 : TexelPosition(row - q.y, q.sy, q.sh, q.h, source->Height());
    const std::uint8_t* texels = AsBytes(values);
    if (plan.texels == Texels::InPlace) {
      texels = source->Row(ty) + plan.firstColumn * 4;
    } else if (plan.texels == Texels::Gathered) {
      GatherRow(*source, ty, columns, w, fetched);
      texels = AsBytes(fetched);
    }
    if (plan.shade) {
      for (int i = 0; i < w; ++i) shaded[i] = ShadeTexel(m_stage, Load32(texels + 4 * i), q.diffuse, m_factor);
      texels = AsBytes(shaded);
    }
    if (plan.kernel)
      plan.kernel({texels, 0, out, 0, w, 1}, plan.store);
    else
      WritePixels(texels, target, out, w);
  }
}

HRESULT Device::BeginScene() {
  if (m_inScene) return D3DERR_INVALIDCALL;
  m_inScene = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!m_inScene) return D3DERR_INVALIDCALL;
  m_inScene = false;
  return D3D_OK;
}

HRESULT Device::TestCooperativeLevel() const {
  switch (m_state) {
    case State::Ok:
      return D3D_OK;
    case State::Lost:
      return D3DERR_DEVICELOST;
    case State::NotReset:
      return D3DERR_DEVICENOTRESET;
  }
  return D3D_OK;
}

HRESULT Device::Reset() {
  if (m_state == State::Lost) return D3DERR_DEVICELOST;
  m_target = m_backBuffer;
  for (const auto& weak : m_textures)
    if (auto texture = weak.lock(); texture && texture->MemoryPool() == Pool::Default) return D3DERR_INVALIDCALL;
  m_state = State::Ok;
  m_inScene = false;
  return D3D_OK;
}

void Device::InjectLoss() {
  m_state = State::Lost;
  auto scramble = [](Texture& texture) {
    std::fill(texture.Pixels().Bytes().begin(), texture.Pixels().Bytes().end(), std::uint8_t{0xCD});
  };
  scramble(*m_backBuffer);
  for (const auto& weak : m_textures)
    if (auto texture = weak.lock(); texture && texture->MemoryPool() == Pool::Default) scramble(*texture);
}

void Device::AllowReset() {
  if (m_state == State::Lost) m_state = State::NotReset;
}

}  // namespace platform::display
