#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/Messages.h"

namespace {
std::function<void()> fontRestore;
std::function<void()> fontLost;
}  // namespace

void DDSetFontRestoreHook(std::function<void()> hook) { fontRestore = std::move(hook); }
void DDSetFontLostHook(std::function<void()> hook) { fontLost = std::move(hook); }

int DDRestoreSurface() {
  EcLog("Restore In");
  if (!lpDTCon) {
    static const std::string kUnsupported = Sjis("DDではDDRestoreSurfaceは未対応");
    EcLog(kUnsupported);
    return 1;
  }
  for (DDSURFACEDATA* sd : lstRestoreSD)
    if (sd->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM) sd->lpDT->lpTexture.reset();
  if (fontLost) fontLost();
  BackBuffer.lpDT->lpTexture.reset();
  EcLog("a-");
  if (lpDevice->TestCooperativeLevel() != D3DERR_DEVICENOTRESET) {
    static const std::string kNotYet = Sjis("復旧失敗…リセット可能な状態ではありません…");
    EcLog(kNotYet);
    return 0;
  }
  EcLog("a");
  if (lpDevice->Reset() != D3D_OK) return 0;
  DDSetDefaultRenderStates();
  lpDTCon->bInScene = 0;
  BackBuffer.lpDT->lpTexture = DeviceBackBuffer();
  // A copy: recreating a mirrored sheet briefly adds its unmirrored twin to the list.
  const std::list<DDSURFACEDATA*> surfaces = lstRestoreSD;
  int i = 0;
  for (DDSURFACEDATA* sd : surfaces) {
    EcLogf("i = %d lpSD->szSurfaceType = %s lpSD->szFileName = %s Size = (%d,%d)", i++, sd->szSurfaceType.c_str(),
           sd->szFileName.c_str(), sd->nWidth, sd->nHeight);
    const bool linked = sd->lpLinkSD != nullptr;
    if (!sd->szFileName.empty() && sd->szFileName != "E") {
      if (DDCreateSurfaceFromFile(sd, sd->szFileName, 0, nBpp, sd->bSystemMemory, sd->lpDT->nMemoryType, linked, 0,
                                  sd->nMirrorWidth, sd->nMirrorHeight, 1) != 0)
        EcLog("Err");
    } else {
      if (!DDCreateSurface(sd, sd->nWidth, sd->nHeight, sd->lpDT->bTransmit, sd->bSystemMemory, sd->lpDT->nMemoryType,
                           linked, 1))
        EcLog("Err");
      sd->bLost = 1;
    }
  }
  DDSetVirBackBuffer(lpDTCon->bVirBackBuffer);
  if (fontRestore) fontRestore();
  // A full-screen window may have been minimised when the device was lost.
  if (!bWindowMode && hDDWnd) SendMessage(hDDWnd, WM_SHOWWINDOW, TRUE, 0);
  EcLog("Restore Out");
  return 1;
}

bool DDRestore() {
  if (lpDTCon) {
    static const std::string kUnsupported = Sjis("D3DではDDRestoreは未対応");
    EcLog(kUnsupported);
    return true;
  }
  if (!PrimarySurface.lpDDS || PrimarySurface.lpDDS->lpSurface->IsLost() != DDERR_SURFACELOST) return true;
  PrimarySurface.lpDDS->lpSurface->Restore();
  if (BackBuffer.lpDDS && BackBuffer.lpDDS->lpSurface->IsLost() == DDERR_SURFACELOST)
    BackBuffer.lpDDS->lpSurface->Restore();
  for (int i = 0; lpUserSD && i < nUserSD; ++i) {
    DDSURFACEDATA& sd = lpUserSD[i];
    if (!sd.lpDDS || !sd.lpDDS->lpSurface || sd.lpDDS->lpSurface->IsLost() != DDERR_SURFACELOST) continue;
    sd.lpDDS->lpSurface->Restore();
    if (sd.bSystemMemory) continue;
    if (sd.szFileName.empty() || sd.szFileName == "E")
      sd.bLost = 1;
    else
      DDReloadBitmap(&sd, nBpp);
  }
  if (nBpp == 8 && lpDDPalette) lpDDPalette->SetEntries(0, 256, DispColorPalette);
  if (fontRestore) fontRestore();
  return true;
}

void DDInjectLoss() {
  if (lpDevice) {
    lpDevice->InjectLoss();
    return;
  }
  for (DDSURFACEDATA* sd : {&PrimarySurface, &BackBuffer})
    if (sd->lpDDS && sd->lpDDS->lpSurface) sd->lpDDS->lpSurface->InjectLoss();
  // What DirectDraw takes away is video memory; system-memory surfaces stay.
  for (int i = 0; lpUserSD && i < nUserSD; ++i)
    if (lpUserSD[i].lpDDS && lpUserSD[i].lpDDS->lpSurface && !lpUserSD[i].bSystemMemory)
      lpUserSD[i].lpDDS->lpSurface->InjectLoss();
}

void DDAllowDeviceReset() {
  if (lpDevice) lpDevice->AllowReset();
}
