#pragma once
// Polynomial least squares, evaluation and roots, computed the way NumPy's
// polyfit, polyval and roots compute them (same LAPACK drivers, same scaling,
// same companion matrix), so that results and root order agree with NumPy.
// Coefficients are ordered highest power first.
#include <complex>
#include <cstddef>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// Least-squares polynomial of degree `degree` through (x, y), as
// numpy.polyfit(x, y, degree): Vandermonde matrix, columns scaled to unit norm,
// LAPACK dgelsd with rcond = len(x) * eps. Emits RankWarning "Polyfit may be
// poorly conditioned" when the rank is below degree + 1. A column of zeros
// (all x = 0) is left unscaled, giving the minimum-norm solution.
// Throws TypeError "expected non-empty vector for x" (empty data),
// "expected x and y to have same length"; ValueError "expected deg >= 0";
// MemoryError when the matrix would exceed limits::kMaxArrayLength elements.
// Data must be finite (callers check).
TRELVO_EXPORT std::vector<double> polyfit(const std::vector<double>& x, const std::vector<double>& y,
                                          int degree);

// Least squares of y - y0 on the powers x^degree ... x^1 (the constant held at
// y0), with the same scaling, driver and warning as polyfit. Returns
// degree + 1 coefficients, the last being y0.
TRELVO_EXPORT std::vector<double> polyfit_fixed_constant(const std::vector<double>& x,
                                                         const std::vector<double>& y, int degree,
                                                         double y0);

// numpy.polyval: Horner's scheme starting from 0 (so a non-finite x gives NaN
// as it does in NumPy).
TRELVO_EXPORT double polyval(const std::vector<double>& coef, double x);

// Coefficients without leading zeros; [0.0] when nothing is left, as
// numpy.poly1d keeps them.
TRELVO_EXPORT std::vector<double> poly1d_coeffs(const std::vector<double>& coef);

// numpy.polyder of order 1 of a poly1d's coefficients.
TRELVO_EXPORT std::vector<double> polyder(const std::vector<double>& coef);

// numpy.roots: leading and trailing zeros removed (trailing ones give zero
// roots at the end), eigenvalues of NumPy's companion matrix by LAPACK dgeev,
// in dgeev's order. Empty when the polynomial is constant or zero.
// Throws ValueError "Array must not contain infs or NaNs" for non-finite
// coefficients (NumPy's LinAlgError text).
TRELVO_EXPORT std::vector<std::complex<double>> roots(const std::vector<double>& coef);


}  // namespace trelvo
