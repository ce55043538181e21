// Vertex layouts: FVF codes and vertex declarations reduced to the elements the fixed-function
// pipeline reads.
// Implements: the element list of an FVF code (the order and sizes the real runtime uses),
// the size of an FVF vertex, validation of declaration element lists, and the choice of the
// position, normal, diffuse colour and texture coordinates among the elements.
// Leaves out: tessellation methods (only D3DDECLMETHOD_DEFAULT draws), vertex blending.
#pragma once

#include <optional>
#include <vector>

#include "d3d9.h"

namespace d3d9 {

constexpr UINT kMaxStreams = 16;

// Bytes taken by one element of a declaration type; 0 for an invalid type.
UINT DeclarationTypeSize(BYTE type);

// The elements of an FVF code, all in stream 0, without the end marker; nullopt for codes
// the runtime rejects (reserved bits, no position, more than 8 texture sets, ...).
std::optional<std::vector<D3DVERTEXELEMENT9>> ElementsOfFvf(DWORD fvf);
// Bytes per vertex of an FVF code; 0 when the code is invalid.
UINT FvfVertexSize(DWORD fvf);

// Checks a declaration up to its end marker and returns the elements without the marker;
// nullopt when an element is malformed, repeated, misaligned, or the marker is missing within
// MAXD3DDECLLENGTH elements.
std::optional<std::vector<D3DVERTEXELEMENT9>> ValidatedDeclaration(const D3DVERTEXELEMENT9* elements);

// Where the pipeline finds each input; absent inputs have no value.
struct VertexInputs {
  std::optional<D3DVERTEXELEMENT9> position;  // POSITION (FLOAT3) or POSITIONT (FLOAT4)
  bool pretransformed = false;
  std::optional<D3DVERTEXELEMENT9> normal;
  std::optional<D3DVERTEXELEMENT9> diffuse;
  std::optional<D3DVERTEXELEMENT9> texcoord;  // the set that stage 0 reads
};
VertexInputs FindInputs(const std::vector<D3DVERTEXELEMENT9>& elements, UINT texcoordSet);

}  // namespace d3d9
