#pragma once
// Element-wise exp, log, sin and cos over arrays of doubles, on glibc's
// vector math library (libmvec) when the CPU has AVX2 or AVX-512F, on libm
// otherwise. The vector forms are within 4 ulp of libm for finite results and
// give the same class for the others (inf, -inf, nan, zero); they never raise
// and never depend on an element's neighbours, so an element's result is the
// same wherever it sits in an array and whatever the array's length.
#include <cstddef>
#include <cstdint>

#include "fitcore/export.h"

namespace trelvo::vecmath {

enum class Isa : std::uint8_t { Scalar, Avx2, Avx512 };

enum class Func : std::uint8_t { Exp, Log, Sin, Cos };

// The widest instruction set this CPU and its OS support.
TRELVO_EXPORT Isa supported_isa();

// The instruction set in use: supported_isa(), lowered by the environment
// variable TRELVO_VECMATH=scalar or =avx2 when it is set at the first call.
TRELVO_EXPORT Isa active_isa();

// Uses `isa`, clamped to supported_isa(); returns the one now in use. For
// tests and comparisons; not meant to change while other threads compute.
TRELVO_EXPORT Isa set_isa(Isa isa);

// out[i] = func(in[i]) for i < n; `out` may be `in`.
TRELVO_EXPORT void map(Func func, const double* in, double* out, std::size_t n);

// func(v) as map() computes it for one element.
TRELVO_EXPORT double apply(Func func, double v);

}  // namespace trelvo::vecmath
