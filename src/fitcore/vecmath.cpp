#include "fitcore/vecmath.h"

#include <immintrin.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

// glibc's libmvec entry points (x86-64 vector function ABI: 'd' = AVX2, four
// lanes in a ymm register; 'e' = AVX-512, eight lanes in a zmm register).
extern "C" {
__attribute__((target("avx2"))) __m256d _ZGVdN4v_exp(__m256d);
__attribute__((target("avx2"))) __m256d _ZGVdN4v_log(__m256d);
__attribute__((target("avx2"))) __m256d _ZGVdN4v_sin(__m256d);
__attribute__((target("avx2"))) __m256d _ZGVdN4v_cos(__m256d);
__attribute__((target("avx512f"))) __m512d _ZGVeN8v_exp(__m512d);
__attribute__((target("avx512f"))) __m512d _ZGVeN8v_log(__m512d);
__attribute__((target("avx512f"))) __m512d _ZGVeN8v_sin(__m512d);
__attribute__((target("avx512f"))) __m512d _ZGVeN8v_cos(__m512d);
__attribute__((target("avx2"))) __m256d _ZGVdN4vv_pow(__m256d, __m256d);
__attribute__((target("avx512f"))) __m512d _ZGVeN8vv_pow(__m512d, __m512d);
}

namespace trelvo::vecmath {
namespace {

using Kernel = void (*)(const double*, double*, std::size_t);

// Lanes past the end of an array are filled with 1.0, a value with no special
// case in any of the functions.
#define TRELVO_VECMATH_KERNELS(NAME)                                                            \
  void NAME##_scalar(const double* in, double* out, std::size_t n) {                           \
    for (std::size_t i = 0; i < n; ++i) out[i] = std::NAME(in[i]);                              \
  }                                                                                             \
  __attribute__((target("avx2"))) void NAME##_avx2(const double* in, double* out, std::size_t n) { \
    std::size_t i = 0;                                                                          \
    for (; i + 4 <= n; i += 4) _mm256_storeu_pd(out + i, _ZGVdN4v_##NAME(_mm256_loadu_pd(in + i))); \
    if (i < n) {                                                                                \
      alignas(32) double t[4] = {1.0, 1.0, 1.0, 1.0};                                          \
      std::memcpy(t, in + i, (n - i) * sizeof(double));                                         \
      _mm256_store_pd(t, _ZGVdN4v_##NAME(_mm256_load_pd(t)));                                  \
      std::memcpy(out + i, t, (n - i) * sizeof(double));                                        \
    }                                                                                           \
  }                                                                                             \
  __attribute__((target("avx512f"))) void NAME##_avx512(const double* in, double* out, std::size_t n) { \
    std::size_t i = 0;                                                                          \
    for (; i + 8 <= n; i += 8) _mm512_storeu_pd(out + i, _ZGVeN8v_##NAME(_mm512_loadu_pd(in + i))); \
    if (i < n) {                                                                                \
      const __mmask8 m = static_cast<__mmask8>((1u << (n - i)) - 1u);                           \
      const __m512d v = _mm512_mask_loadu_pd(_mm512_set1_pd(1.0), m, in + i);                  \
      _mm512_mask_storeu_pd(out + i, m, _ZGVeN8v_##NAME(v));                                    \
    }                                                                                           \
  }

TRELVO_VECMATH_KERNELS(exp)
TRELVO_VECMATH_KERNELS(log)
TRELVO_VECMATH_KERNELS(sin)
TRELVO_VECMATH_KERNELS(cos)
#undef TRELVO_VECMATH_KERNELS

// pow over arrays: a base and an exponent that are each either one value for
// every element (step 0) or an array (step 1).
struct PowArgs {
  const double* base;
  std::size_t base_step;
  const double* exponent;
  std::size_t exponent_step;
};

using PowKernel = void (*)(PowArgs, double*, std::size_t);

void pow_scalar(PowArgs a, double* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = std::pow(a.base[i * a.base_step], a.exponent[i * a.exponent_step]);
}

__attribute__((target("avx2"))) __m256d load4(const double* p, std::size_t step, std::size_t i) {
  return step ? _mm256_loadu_pd(p + i) : _mm256_set1_pd(*p);
}

__attribute__((target("avx2"))) __m256d tail4(const double* p, std::size_t step, std::size_t i, std::size_t left) {
  alignas(32) double t[4] = {1.0, 1.0, 1.0, 1.0};
  for (std::size_t k = 0; k < left; ++k) t[k] = step ? p[i + k] : *p;
  return _mm256_load_pd(t);
}

__attribute__((target("avx2"))) void pow_avx2(PowArgs a, double* out, std::size_t n) {
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4)
    _mm256_storeu_pd(out + i, _ZGVdN4vv_pow(load4(a.base, a.base_step, i), load4(a.exponent, a.exponent_step, i)));
  if (i < n) {
    alignas(32) double t[4];
    _mm256_store_pd(t, _ZGVdN4vv_pow(tail4(a.base, a.base_step, i, n - i),
                                     tail4(a.exponent, a.exponent_step, i, n - i)));
    std::memcpy(out + i, t, (n - i) * sizeof(double));
  }
}

__attribute__((target("avx512f"))) __m512d load8(const double* p, std::size_t step, std::size_t i, __mmask8 m) {
  return step ? _mm512_mask_loadu_pd(_mm512_set1_pd(1.0), m, p + i) : _mm512_set1_pd(*p);
}

__attribute__((target("avx512f"))) void pow_avx512(PowArgs a, double* out, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8)
    _mm512_storeu_pd(out + i, _ZGVeN8vv_pow(load8(a.base, a.base_step, i, 0xFF),
                                            load8(a.exponent, a.exponent_step, i, 0xFF)));
  if (i < n) {
    const __mmask8 m = static_cast<__mmask8>((1u << (n - i)) - 1u);
    const __m512d one = _mm512_set1_pd(1.0);
    // Lanes past the end hold 1.0 in both operands, a one-value operand too.
    const __m512d base = _mm512_mask_blend_pd(m, one, load8(a.base, a.base_step, i, m));
    const __m512d exponent = _mm512_mask_blend_pd(m, one, load8(a.exponent, a.exponent_step, i, m));
    _mm512_mask_storeu_pd(out + i, m, _ZGVeN8vv_pow(base, exponent));
  }
}

constexpr PowKernel kPowKernels[3] = {pow_scalar, pow_avx2, pow_avx512};

void run_pow(PowArgs a, double* out, std::size_t n) { kPowKernels[static_cast<int>(active_isa())](a, out, n); }

#if defined(__x86_64__)
__attribute__((target("avx"))) void zero_upper_avx() { _mm256_zeroupper(); }

bool has_avx() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}
#endif

// Indexed by Isa, then by Func.
constexpr Kernel kKernels[3][4] = {
    {exp_scalar, log_scalar, sin_scalar, cos_scalar},
    {exp_avx2, log_avx2, sin_avx2, cos_avx2},
    {exp_avx512, log_avx512, sin_avx512, cos_avx512},
};

Isa detect() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return Isa::Avx512;
  if (__builtin_cpu_supports("avx2")) return Isa::Avx2;
  return Isa::Scalar;
}

Isa clamp(Isa wanted) {
  const Isa best = supported_isa();
  return static_cast<int>(wanted) < static_cast<int>(best) ? wanted : best;
}

Isa from_environment() {
  const char* v = std::getenv("TRELVO_VECMATH");
  if (v && std::strcmp(v, "scalar") == 0) return clamp(Isa::Scalar);
  if (v && std::strcmp(v, "avx2") == 0) return clamp(Isa::Avx2);
  return supported_isa();
}

std::atomic<Isa>& current() {
  static std::atomic<Isa> isa{from_environment()};
  return isa;
}

}  // namespace

Isa supported_isa() {
  static const Isa isa = detect();
  return isa;
}

Isa active_isa() { return current().load(std::memory_order_relaxed); }

Isa set_isa(Isa isa) {
  const Isa used = clamp(isa);
  current().store(used, std::memory_order_relaxed);
  return used;
}

void map(Func func, const double* in, double* out, std::size_t n) {
  kKernels[static_cast<int>(active_isa())][static_cast<int>(func)](in, out, n);
}

double apply(Func func, double v) {
  double r;
  map(func, &v, &r, 1);
  return r;
}

void map_pow(const double* in, double exponent, double* out, std::size_t n) {
  run_pow({in, 1, &exponent, 0}, out, n);
}

void map_pow(const double* base, const double* exponent, double* out, std::size_t n) {
  run_pow({base, 1, exponent, 1}, out, n);
}

void map_pow(double base, const double* exponent, double* out, std::size_t n) {
  run_pow({&base, 0, exponent, 1}, out, n);
}

double apply_pow(double v, double exponent) {
  double r;
  map_pow(&v, exponent, &r, 1);
  return r;
}

void clear_upper_state() {
#if defined(__x86_64__)
  static const bool avx = has_avx();
  if (avx) zero_upper_avx();
#endif
}

}  // namespace trelvo::vecmath
