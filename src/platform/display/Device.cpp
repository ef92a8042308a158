#include "platform/display/Device.h"

#include <algorithm>
#include <cstring>

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
  for (const Quad& quad : quads) DrawQuad(texture, quad);
  return D3D_OK;
}

void Device::DrawQuad(const Texture* texture, const Quad& q) {
  PixelBuffer& target = m_target->Pixels();
  if (q.w <= 0 || q.h <= 0) return;
  int x = q.x, y = q.y, w = q.w, h = q.h;
  if (!ClipToArea(x, y, w, h, target.Width(), target.Height())) return;
  const PixelBuffer* source = texture ? &texture->Pixels() : nullptr;
  if (!source) {
    // Without a texture every pixel shades alike, so an opaque result is a plain fill.
    const DWORD shaded = ShadeTexel(m_stage, 0xFFFFFFFF, q.diffuse, m_factor);
    if (shaded >> 24 == 255) {
      target.Fill(x, y, w, h, FromArgb(target.Format(), BlendOver(shaded, 0)));
      return;
    }
  }
  // The texel column of every destination column, worked out once per quad.
  thread_local std::vector<int> columns;
  columns.resize(static_cast<std::size_t>(w));
  for (int i = 0; i < w && source; ++i) {
    const long long k = x + i - q.x;
    columns[static_cast<std::size_t>(i)] = Wrap(q.sx + FloorDiv((2 * k + 1) * q.sw, 2LL * q.w), source->Width());
  }
  const TexelPassing passing = source ? PlainCopy(m_stage, q.diffuse) : TexelPassing::No;
  const bool fastPath =
      passing != TexelPassing::No && source->Format() == PixelFormat::A8R8G8B8 && target.BytesPerPixel() == 4;
  const DWORD forcedAlpha = passing == TexelPassing::Opaque ? 0xFF000000u : 0;
  const DWORD storeMask = target.Format() == PixelFormat::X8R8G8B8 ? 0x00FFFFFFu : 0xFFFFFFFFu;
  // An unscaled quad that does not wrap reads its texels side by side.
  const bool contiguous = source && q.sw == q.w && columns.front() + w - 1 == columns.back();
  for (int row = y; row < y + h; ++row) {
    const long long j = row - q.y;
    const int ty = source ? Wrap(q.sy + FloorDiv((2 * j + 1) * q.sh, 2LL * q.h), source->Height()) : 0;
    std::uint8_t* out = target.Row(row) + x * 4;
    if (fastPath && contiguous)
      DrawSpan32(
          source->Row(ty) + columns.front() * 4, out, w, [](int i) { return i; }, forcedAlpha, storeMask);
    else if (fastPath)
      DrawSpan32(
          source->Row(ty), out, w, [&](int i) { return columns[static_cast<std::size_t>(i)]; }, forcedAlpha, storeMask);
    else
      DrawSpan(source, ty, target, row, x, columns, q.diffuse);
  }
}

template <typename Column>
void Device::DrawSpan32(const std::uint8_t* texels, std::uint8_t* out, int count, Column column, DWORD forcedAlpha,
                        DWORD storeMask) {
  for (int i = 0; i < count; ++i) {
    DWORD texel;
    std::memcpy(&texel, texels + column(i) * 4, 4);
    texel |= forcedAlpha;
    const DWORD alpha = texel >> 24;
    if (alpha != 0) {
      DWORD value = texel;
      if (alpha != 255) {
        DWORD dst;
        std::memcpy(&dst, out, 4);
        value = BlendOver(texel, storeMask == 0xFFFFFFFFu ? dst : dst | 0xFF000000u);
      }
      value &= storeMask;
      std::memcpy(out, &value, 4);
    }
    out += 4;
  }
}

void Device::DrawSpan(const PixelBuffer* source, int ty, PixelBuffer& target, int row, int x,
                      const std::vector<int>& columns, DWORD diffuse) {
  const int targetBytes = target.BytesPerPixel();
  std::uint8_t* out = target.Row(row) + x * targetBytes;
  for (int column : columns) {
    const DWORD texel = source ? ToArgb(source->Format(), source->Get(column, ty)) : 0xFFFFFFFF;
    const DWORD shaded = ShadeTexel(m_stage, texel, diffuse, m_factor);
    const DWORD alpha = shaded >> 24;
    if (alpha != 0) {
      const DWORD dst = alpha == 255 ? 0 : ToArgb(target.Format(), PixelBuffer::ReadPixel(out, targetBytes));
      PixelBuffer::WritePixel(out, targetBytes, FromArgb(target.Format(), BlendOver(shaded, dst)));
    }
    out += targetBytes;
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
