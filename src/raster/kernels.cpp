// The thirteen convolution kernels and their registry.
// Values are worked out in double and handed back as 32-bit floats.
#include "raster/kernels.h"

#include <cmath>
#include <numbers>

namespace mirelane {

namespace {

constexpr double kPi = std::numbers::pi;

// sin(pi x) / (pi x), 1 at x = 0.
double Sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = kPi * x;
  return std::sin(px) / px;
}

template <class T>
std::unique_ptr<TCustomKernel> Make() {
  return std::make_unique<T>();
}

}  // namespace

float TBoxKernel::KernelAt(float x) const {
  return (x >= -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TLinearKernel::KernelAt(float x) const {
  if (x >= -1.0f && x < 0.0f) return 1.0f + x;
  if (x >= 0.0f && x < 1.0f) return 1.0f - x;
  return 0.0f;
}

float TCosineKernel::KernelAt(float x) const {
  if (std::fabs(x) >= 1.0f) return 0.0f;
  return static_cast<float>((std::cos(kPi * x) + 1.0) / 2.0);
}

float TSplineKernel::KernelAt(float x) const {
  const double a = std::fabs(static_cast<double>(x));
  if (a < 1.0) return static_cast<float>(0.5 * a * a * a - a * a + 2.0 / 3.0);
  if (a < 2.0) {
    const double b = 2.0 - a;
    return static_cast<float>(b * b * b / 6.0);
  }
  return 0.0f;
}

float TCubicKernel::KernelAt(float x) const {
  const double a = coeff_;
  const double t = std::fabs(static_cast<double>(x));
  const double t2 = t * t, t3 = t2 * t;
  if (t < 1.0) return static_cast<float>((a + 2.0) * t3 - (a + 3.0) * t2 + 1.0);
  if (t < 2.0) return static_cast<float>(a * (t3 - 5.0 * t2 + 8.0 * t - 4.0));
  return 0.0f;
}

std::unique_ptr<TCustomKernel> TCubicKernel::Clone() const {
  auto copy = std::make_unique<TCubicKernel>();
  copy->coeff_ = coeff_;
  return copy;
}

float TMitchellKernel::KernelAt(float x) const {
  const double t = std::fabs(static_cast<double>(x));
  const double t2 = t * t, t3 = t2 * t;
  if (t < 1.0) return static_cast<float>((7.0 * t3 - 12.0 * t2 + 16.0 / 3.0) / 6.0);
  if (t < 2.0) return static_cast<float>((-(7.0 / 3.0) * t3 + 12.0 * t2 - 20.0 * t + 32.0 / 3.0) / 6.0);
  return 0.0f;
}

float TWindowedSincKernel::KernelAt(float x) const {
  const double t = std::fabs(static_cast<double>(x));
  if (!(t < width_)) return 0.0f;
  return static_cast<float>(Sinc(t) * Window(t));
}

double TLanczosKernel::Window(double x) const {
  return Sinc(x / Width());
}

std::unique_ptr<TCustomKernel> TLanczosKernel::Clone() const {
  auto copy = std::make_unique<TLanczosKernel>();
  CopyWidthTo(*copy);
  return copy;
}

double TGaussianKernel::Window(double x) const {
  return std::exp2(-(x * x) / sigma_);
}

std::unique_ptr<TCustomKernel> TGaussianKernel::Clone() const {
  auto copy = std::make_unique<TGaussianKernel>();
  CopyWidthTo(*copy);
  copy->sigma_ = sigma_;
  return copy;
}

double TBlackmanKernel::Window(double x) const {
  const double u = kPi * x / Width();
  return 0.42 + 0.5 * std::cos(u) + 0.08 * std::cos(2.0 * u);
}

std::unique_ptr<TCustomKernel> TBlackmanKernel::Clone() const {
  auto copy = std::make_unique<TBlackmanKernel>();
  CopyWidthTo(*copy);
  return copy;
}

double THannKernel::Window(double x) const {
  return 0.5 + 0.5 * std::cos(kPi * x / Width());
}

std::unique_ptr<TCustomKernel> THannKernel::Clone() const {
  auto copy = std::make_unique<THannKernel>();
  CopyWidthTo(*copy);
  return copy;
}

double THammingKernel::Window(double x) const {
  return 0.54 + 0.46 * std::cos(kPi * x / Width());
}

std::unique_ptr<TCustomKernel> THammingKernel::Clone() const {
  auto copy = std::make_unique<THammingKernel>();
  CopyWidthTo(*copy);
  return copy;
}

float TSinshKernel::KernelAt(float x) const {
  if (x == 0.0f) return 1.0f;
  const double c = coeff_;
  const double px = kPi * x;
  const double denominator = std::sinh(c * px);
  // With Coeff 0 the limit is sin(pi x) / (pi x); a zero divisor must not reach the division.
  if (denominator == 0.0) return static_cast<float>(Sinc(x));
  return static_cast<float>(c * std::sin(px) / denominator);
}

std::unique_ptr<TCustomKernel> TSinshKernel::Clone() const {
  auto copy = std::make_unique<TSinshKernel>();
  copy->width_ = width_;
  copy->coeff_ = coeff_;
  return copy;
}

float THermiteKernel::KernelAt(float x) const {
  const double b = bias_, t = tension_;
  const double m0 = (1.0 + b) * (1.0 - t) / 2.0;
  const double m1 = (1.0 - b) * (1.0 - t) / 2.0;
  const double z = std::floor(static_cast<double>(x));
  const double u = std::fabs(z - x);
  const double u2 = u * u, u3 = u2 * u;
  const double a1 = u3 - 2.0 * u2 + u;
  const double a2 = u3 - u2;
  const double a3 = -2.0 * u3 + 3.0 * u2;
  const double a0 = 1.0 - a3;
  if (z == -2.0) return static_cast<float>(a2 * m1);
  if (z == -1.0) return static_cast<float>(a3 + a1 * m1 + a2 * (m0 - m1));
  if (z == 0.0) return static_cast<float>(a0 + a1 * (m0 - m1) - a2 * m0);
  if (z == 1.0) return static_cast<float>(-a1 * m0);
  return 0.0f;
}

std::unique_ptr<TCustomKernel> THermiteKernel::Clone() const {
  auto copy = std::make_unique<THermiteKernel>();
  copy->bias_ = bias_;
  copy->tension_ = tension_;
  return copy;
}

const std::vector<TKernelClass>& KernelRegistry() {
  static const std::vector<TKernelClass> registry = {
      {"TBoxKernel", &Make<TBoxKernel>},           {"TLinearKernel", &Make<TLinearKernel>},
      {"TCosineKernel", &Make<TCosineKernel>},     {"TSplineKernel", &Make<TSplineKernel>},
      {"TCubicKernel", &Make<TCubicKernel>},       {"TMitchellKernel", &Make<TMitchellKernel>},
      {"TLanczosKernel", &Make<TLanczosKernel>},   {"TGaussianKernel", &Make<TGaussianKernel>},
      {"TBlackmanKernel", &Make<TBlackmanKernel>}, {"THannKernel", &Make<THannKernel>},
      {"THammingKernel", &Make<THammingKernel>},   {"TSinshKernel", &Make<TSinshKernel>},
      {"THermiteKernel", &Make<THermiteKernel>},
  };
  return registry;
}

const TKernelClass* FindKernelClass(const std::string& name) {
  for (const auto& entry : KernelRegistry()) {
    if (name == entry.Name) return &entry;
  }
  return nullptr;
}

}  // namespace mirelane
