// The rasteriser of free (turned) quads: two triangles, each pixel whose
// centre lies inside drawn once, with the device's texture stage and blend.
#include <algorithm>
#include <cmath>

#include "platform/display/Device.h"

namespace platform::display {
namespace {

// The edge function of the edge a -> b at (x, y): positive on the inside of
// a triangle wound clockwise on the screen (y down).
double EdgeAt(const QuadVertex& a, const QuadVertex& b, double x, double y) {
  return (static_cast<double>(b.x) - a.x) * (y - a.y) - (static_cast<double>(b.y) - a.y) * (x - a.x);
}

// Top-left rule: a centre exactly on an edge belongs to the triangle when
// the edge is a top edge (flat, the triangle below) or a left edge.
bool OwnsBoundary(const QuadVertex& a, const QuadVertex& b) {
  const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
  return dy < 0 || (dy == 0 && dx > 0);
}

bool Inside(double edge, bool owned) { return edge > 0 || (edge == 0 && owned); }

int WrapTexel(double coordinate, int size) {
  const double texel = std::floor(coordinate * size);
  if (!std::isfinite(texel)) return 0;
  const double wrapped = texel - std::floor(texel / size) * size;
  return std::clamp(static_cast<int>(wrapped), 0, size - 1);
}

}  // namespace

HRESULT Device::DrawQuadStrip(const Texture* texture, const std::array<QuadVertex, 4>& strip, DWORD diffuse) {
  if (m_state != State::Ok) return D3D_OK;
  DrawTriangle(texture, strip[0], strip[1], strip[2], diffuse);
  DrawTriangle(texture, strip[2], strip[1], strip[3], diffuse);
  return D3D_OK;
}

void Device::DrawTriangle(const Texture* texture, const QuadVertex& a, const QuadVertex& b0, const QuadVertex& c0,
                          DWORD diffuse) {
  const double area = EdgeAt(a, b0, c0.x, c0.y);
  if (!(std::abs(area) > 0)) return;  // flat, or not a number
  // Wound clockwise on the screen, so that the inside is positive.
  const QuadVertex& b = area > 0 ? b0 : c0;
  const QuadVertex& c = area > 0 ? c0 : b0;
  const double size = std::abs(area);
  PixelBuffer& target = m_target->Pixels();
  const double left = std::min({a.x, b.x, c.x}), right = std::max({a.x, b.x, c.x});
  const double top = std::min({a.y, b.y, c.y}), bottom = std::max({a.y, b.y, c.y});
  const int x0 = static_cast<int>(std::clamp(std::ceil(left), 0.0, static_cast<double>(target.Width())));
  const int x1 = static_cast<int>(std::clamp(std::floor(right) + 1, 0.0, static_cast<double>(target.Width())));
  const int y0 = static_cast<int>(std::clamp(std::ceil(top), 0.0, static_cast<double>(target.Height())));
  const int y1 = static_cast<int>(std::clamp(std::floor(bottom) + 1, 0.0, static_cast<double>(target.Height())));
  const bool ownsAB = OwnsBoundary(a, b), ownsBC = OwnsBoundary(b, c), ownsCA = OwnsBoundary(c, a);
  const PixelBuffer* source = texture ? &texture->Pixels() : nullptr;
  const int bytes = target.BytesPerPixel();
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const double eAB = EdgeAt(a, b, x, y), eBC = EdgeAt(b, c, x, y), eCA = EdgeAt(c, a, x, y);
      if (!Inside(eAB, ownsAB) || !Inside(eBC, ownsBC) || !Inside(eCA, ownsCA)) continue;
      // Each corner's weight is the edge function of the opposite edge.
      const double wa = eBC / size, wb = eCA / size, wc = eAB / size;
      DWORD texel = 0xFFFFFFFF;
      if (source) {
        const double u = wa * a.u + wb * b.u + wc * c.u, v = wa * a.v + wb * b.v + wc * c.v;
        texel = ToArgb(source->Format(), source->Get(WrapTexel(u, source->Width()), WrapTexel(v, source->Height())));
      }
      const DWORD shaded = ShadeTexel(m_stage, texel, diffuse, m_factor);
      if (shaded >> 24 == 0) continue;
      std::uint8_t* out = target.Row(y) + x * bytes;
      const DWORD under = ToArgb(target.Format(), PixelBuffer::ReadPixel(out, bytes));
      PixelBuffer::WritePixel(out, bytes, FromArgb(target.Format(), BlendOver(shaded, under)));
    }
  }
}

}  // namespace platform::display
