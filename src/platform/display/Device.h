#pragma once
// The Direct3D-shaped half of the software display: textures in the formats
// of the Direct3D back end, render targets, clears, one texture stage with
// the colour and alpha operations the drawing layer uses, alpha blending
// (source alpha, inverse source alpha) always on, and one rasteriser for
// screen-aligned textured quads.
//
// The quad rasteriser, exactly:
// - A quad {x, y, w, h} covers the destination pixels [x, x + w) x [y, y + h),
//   cut to the render target. (These are the pixels whose centres lie inside
//   a quad whose corners are offset by -0.5, under the top-left fill rule.)
// - Destination column x + k samples texel column
//   sx + floor((2k + 1) * sw / (2w)), the texel under the pixel's centre with
//   point filtering; a negative sw reads leftwards from the column before sx.
//   Rows follow the same rule. Texel positions wrap around the texture.
// - Channels are bytes; 5- and 6-bit channels widen by repeating their top
//   bits and narrow by truncation (PixelFormat.h). Modulate is
//   (a * b + 127) / 255 rounded down; add and subtract saturate.
// - Blending, on all four channels: (src * a + dst * (255 - a) + 127) / 255
//   rounded down, a being the stage's output alpha. So alpha 255 writes the
//   source exactly and alpha 0 leaves the target exactly as it was.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/display/DirectDraw.h"
#include "platform/display/PixelBuffer.h"

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);

constexpr DWORD D3DTOP_DISABLE = 1;
constexpr DWORD D3DTOP_SELECTARG1 = 2;
constexpr DWORD D3DTOP_SELECTARG2 = 3;
constexpr DWORD D3DTOP_MODULATE = 4;
constexpr DWORD D3DTOP_MODULATE2X = 5;
constexpr DWORD D3DTOP_MODULATE4X = 6;
constexpr DWORD D3DTOP_ADD = 7;
constexpr DWORD D3DTOP_ADDSIGNED = 8;
constexpr DWORD D3DTOP_SUBTRACT = 10;
constexpr DWORD D3DTOP_BLENDFACTORALPHA = 14;  // arg1 * factor alpha + arg2 * (1 - factor alpha)

constexpr DWORD D3DTA_DIFFUSE = 0;
constexpr DWORD D3DTA_CURRENT = 1;
constexpr DWORD D3DTA_TEXTURE = 2;
constexpr DWORD D3DTA_TFACTOR = 3;

namespace platform::display {

enum class Pool : std::uint8_t {
  Default,    // video memory: render targets; lost with the device
  Managed,    // kept by the runtime, survives a loss
  SystemMem,  // system memory: only the CPU reaches it
};

class Texture : public std::enable_shared_from_this<Texture> {
 public:
  Texture(PixelFormat format, int width, int height, Pool pool, bool renderTarget)
      : m_pixels(format, width, height), m_pool(pool), m_renderTarget(renderTarget) {}
  PixelBuffer& Pixels() { return m_pixels; }
  const PixelBuffer& Pixels() const { return m_pixels; }
  int Width() const { return m_pixels.Width(); }
  int Height() const { return m_pixels.Height(); }
  Pool MemoryPool() const { return m_pool; }
  bool RenderTarget() const { return m_renderTarget; }

 private:
  PixelBuffer m_pixels;
  Pool m_pool;
  bool m_renderTarget;
};

struct TextureStage {
  DWORD colorOp = D3DTOP_MODULATE;
  DWORD colorArg1 = D3DTA_TEXTURE;
  DWORD colorArg2 = D3DTA_DIFFUSE;
  DWORD alphaOp = D3DTOP_SELECTARG1;
  DWORD alphaArg1 = D3DTA_TEXTURE;
  DWORD alphaArg2 = D3DTA_DIFFUSE;
};

// One screen-aligned quad: the destination pixels and the texel rectangle
// mapped onto them (negative sizes mirror), with its vertex colour.
struct Quad {
  int x = 0, y = 0, w = 0, h = 0;
  int sx = 0, sy = 0, sw = 0, sh = 0;
  DWORD diffuse = 0xFFFFFFFF;
};

// One corner of a free quad: its position (pixel centres lie at whole
// numbers) and its texture coordinates (0 .. 1 across the texture).
struct QuadVertex {
  float x = 0, y = 0, u = 0, v = 0;
};

// The ARGB result of the stage for one texel.
DWORD ShadeTexel(const TextureStage& stage, DWORD texel, DWORD diffuse, DWORD factor);
// The blend of an ARGB source over an ARGB destination.
DWORD BlendOver(DWORD src, DWORD dst);

class Device {
 public:
  Device(PixelFormat backBufferFormat, int width, int height);

  Texture& BackBuffer() { return *m_backBuffer; }
  std::shared_ptr<Texture> CreateTexture(int width, int height, PixelFormat format, Pool pool, bool renderTarget);

  HRESULT SetRenderTarget(Texture* target);
  Texture* RenderTarget() const { return m_target.get(); }
  // Sets the rectangle (the whole target when null), cut to the target, to the colour.
  HRESULT Clear(const RECT* rect, DWORD argb);

  void SetTextureStage(const TextureStage& stage) { m_stage = stage; }
  const TextureStage& Stage() const { return m_stage; }
  void SetTextureFactor(DWORD argb) { m_factor = argb; }
  // Draws the quads in order onto the render target; a null texture reads as white.
  HRESULT DrawQuads(const Texture* texture, std::span<const Quad> quads);
  // The same as clearing every quad's rectangle to the colour and then
  // drawing the quads; quads that share no pixel are each done in one pass.
  HRESULT ClearAndDrawQuads(const Texture* texture, std::span<const Quad> quads, DWORD clearArgb);
  // Draws a strip of two triangles (top-left, bottom-left, top-right,
  // bottom-right corners) in any orientation: edge functions with the
  // top-left rule, texture coordinates affine across each triangle, point
  // sampled at the pixel centre and wrapped, one vertex colour throughout.
  HRESULT DrawQuadStrip(const Texture* texture, const std::array<QuadVertex, 4>& strip, DWORD diffuse);

  HRESULT BeginScene();
  HRESULT EndScene();
  bool InScene() const { return m_inScene; }
  // The frame itself is handed over by the caller; this only reports loss.
  HRESULT Present() const { return m_state == State::Ok ? D3D_OK : D3DERR_DEVICELOST; }

  HRESULT TestCooperativeLevel() const;
  // Fails while a video-memory texture other than the back buffer is alive,
  // as a real reset does.
  HRESULT Reset();

  // Test-only: the device is lost; video-memory textures lose their pixels.
  void InjectLoss();
  // Test-only: a lost device becomes ready to be reset.
  void AllowReset();

 private:
  enum class State { Ok, Lost, NotReset };
  // Draws one quad; with an underlay, its pixels are first taken as that raw pixel.
  void DrawQuad(const Texture* texture, const Quad& quad, const std::uint32_t* underlay);
  void DrawTriangle(const Texture* texture, const QuadVertex& a, const QuadVertex& b, const QuadVertex& c,
                    DWORD diffuse);

  std::shared_ptr<Texture> m_backBuffer;
  std::vector<std::weak_ptr<Texture>> m_textures;
  std::shared_ptr<Texture> m_target;  // held, so a released render target stays valid while set
  TextureStage m_stage;
  DWORD m_factor = 0xFFFFFFFF;
  bool m_inScene = false;
  State m_state = State::Ok;
};

}  // namespace platform::display
