// IDirect3DVertexBuffer9 and IDirect3DIndexBuffer9 of the stand-in.
// Implements: the buffers of buffers.h.
// Leaves out: lock flags beyond their meaning for memory.
#include "buffers.h"

#include <new>

#include "device.h"

namespace d3d9 {

bool BufferStorage::Allocate(UINT length) {
  bytes_.reset(new (std::nothrow) uint8_t[length]());
  length_ = bytes_ ? length : 0;
  return bytes_ != nullptr;
}

HRESULT BufferStorage::Lock(UINT offset, UINT size, void** data) {
  if (data == nullptr || offset > length_) return D3DERR_INVALIDCALL;
  // Compared in 64 bits: offset + size may not fit in 32.
  if (size != 0 && uint64_t{offset} + size > length_) return D3DERR_INVALIDCALL;
  ++lockCount_;
  *data = bytes_.get() + offset;
  return D3D_OK;
}

HRESULT BufferStorage::Unlock() {
  if (lockCount_ == 0) return D3DERR_INVALIDCALL;
  --lockCount_;
  return D3D_OK;
}

VertexBuffer* VertexBuffer::Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) {
  VertexBuffer* buffer = new (std::nothrow) VertexBuffer(device, usage, fvf, pool);
  if (buffer == nullptr) return nullptr;
  if (!buffer->storage_.Allocate(length)) {
    buffer->Release();
    return nullptr;
  }
  return buffer;
}

VertexBuffer::VertexBuffer(Device* device, DWORD usage, DWORD fvf, D3DPOOL pool)
    : ResourceInterface(device, pool, usage, Membership::Standalone), fvf_(fvf) {}

HRESULT VertexBuffer::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DVertexBuffer9})) {
    return E_NOINTERFACE;
  }
  AddRef();
  *ppvObject = static_cast<IDirect3DVertexBuffer9*>(this);
  return S_OK;
}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD /*Flags*/) {
  return storage_.Lock(OffsetToLock, SizeToLock, ppbData);
}

HRESULT VertexBuffer::Unlock() {
  const HRESULT result = storage_.Unlock();
  if (SUCCEEDED(result) && OwningDevice() != nullptr) OwningDevice()->Backend().MemoryChanged(*this);
  return result;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  pDesc->Format = D3DFMT_VERTEXDATA;
  pDesc->Type = D3DRTYPE_VERTEXBUFFER;
  pDesc->Usage = Usage();
  pDesc->Pool = Pool();
  pDesc->Size = storage_.Length();
  pDesc->FVF = fvf_;
  return D3D_OK;
}

IndexBuffer* IndexBuffer::Create(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
  IndexBuffer* buffer = new (std::nothrow) IndexBuffer(device, usage, format, pool);
  if (buffer == nullptr) return nullptr;
  if (!buffer->storage_.Allocate(length)) {
    buffer->Release();
    return nullptr;
  }
  return buffer;
}

IndexBuffer::IndexBuffer(Device* device, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceInterface(device, pool, usage, Membership::Standalone), format_(format) {}

HRESULT IndexBuffer::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DIndexBuffer9})) {
    return E_NOINTERFACE;
  }
  AddRef();
  *ppvObject = static_cast<IDirect3DIndexBuffer9*>(this);
  return S_OK;
}

HRESULT IndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD /*Flags*/) {
  return storage_.Lock(OffsetToLock, SizeToLock, ppbData);
}

HRESULT IndexBuffer::Unlock() {
  const HRESULT result = storage_.Unlock();
  if (SUCCEEDED(result) && OwningDevice() != nullptr) OwningDevice()->Backend().MemoryChanged(*this);
  return result;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_INDEXBUFFER;
  pDesc->Usage = Usage();
  pDesc->Pool = Pool();
  pDesc->Size = storage_.Length();
  return D3D_OK;
}

}  // namespace d3d9
