#pragma once
// Element-wise exp, log, sin, cos and pow over arrays of doubles, on glibc's
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

// out[i] = pow(in[i], exponent) for i < n; `out` may be `in`. Unlike
// exp(exponent * log(in[i])), within a few ulp of libm whatever the size of
// exponent * log(in[i]).
TRELVO_EXPORT void map_pow(const double* in, double exponent, double* out, std::size_t n);

// out[i] = pow(base[i], exponent[i]) for i < n; `out` may be either input.
TRELVO_EXPORT void map_pow(const double* base, const double* exponent, double* out, std::size_t n);

// out[i] = pow(base, exponent[i]) for i < n; `out` may be `exponent`.
TRELVO_EXPORT void map_pow(double base, const double* exponent, double* out, std::size_t n);

// pow(v, exponent) as every map_pow() computes it for one element.
TRELVO_EXPORT double apply_pow(double v, double exponent);

// Clears the upper halves of the vector registers (vzeroupper) on x86-64 CPUs
// with AVX, and does nothing elsewhere. Scalar floating-point code run while
// code before it left them dirty is many times slower on some CPUs; long loops
// call this on entry.
TRELVO_EXPORT void clear_upper_state();

}  // namespace trelvo::vecmath
