// The two disc drawing sequences over TAgg2D.
#include "raster/disc.h"

#include <algorithm>

#include "raster/agg2d.h"

namespace mirelane {
namespace {

constexpr int kBorder = 4;

// The common set-up: a transparent picture with the canvas scaled so that the world square of
// side c = max(W, H) lands on the W x H box at (4, 4). Returns false when there is nothing to draw.
bool BeginDisc(TBitmap32& picture, TAgg2D& canvas, int& W, int& H, double& R) {
  W = std::max(W, 0);
  H = std::max(H, 0);
  picture.SetSize(W + 2 * kBorder, H + 2 * kBorder);
  canvas.Attach(picture);
  canvas.ClearAll(0, 0, 0, 0);
  if (W == 0 || H == 0) return false;
  const double c = std::max(W, H);
  R = c / 2.0;
  canvas.Scale(W / c, H / c);
  canvas.Translate(kBorder, kBorder);
  return true;
}

// Steps shared by both discs: the opaque disc, the hole cleared, the picture kept only on the ring.
void DrawRing(TAgg2D& canvas, const TBitmap32& source, double R, double hole) {
  canvas.NoLine();
  canvas.FillColor(0, 0, 0, 255);
  canvas.Ellipse(R, R, R, R);
  canvas.BlendMode(kAggBlendSrcOut);
  canvas.Ellipse(R, R, hole, hole);
  canvas.BlendMode(kAggBlendSrcIn);
  canvas.TransformImage(source, 0, 0, 2 * R, 2 * R);
}

void DarkenRim(TAgg2D& canvas, double R) {
  canvas.BlendMode(kAggBlendDarken);
  canvas.NoFill();
  canvas.LineColor(0, 0, 0, 50);
  canvas.LineWidth(R / 40);
  canvas.InnerCircle(R, R, R);
}

}  // namespace

std::unique_ptr<TBitmap32> DrawDisc(const TBitmap32& source, int W, int H) {
  auto picture = std::make_unique<TBitmap32>();
  TAgg2D canvas;
  double R = 0;
  if (!BeginDisc(*picture, canvas, W, H, R)) return picture;
  const double G = 0.4 * R;
  DrawRing(canvas, source, R, G);

  canvas.BlendMode(kAggBlendAlpha);
  canvas.FillColor(0, 0, 0, 70);
  canvas.Ellipse(R, R, G, G);

  canvas.LineColor(0, 0, 0, 70);
  canvas.LineWidth(G / 8);
  canvas.NoFill();
  canvas.InnerCircle(R, R, G);

  canvas.LineWidth(G / 24);
  canvas.InnerCircle(R, R, 5 * G / 6);
  canvas.InnerCircle(R, R, 3 * G / 5);
  canvas.InnerCircle(R, R, 3 * G / 8);

  canvas.BlendMode(kAggBlendDstOut);
  canvas.NoLine();
  canvas.FillColor(0, 0, 0, 255);
  canvas.Ellipse(R, R, 5 * G / 16, 5 * G / 16);

  DarkenRim(canvas, R);
  return picture;
}

std::unique_ptr<TBitmap32> DrawLargeDiscAreaDisc(const TBitmap32& source, int W, int H) {
  auto picture = std::make_unique<TBitmap32>();
  TAgg2D canvas;
  double R = 0;
  if (!BeginDisc(*picture, canvas, W, H, R)) return picture;
  const double G = 0.4 * R * 3 / 8;
  DrawRing(canvas, source, R, G);

  canvas.BlendMode(kAggBlendAlpha);
  canvas.LineColor(0, 0, 0, 150);
  canvas.NoFill();
  canvas.InnerCircle(R, R, G);

  DarkenRim(canvas, R);
  return picture;
}

}  // namespace mirelane
