#include "edge_splitting.h"

int EdgeSplits(const std::function<double(double, double)>& stray, double tolerance, int maxSplits) {
  for (int splits = 1; splits < maxSplits; ++splits) {
    bool within = true;
    for (int piece = 0; piece < splits && within; ++piece) {
      within = stray(double(piece) / splits, double(piece + 1) / splits) <= tolerance;
    }
    if (within) return splits;
  }
  return maxSplits;
}
