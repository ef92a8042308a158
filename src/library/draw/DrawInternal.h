#pragma once
// What the drawing layer's files share among themselves.
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "library/draw/Draw.h"
#include "platform/display/Bitmap.h"

platform::display::PixelFormat DirectDrawPixelFormat();
platform::display::PixelFormat TexturePixelFormat();
platform::display::PixelFormat BackBufferPixelFormat();
std::shared_ptr<platform::display::Texture> DeviceBackBuffer();

// The pixels of a surface as they stand (no link or redirection), or null.
platform::display::PixelBuffer* SurfacePixels(DDSURFACEDATA* sd);
// A bitmap file; a failure writes "LoadImage Err <file>" and the reason to the report log.
std::optional<platform::display::Bitmap> LoadBitmapLogged(std::string_view file);
// Converts a bitmap into a texture's pixels: the key colour (0xFFRRGGBB, 0 for
// none) becomes 0, pixels beyond the bitmap are left as they are.
void FillTextureFromBitmap(platform::display::PixelBuffer& pixels, const platform::display::Bitmap& bitmap,
                           DWORD colourKey);

// Batching state shared by the blits and the batch flushes.
bool SpriteBatchOn();
bool RectBatchOn();
void QueueSprite(DDSURFACEDATA* dst, DDSURFACEDATA* src, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                 int bTransmit);
void QueueRect(DDSURFACEDATA* dst, int x, int y, int w, int h, DWORD colour);
void ResetBatches();

// Draws copies of src onto dst (a render target) with the given stage operations.
int DrawCopies(DDSURFACEDATA* dst, DDSURFACEDATA* src, std::span<const platform::display::Quad> quads, int bTransmit,
               DWORD colorOp, DWORD alphaOp);
// Draws untextured quads onto dst with the stage and texture factor.
int DrawFills(DDSURFACEDATA* dst, std::span<const platform::display::Quad> quads,
              const platform::display::TextureStage& stage, DWORD factor);

// The transmit form a keyed copy clears to on this target (Direct3D).
DWORD TransmitClearColour(const DDSURFACEDATA* target);
