#pragma once
#include <QRgb>
#include <cstdint>

// Vector inner loops of the neighbourhood effects, chosen at run time by what
// the processor offers. Each does exactly what the plain loop in
// NeighbourEffects.cpp does, pixel for pixel; a kernel that is not available
// does nothing and returns 0, leaving the work to the plain loop.
namespace neighbourkernels {

enum class Shade { Edge, Emboss };

// The widest loops used: tests and benchmarks hold them back to check and
// time the narrower ones (and the plain loops) on this machine.
enum class Width { Plain, Avx2, Widest };
void setWidth(Width widest);

// One pair of rows of 2 x 2 blocks, both rows present: s0/s1 the source
// rows y and y + 1, d0/d1 the results. Works from x = 0 in steps of 8 while
// a whole step fits; returns the first x it did not do.
int blockRows(const QRgb *s0, const QRgb *s1, QRgb *d0, QRgb *d1, int width, int threshold, Shade shade);

// The noise decisions of one row from x = 1: out[x] = 1 when the pixel
// moves down, that is when u + y, u = draw at state + (x - 1) * step,
// rounds (halves to even) to y + 1. Returns the first x it did not do.
int noiseDecisions(uint64_t state, uint64_t step, int y, int width, uint8_t *out);

// d[x] = cur[x] when the pixel stays (here[x] == 0), else up[x] when the one
// above moves down (above[x] != 0), else black. Returns the first x it did
// not do.
int noiseCombine(const QRgb *cur, const QRgb *up, const uint8_t *here, const uint8_t *above, QRgb *d,
                 int width);

}
