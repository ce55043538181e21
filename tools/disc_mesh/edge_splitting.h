// How many straight pieces an edge of a tile is drawn with. A straight piece drawn between
// two points of a tile, its texture interpolated evenly between theirs, shows in its middle a
// texture point that the true picture shows somewhere else: the piece strays by that
// distance. Edges are curved geodesics along which the texture moves at an uneven pace, so
// long pieces stray; each edge is cut into the fewest even steps (along the drawn disc's
// Klein model, where the edge is straight) for which no piece strays more than the tolerance.
// The edge alone decides, so both tiles sharing it cut it alike.
#pragma once

#include <functional>

// `stray(s0, s1)` is how far the piece of the edge from s0 to s1 (in [0, 1]) strays.
// Returns a count from 1 to maxSplits.
int EdgeSplits(const std::function<double(double, double)>& stray, double tolerance, int maxSplits);
