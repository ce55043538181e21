// IDirect3DVertexDeclaration9 of the stand-in.
// Implements: the declaration object of vertex_declaration.h.
// Leaves out: nothing of the interface.
#include "vertex_declaration.h"

#include <new>

namespace d3d9 {

VertexDeclaration* VertexDeclaration::Create(Device* device, std::vector<D3DVERTEXELEMENT9> elements) {
  return new (std::nothrow) VertexDeclaration(device, std::move(elements));
}

// Registered like a managed resource: it has no pixels or bytes to lose on Reset.
VertexDeclaration::VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements)
    : Resource(device, D3DPOOL_MANAGED, 0, Membership::Standalone), elements_(std::move(elements)) {}

HRESULT VertexDeclaration::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3DVertexDeclaration9})) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<IDirect3DVertexDeclaration9*>(this);
  return S_OK;
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) {
  if (pNumElements == nullptr) return D3DERR_INVALIDCALL;
  const UINT count = static_cast<UINT>(elements_.size()) + 1;  // the end marker counts
  if (pElement != nullptr) {
    for (size_t i = 0; i < elements_.size(); ++i) pElement[i] = elements_[i];
    pElement[elements_.size()] = D3DVERTEXELEMENT9 D3DDECL_END();
  }
  *pNumElements = count;
  return D3D_OK;
}

}  // namespace d3d9
