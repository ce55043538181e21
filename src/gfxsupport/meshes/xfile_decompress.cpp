#include "gfxsupport/meshes/xfile_decompress.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "gfxsupport/meshes/xfile_header.h"
#include "gfxsupport/read_failure.h"

namespace gfx::meshes {

namespace {

constexpr size_t kSizeFieldBytes = 4;
constexpr size_t kBlockHeaderBytes = 4;  // uncompressed size, compressed size
constexpr size_t kSignatureBytes = 2;    // "CK"
constexpr size_t kMaxBlockOutput = 32768;
// The smallest block on disk: its sizes, "CK" and a one-byte deflate stream.
constexpr size_t kSmallestBlockBytes = kBlockHeaderBytes + kSignatureBytes + 1;

uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// One raw-deflate stream kept for the whole file, reset per block; the block's history is
// handed over as a dictionary so that distances may reach back into earlier blocks.
class BlockInflater {
 public:
  BlockInflater() { ok_ = inflateInit2(&stream_, -15) == Z_OK; }
  ~BlockInflater() {
    if (ok_) inflateEnd(&stream_);
  }
  BlockInflater(const BlockInflater&) = delete;
  BlockInflater& operator=(const BlockInflater&) = delete;

  bool ok() const { return ok_; }

  // Inflates input into out[done, done + outputBytes), which must come out exactly.
  bool Inflate(const uint8_t* input, size_t inputBytes, uint8_t* out, size_t done, size_t outputBytes) {
    if (inflateReset(&stream_) != Z_OK) return false;
    if (done > 0) {
      size_t history = std::min(done, kMaxBlockOutput);
      if (inflateSetDictionary(&stream_, out + done - history, uInt(history)) != Z_OK) return false;
    }
    stream_.next_in = const_cast<Bytef*>(input);
    stream_.avail_in = uInt(inputBytes);
    stream_.next_out = out + done;
    stream_.avail_out = uInt(outputBytes);
    int result = inflate(&stream_, Z_FINISH);
    return result == Z_STREAM_END && stream_.avail_out == 0;
  }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

}  // namespace

HRESULT DecompressXFile(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  if (size < kXFileHeaderSize + kSizeFieldBytes) return Refuse("compressed file ends before its size");
  const size_t total = ReadLe32(data + kXFileHeaderSize);
  if (total < kXFileHeaderSize)
    return Refuse("compressed file states a size of %lu bytes", static_cast<unsigned long>(total));
  const size_t bodyBytes = total - kXFileHeaderSize;

  // Refuse a stated size that the blocks present could not possibly produce, before
  // allocating anything for it.
  size_t blockBytes = size - kXFileHeaderSize - kSizeFieldBytes;
  size_t mostBlocks = blockBytes / kSmallestBlockBytes;
  if (bodyBytes > mostBlocks * kMaxBlockOutput)
    return Refuse("compressed file states %lu bytes, more than its blocks can hold", static_cast<unsigned long>(total));

  BlockInflater inflater;
  if (!inflater.ok()) return E_OUTOFMEMORY;
  std::vector<uint8_t> file;
  try {
    file.resize(total);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  std::memcpy(file.data(), data, kXFileHeaderSize);
  std::memcpy(file.data() + 8, std::memcmp(data + 8, "tzip", 4) == 0 ? "txt " : "bin ", 4);

  uint8_t* body = file.data() + kXFileHeaderSize;
  size_t done = 0;
  size_t position = kXFileHeaderSize + kSizeFieldBytes;
  while (position < size) {
    if (size - position < kBlockHeaderBytes) return Refuse("compressed file ends inside a block header");
    size_t outputBytes = ReadLe16(data + position);
    size_t compressedBytes = ReadLe16(data + position + 2);
    position += kBlockHeaderBytes;
    if (outputBytes == 0 || outputBytes > kMaxBlockOutput)
      return Refuse("a compressed block of %lu bytes", static_cast<unsigned long>(outputBytes));
    if (compressedBytes <= kSignatureBytes || compressedBytes > size - position)
      return Refuse("a compressed block runs past the end of the file");
    if (outputBytes > bodyBytes - done) return Refuse("compressed blocks give more than the stated size");
    if (data[position] != 'C' || data[position + 1] != 'K')
      return Refuse("a compressed block without its CK signature");
    if (!inflater.Inflate(data + position + kSignatureBytes, compressedBytes - kSignatureBytes, body, done,
                          outputBytes)) {
      return Refuse("a compressed block does not inflate to its size");
    }
    done += outputBytes;
    position += compressedBytes;
  }
  if (done != bodyBytes) return Refuse("compressed blocks give less than the stated size");
  *out = std::move(file);
  return S_OK;
}

}  // namespace gfx::meshes
