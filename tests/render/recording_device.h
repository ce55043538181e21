// Direct3D objects for tests of the frame around the picture: they draw nothing, write down
// each call they receive in one shared log, and fail any call named in the log's failure set.
// Calls that the frame is not expected to make are logged too, prefixed "unexpected ".
#pragma once

#include "d3d9api.h"
#include "../support/unimplemented_device.h"

#include <set>
#include <string>
#include <vector>

struct CallLog {
  std::vector<std::string> calls;
  std::set<std::string> failing;

  HRESULT Record(const std::string& name) {
    calls.push_back(name);
    return failing.count(name) != 0 ? E_FAIL : S_OK;
  }

  HRESULT Unexpected(const char* operation) {
    calls.push_back(std::string("unexpected ") + operation);
    return D3DERR_INVALIDCALL;
  }
};

// A scratch surface handed out by CreateOffscreenPlainSurface; logs its final Release.
class RecordingSurface final : public IDirect3DSurface9 {
 public:
  explicit RecordingSurface(CallLog& callLog) : log(callLog) {}
  HRESULT QueryInterface(REFIID, void**) override { return log.Unexpected(__func__); }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) {
      log.Record("Surface::Release");
      delete this;
    }
    return left;
  }
  HRESULT GetDevice(IDirect3DDevice9**) override { return log.Unexpected(__func__); }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID, void**) override { return log.Unexpected(__func__); }
  // The file writer's business, not the frame's: refused without a log entry, so that
  // saving stops before any file is made.
  HRESULT GetDesc(D3DSURFACE_DESC*) override { return D3DERR_INVALIDCALL; }
  HRESULT LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT UnlockRect() override { return D3DERR_INVALIDCALL; }

 private:
  CallLog& log;
  ULONG references = 1;
};

class RecordingDirect3D final : public IDirect3D9 {
 public:
  explicit RecordingDirect3D(CallLog& callLog) : log(callLog) {}
  D3DDISPLAYMODE displayMode = {1024, 768, 60, D3DFMT_X8R8G8B8};

  HRESULT QueryInterface(REFIID, void**) override { return log.Unexpected(__func__); }
  ULONG AddRef() override { return 2; }
  ULONG Release() override {
    log.Record("Direct3D::Release");
    return 1;
  }
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
    const HRESULT result = log.Record("GetAdapterDisplayMode");
    if (SUCCEEDED(result)) *mode = displayMode;
    return result;
  }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return log.Unexpected(__func__); }
  HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT) override {
    return log.Unexpected(__func__);
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
    return log.Unexpected(__func__);
  }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override { return log.Unexpected(__func__); }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) override {
    return log.Unexpected(__func__);
  }

 private:
  CallLog& log;
};

// Answers the calls of the frame around the picture; every other call is logged as unexpected.
class RecordingDevice final : public UnimplementedDevice {
 public:
  explicit RecordingDevice(CallLog& callLog) : log(callLog) {}

  // Arguments worth checking, from the latest call of each kind.
  DWORD clearFlags = 0;
  D3DCOLOR clearColor = 0;
  float clearDepth = -1.0f;
  const D3DPRESENT_PARAMETERS* resetParams = nullptr;
  UINT surfaceWidth = 0, surfaceHeight = 0;
  D3DFORMAT surfaceFormat = D3DFMT_UNKNOWN;
  D3DPOOL surfacePool = D3DPOOL_DEFAULT;
  IDirect3DSurface9* frontBufferTarget = nullptr;

  HRESULT QueryInterface(REFIID, void**) override { return log.Unexpected(__func__); }
  ULONG AddRef() override { return 2; }
  ULONG Release() override {
    log.Record("Device::Release");
    return 1;
  }
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
    resetParams = params;
    return log.Record("Reset");
  }
  HRESULT Present(const RECT* source, const RECT* destination, HWND window, const void* dirty) override {
    const bool plain = source == nullptr && destination == nullptr && window == nullptr && dirty == nullptr;
    return log.Record(plain ? "Present" : "Present with arguments");
  }
  HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* surface) override {
    frontBufferTarget = surface;
    return log.Record(swapChain == 0 ? "GetFrontBufferData" : "GetFrontBufferData of another chain");
  }
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE*) override {
    surfaceWidth = width;
    surfaceHeight = height;
    surfaceFormat = format;
    surfacePool = pool;
    const HRESULT result = log.Record("CreateOffscreenPlainSurface");
    if (SUCCEEDED(result)) *surface = new RecordingSurface(log);
    return result;
  }
  HRESULT BeginScene() override { return log.Record("BeginScene"); }
  HRESULT EndScene() override { return log.Record("EndScene"); }
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override {
    clearFlags = flags;
    clearColor = color;
    clearDepth = z;
    const bool whole = count == 0 && rects == nullptr && stencil == 0;
    return log.Record(whole ? "Clear" : "Clear with rectangles or stencil");
  }

 protected:
  HRESULT Unimplemented(const char* operation) override { return log.Unexpected(operation); }

 private:
  CallLog& log;
};
