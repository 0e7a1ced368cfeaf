#pragma once
// Counts the pixels that the draws between Begin and End write, with an occlusion query
// (the samples that pass the depth and stencil tests, whatever blending then does with
// them; clears are not draws). Header-only: the tests and the benchmark both use it.
#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"

class PixelCounter {
 public:
  explicit PixelCounter(IDirect3DDevice9* device) {
    if (device) device->CreateQuery(D3DQUERYTYPE_OCCLUSION, query_.Put());
  }
  bool Ok() const { return bool(query_); }
  void Begin() {
    if (query_) query_->Issue(D3DISSUE_BEGIN);
  }
  // Waits for the count (a loaded machine may take a while); -1 without a query or answer.
  int64_t End() {
    if (!query_) return -1;
    query_->Issue(D3DISSUE_END);
    DWORD samples = 0;
    const DWORD start = GetTickCount();
    HRESULT hr;
    while ((hr = query_->GetData(&samples, sizeof samples, D3DGETDATA_FLUSH)) == S_FALSE) {
      if (GetTickCount() - start > 60000) return -1;
      Sleep(1);
    }
    return hr == S_OK ? int64_t(samples) : -1;
  }

 private:
  ComRef<IDirect3DQuery9> query_;
};
