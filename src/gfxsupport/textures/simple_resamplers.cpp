// The strategies that need no filter weights: straight copy, same-size conversion, top-left
// overlap, nearest pixel and the 2 by 2 box of a mip level.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gfxsupport/textures/conversion_pass.h"

namespace gfx::textures {

void CopyRows(const ConversionPass& pass) {
  const size_t rowBytes = size_t{pass.source.width} * pass.reader.BytesPerPixel();
  for (uint32_t z = 0; z < pass.destination.depth; ++z) {
    for (uint32_t y = 0; y < pass.destination.height; ++y) {
      std::memcpy(pass.DestinationRow(z, y), pass.SourceRow(z, y), rowBytes);
    }
  }
}

namespace {

// Between the two 32-bit ARGB formats a channel read as b / 255 and written back as
// truncate(value * 255 + offset), for any offset in (0, 1), is b again: the conversion comes
// down to the colour key and the fourth byte, done here on the bits.
bool ConvertsAsBits(const ConversionPass& pass) { return Argb32ToArgb32(pass); }

void ConvertSameSizeAsBits(const ConversionPass& pass) {
  const Argb32Key key = SourceKeyBits(pass);
  // X8R8G8B8 reads as opaque and is written with its unused byte set.
  const uint32_t forcedAlpha =
      pass.source.format == D3DFMT_X8R8G8B8 || pass.destination.format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0;
  const uint32_t keyedValue = pass.destination.format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0;
  for (uint32_t z = 0; z < pass.destination.depth; ++z) {
    for (uint32_t y = 0; y < pass.destination.height; ++y) {
      ConvertArgb32RowAsBits(pass.SourceRow(z, y), pass.destination.width, forcedAlpha, key, keyedValue,
                             pass.DestinationRow(z, y));
    }
  }
}

}  // namespace

void ConvertSameSize(const ConversionPass& pass) {
  if (ConvertsAsBits(pass)) {
    ConvertSameSizeAsBits(pass);
    return;
  }
  // Into FloatColour values as they are: read straight into the destination rows.
  if (pass.destination.format == D3DFMT_A32B32G32R32F && !pass.writer.SrgbConversion() &&
      reinterpret_cast<uintptr_t>(pass.destination.data) % alignof(FloatColour) == 0 &&
      pass.destination.rowPitch % alignof(FloatColour) == 0 &&
      pass.destination.slicePitch % alignof(FloatColour) == 0) {
    for (uint32_t z = 0; z < pass.destination.depth; ++z) {
      for (uint32_t y = 0; y < pass.destination.height; ++y) {
        pass.ReadSourceRow(z, y, reinterpret_cast<FloatColour*>(pass.DestinationRow(z, y)));
      }
    }
    return;
  }
  std::vector<FloatColour> row(pass.source.width);
  for (uint32_t z = 0; z < pass.destination.depth; ++z) {
    pass.writer.BeginSlice();
    for (uint32_t y = 0; y < pass.destination.height; ++y) {
      pass.ReadSourceRow(z, y, row.data());
      pass.WriteDestinationRow(z, y, row.data());
    }
  }
}

void ConvertOverlap(const ConversionPass& pass) {
  const SourceBlock& source = pass.source;
  const DestinationBlock& destination = pass.destination;
  const uint32_t columns = std::min(source.width, destination.width);
  std::vector<FloatColour> sourceRow(source.width);
  std::vector<FloatColour> row(destination.width);
  for (uint32_t z = 0; z < destination.depth; ++z) {
    pass.writer.BeginSlice();
    for (uint32_t y = 0; y < destination.height; ++y) {
      std::fill(row.begin(), row.end(), FloatColour{});
      if (z < source.depth && y < source.height) {
        pass.ReadSourceRow(z, y, sourceRow.data());
        std::copy_n(sourceRow.begin(), columns, row.begin());
      }
      pass.WriteDestinationRow(z, y, row.data());
    }
  }
}

namespace {

// Nearest source index to the centre of destination index i.
uint32_t NearestIndex(uint32_t i, uint32_t sourceSize, uint32_t destinationSize) {
  const uint64_t index = (uint64_t{2} * i + 1) * sourceSize / (uint64_t{2} * destinationSize);
  return static_cast<uint32_t>(std::min<uint64_t>(index, sourceSize - 1));
}

}  // namespace

void ResamplePoint(const ConversionPass& pass) {
  const SourceBlock& source = pass.source;
  const DestinationBlock& destination = pass.destination;
  std::vector<uint32_t> columns(destination.width);
  for (uint32_t x = 0; x < destination.width; ++x) columns[x] = NearestIndex(x, source.width, destination.width);
  std::vector<FloatColour> sourceRow(source.width);
  std::vector<FloatColour> row(destination.width);
  for (uint32_t z = 0; z < destination.depth; ++z) {
    pass.writer.BeginSlice();
    const uint32_t sourceZ = NearestIndex(z, source.depth, destination.depth);
    int64_t rowRead = -1;
    for (uint32_t y = 0; y < destination.height; ++y) {
      const uint32_t sourceY = NearestIndex(y, source.height, destination.height);
      if (rowRead != sourceY) {
        pass.ReadSourceRow(sourceZ, sourceY, sourceRow.data());
        rowRead = sourceY;
      }
      for (uint32_t x = 0; x < destination.width; ++x) row[x] = sourceRow[columns[x]];
      pass.WriteDestinationRow(z, y, row.data());
    }
  }
}

namespace {

bool Halves(uint32_t sourceSize, uint32_t destinationSize) {
  return sourceSize == 1 ? destinationSize == 1 : destinationSize == sourceSize / 2;
}

// The two source indices under destination index i (the same one where the source is 1).
uint32_t BoxTap(uint32_t i, uint32_t tap, uint32_t sourceSize) { return std::min(2 * i + tap, sourceSize - 1); }

void Accumulate(FloatColour& sum, const FloatColour& value) {
  sum.r += value.r;
  sum.g += value.g;
  sum.b += value.b;
  sum.a += value.a;
}

}  // namespace

bool IsHalving(const ConversionPass& pass) {
  return Halves(pass.source.width, pass.destination.width) && Halves(pass.source.height, pass.destination.height) &&
         Halves(pass.source.depth, pass.destination.depth);
}

void ResampleBoxHalf(const ConversionPass& pass) {
  const SourceBlock& source = pass.source;
  const DestinationBlock& destination = pass.destination;
  std::vector<FloatColour> sourceRow(source.width);
  std::vector<FloatColour> row(destination.width);
  const uint32_t slices = source.depth == 1 ? 1 : 2;
  const uint32_t rows = source.height == 1 ? 1 : 2;
  const uint32_t columns = source.width == 1 ? 1 : 2;
  const float scale = 1.0f / static_cast<float>(slices * rows * columns);
  for (uint32_t z = 0; z < destination.depth; ++z) {
    pass.writer.BeginSlice();
    for (uint32_t y = 0; y < destination.height; ++y) {
      std::fill(row.begin(), row.end(), FloatColour{});
      for (uint32_t dz = 0; dz < slices; ++dz) {
        for (uint32_t dy = 0; dy < rows; ++dy) {
          pass.ReadSourceRow(BoxTap(z, dz, source.depth), BoxTap(y, dy, source.height), sourceRow.data());
          for (uint32_t x = 0; x < destination.width; ++x) {
            for (uint32_t dx = 0; dx < columns; ++dx) Accumulate(row[x], sourceRow[BoxTap(x, dx, source.width)]);
          }
        }
      }
      for (FloatColour& value : row) {
        value = {value.r * scale, value.g * scale, value.b * scale, value.a * scale};
      }
      pass.WriteDestinationRow(z, y, row.data());
    }
  }
}

}  // namespace gfx::textures
