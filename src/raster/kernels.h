// Convolution kernels for resampling and the registry that lists them by class name.
// Every kernel takes and returns 32-bit floats; the published parameters keep their start values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "raster/bitmap32.h"

namespace mirelane {

class TCustomKernel : public TNotifiablePersistent {
 public:
  const char* ClassName() const override { return "TCustomKernel"; }

  // The value at the signed distance x.
  virtual float KernelAt(float x) const = 0;
  // Half-width of the interval outside which the kernel counts as zero.
  virtual float KernelRadius() const = 0;
  // Whether convolution sums must be clamped before they are packed into a pixel.
  virtual bool KernelClamps() const { return false; }
  // A new kernel of the same class with the same parameters.
  virtual std::unique_ptr<TCustomKernel> Clone() const = 0;

 protected:
  // Stores a parameter and raises the change notification when the value differs.
  void SetParameter(float& field, float value) {
    if (field == value) return;
    field = value;
    Changed();
  }
};

class TBoxKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TBoxKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 1.0f; }
  std::unique_ptr<TCustomKernel> Clone() const override { return std::make_unique<TBoxKernel>(); }
};

class TLinearKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TLinearKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 1.0f; }
  std::unique_ptr<TCustomKernel> Clone() const override { return std::make_unique<TLinearKernel>(); }
};

class TCosineKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TCosineKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 1.0f; }
  std::unique_ptr<TCustomKernel> Clone() const override { return std::make_unique<TCosineKernel>(); }
};

class TSplineKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TSplineKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 2.0f; }
  bool KernelClamps() const override { return true; }
  std::unique_ptr<TCustomKernel> Clone() const override { return std::make_unique<TSplineKernel>(); }
};

class TCubicKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TCubicKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 2.0f; }
  bool KernelClamps() const override { return true; }
  std::unique_ptr<TCustomKernel> Clone() const override;

  float Coeff() const { return coeff_; }
  void SetCoeff(float value) { SetParameter(coeff_, value); }

 private:
  float coeff_ = -0.5f;
};

class TMitchellKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TMitchellKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 2.0f; }
  bool KernelClamps() const override { return true; }
  std::unique_ptr<TCustomKernel> Clone() const override { return std::make_unique<TMitchellKernel>(); }
};

// sin(pi x) / (pi x) cut off at Width and shaped by the window of the derived class.
class TWindowedSincKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TWindowedSincKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return width_; }
  bool KernelClamps() const override { return true; }

  float Width() const { return width_; }
  void SetWidth(float value) { SetParameter(width_, value); }

 protected:
  // The window at the magnitude x, 0 <= x < Width.
  virtual double Window(double x) const = 0;
  void CopyWidthTo(TWindowedSincKernel& other) const { other.width_ = width_; }

 private:
  float width_ = 3.0f;
};

class TLanczosKernel : public TWindowedSincKernel {
 public:
  const char* ClassName() const override { return "TLanczosKernel"; }
  std::unique_ptr<TCustomKernel> Clone() const override;

 protected:
  double Window(double x) const override;
};

class TGaussianKernel : public TWindowedSincKernel {
 public:
  const char* ClassName() const override { return "TGaussianKernel"; }
  std::unique_ptr<TCustomKernel> Clone() const override;

  float Sigma() const { return sigma_; }
  void SetSigma(float value) { SetParameter(sigma_, value); }

 protected:
  double Window(double x) const override;

 private:
  float sigma_ = 1.33f;
};

class TBlackmanKernel : public TWindowedSincKernel {
 public:
  const char* ClassName() const override { return "TBlackmanKernel"; }
  std::unique_ptr<TCustomKernel> Clone() const override;

 protected:
  double Window(double x) const override;
};

class THannKernel : public TWindowedSincKernel {
 public:
  const char* ClassName() const override { return "THannKernel"; }
  std::unique_ptr<TCustomKernel> Clone() const override;

 protected:
  double Window(double x) const override;
};

class THammingKernel : public TWindowedSincKernel {
 public:
  const char* ClassName() const override { return "THammingKernel"; }
  std::unique_ptr<TCustomKernel> Clone() const override;

 protected:
  double Window(double x) const override;
};

class TSinshKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TSinshKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return width_; }
  bool KernelClamps() const override { return true; }
  std::unique_ptr<TCustomKernel> Clone() const override;

  float Width() const { return width_; }
  void SetWidth(float value) { SetParameter(width_, value); }
  float Coeff() const { return coeff_; }
  void SetCoeff(float value) { SetParameter(coeff_, value); }

 private:
  float width_ = 3.0f;
  float coeff_ = 0.5f;
};

class THermiteKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "THermiteKernel"; }
  float KernelAt(float x) const override;
  float KernelRadius() const override { return 2.0f; }
  bool KernelClamps() const override { return true; }
  std::unique_ptr<TCustomKernel> Clone() const override;

  float Bias() const { return bias_; }
  void SetBias(float value) { SetParameter(bias_, value); }
  float Tension() const { return tension_; }
  void SetTension(float value) { SetParameter(tension_, value); }

 private:
  float bias_ = 0.0f;
  float tension_ = 0.0f;
};

// The registry of kernel classes, in its fixed order.
struct TKernelClass {
  const char* Name;
  std::unique_ptr<TCustomKernel> (*Create)();
};
const std::vector<TKernelClass>& KernelRegistry();
// Exact, case-sensitive lookup; the first match, or null.
const TKernelClass* FindKernelClass(const std::string& name);

}  // namespace mirelane
