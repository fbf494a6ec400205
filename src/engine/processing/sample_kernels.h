#pragma once

#include <cstddef>
#include <cstdint>

// Sample arithmetic over runs of codes, written so that the compiler can work on several samples at
// once, with exactly the rounding of the single-sample form: each code becomes
// CodeOf(scale[j] * ValueOf(code) - shift[j]) (with a shift of 0 that is the product itself, and
// with a scale of 1 the difference itself). They handle at most kKernelRun codes and only results that
// fit in 32 bits before they are cut to the code's width; for anything else they change nothing and
// answer false, and the caller takes the single-sample form (which also raises the error that a
// value beyond storing gives).

// The samples of a run of 100 stereo frames.
inline constexpr int kKernelRun = 200;

// `words` and `bytes` point into the image, `count` codes in file order.
bool ScaleWords(uint8_t* words, const double* scale, const double* shift, int count);
bool ScaleBytes(uint8_t* bytes, const double* scale, const double* shift, int count);

// Each of `count` values becomes its code, in file order: CodeOf(values[j]).
bool StoreWords(uint8_t* words, const double* values, int count);
bool StoreBytes(uint8_t* bytes, const double* values, int count);

// The same for the wider codes: three-byte and four-byte integers, and floats (which store any
// finite result).
bool ScaleTriples(uint8_t* triples, const double* scale, const double* shift, int count);
bool ScaleLongs(uint8_t* longs, const double* scale, const double* shift, int count);
bool ScaleFloats(uint8_t* floats, const double* scale, const double* shift, int count);
bool StoreTriples(uint8_t* triples, const double* values, int count);
bool StoreLongs(uint8_t* longs, const double* values, int count);
bool StoreFloats(uint8_t* floats, const double* values, int count);

// The lowest and highest of `count` (at most kKernelRun) 24-bit or 32-bit codes, widening `lo`
// and `hi`.
void WideCodeRange(const uint8_t* codes, int count, bool triples, int32_t& lo, int32_t& hi);

// Invert's exact form on `bytes` bytes of codes in file order: every bit of an integer code flipped
// (255 − b for bytes, −1 − s for the signed codes), the sign of a float flipped.
void InvertCodes(uint8_t* bytes, size_t size, bool floats);

// sums[k] = start + values[k + from] + values[k + from + 1] + … + values[k + to], added in that
// order, for k below `count`.
void WindowSums(const double* values, int count, int from, int to, double start, double* sums);

// The fades' weights of `count` frames whose positions count up from `offset` in a selection
// `span` frames long: the smooth ramp 3t² − 2t³ of t = position / span, or of 1 − t for a fade
// out.
void FadeWeights(double* weights, double offset, double span, int count, bool fadeOut);
