// A reference device on a small hidden window, for tests of code that creates resources and
// draws through a real device. The back buffer is lockable so that tests can read what was drawn.
#pragma once

#include <gtest/gtest.h>

#include "d3d9api.h"

class ReferenceDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "OrbeluneReferenceDeviceTest";
    RegisterClassA(&windowClass);  // fails harmlessly when an earlier test registered it
    window_ = CreateWindowExA(0, windowClass.lpszClassName, "test", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(window_, nullptr);
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    parameters.hDeviceWindow = window_;
    parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    ASSERT_EQ(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &parameters, &device_),
              D3D_OK);
  }

  void TearDown() override {
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
  }

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};
