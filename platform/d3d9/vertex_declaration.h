// IDirect3DVertexDeclaration9 of the stand-in: a checked list of vertex elements.
// Implements: GetDevice, GetDeclaration (the elements with their end marker). Declarations are
// not pool resources; they survive Reset.
// Leaves out: nothing of the interface.
#pragma once

#include <vector>

#include "resource.h"

namespace d3d9 {

class VertexDeclaration final : public IDirect3DVertexDeclaration9, public Resource {
 public:
  // elements: checked, without the end marker. Null when memory runs out.
  static VertexDeclaration* Create(Device* device, std::vector<D3DVERTEXELEMENT9> elements);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return AddPublicReference(); }
  ULONG Release() override { return ReleasePublicReference(); }
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override { return DeviceInterface(ppDevice); }
  HRESULT GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) override;

  const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }

 private:
  VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements);

  std::vector<D3DVERTEXELEMENT9> elements_;
};

}  // namespace d3d9
