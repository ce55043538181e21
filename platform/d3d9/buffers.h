// IDirect3DVertexBuffer9 and IDirect3DIndexBuffer9 of the stand-in: bytes in memory.
// Implements: Lock/Unlock (size 0 locks to the end; nested locks are counted, as the real
// runtime allows), GetDesc; the device reads the bytes when it draws, whatever the pool.
// Leaves out: lock flags beyond their meaning for a memory buffer (DISCARD, NOOVERWRITE and
// READONLY need no action here).
#pragma once

#include <cstdint>
#include <memory>

#include "resource.h"

namespace d3d9 {

// Memory and lock count shared by both kinds of buffer.
class BufferStorage {
 public:
  bool Allocate(UINT length);
  HRESULT Lock(UINT offset, UINT size, void** data);
  HRESULT Unlock();
  UINT Length() const { return length_; }
  const uint8_t* Bytes() const { return bytes_.get(); }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  UINT length_ = 0;
  UINT lockCount_ = 0;
};

class VertexBuffer final : public ResourceInterface<IDirect3DVertexBuffer9> {
 public:
  static VertexBuffer* Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  const BufferStorage& Storage() const { return storage_; }

 private:
  VertexBuffer(Device* device, DWORD usage, DWORD fvf, D3DPOOL pool);

  DWORD fvf_;
  BufferStorage storage_;
};

class IndexBuffer final : public ResourceInterface<IDirect3DIndexBuffer9> {
 public:
  static IndexBuffer* Create(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  const BufferStorage& Storage() const { return storage_; }
  D3DFORMAT Format() const { return format_; }

 private:
  IndexBuffer(Device* device, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  D3DFORMAT format_;
  BufferStorage storage_;
};

}  // namespace d3d9
