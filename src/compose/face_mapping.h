// MapFace: a picture mapped in perspective onto a face quadrilateral of the canvas, drawn through
// the vector canvas slightly enlarged and then cut to the exact face by an anti-aliased mask.
#pragma once

#include <array>
#include <cstdint>

#include "compose/face_growth.h"
#include "compose/intensity_mask.h"
#include "compose/polygon_fill.h"
#include "raster/bitmap32.h"
#include "raster/rect.h"

namespace mirelane {

// The enlargement of the drawn quadrilateral about the corners' centroid, as a 32-bit float.
constexpr float kFaceEnlargement = 1.08f;

// Maps the source rectangle (normally the whole source) onto the face quadrilateral. The face's
// pixels are replaced (only its size counts), its MasterAlpha becomes the source's; nothing else
// of the face changes.
void MapFace(const TBitmap32& source, const TRect& sourceRect, TFacePoint A, TFacePoint B, TFacePoint C,
             TFacePoint D, TBitmap32& face, bool enlarge);

// MapFace grown into `growth`: the pixels a region touches take the picture continued past the face's
// edges (the drawn picture fades out within a pixel or two of its own edge, which on a thin face
// reaches the edge itself), those of Beyond the coverage of the face and Beyond together; every other
// pixel is exactly MapFace's. With no regions it is MapFace.
void MapFace(const TBitmap32& source, const TRect& sourceRect, const TFaceQuad& quad, TBitmap32& face,
             bool enlarge, const TFaceGrowth& growth);

// The canvas pixels a mapped face can make non-zero on a width x height canvas: the drawn picture,
// the mask's reach and, for a grown face, the pixels its growth regions touch. Empty when the face
// misses the canvas.
TRect FaceWindow(const TFaceQuad& quad, bool enlarge, int32_t canvasWidth, int32_t canvasHeight,
                 const TFaceGrowth& growth = {});

// MapFace (grown into `growth`) into a face that holds only part of the canvas: its pixel (x, y) is
// canvas pixel (origin.X + x, origin.Y + y). Where the face holds all of FaceWindow (with the same
// growth), every pixel it holds is the one MapFace gives on the whole canvas.
void MapFaceAt(const TBitmap32& source, const TFaceQuad& quad, bool enlarge, TBitmap32& face,
               TFacePoint origin, const TFaceGrowth& growth = {});
// The same for a width x height source whose pixels all equal colour, drawn without such a picture;
// the face's MasterAlpha becomes masterAlpha. Continued past the face's edges that source is the
// colour itself.
void MapColourFaceAt(TColor32 colour, int32_t width, int32_t height, uint32_t masterAlpha,
                     const TFaceQuad& quad, bool enlarge, TBitmap32& face, TFacePoint origin,
                     const TFaceGrowth& growth = {});

// The stages of MapFace, usable on their own.
// Corners for the drawing stage (x, y pairs), enlarged in 32-bit floats when asked.
std::array<float, 8> FaceDrawCorners(const TFaceQuad& quad, bool enlarge);
// Clears the whole face and draws the source onto the corners with coverage gamma 3; the face's
// pixel (x, y) is canvas pixel (originX + x, originY + y).
void DrawFacePicture(const TBitmap32& source, const TRect& sourceRect, const std::array<float, 8>& corners,
                     TBitmap32& face, int32_t originX = 0, int32_t originY = 0);
// The face polygon (even-odd) and its edge band (non-zero) that the mask is filled with.
TFixedPolygon FacePolygon(const TFaceQuad& quad);
TFixedPolygon FaceEdgeBand(const TFaceQuad& quad);
// Fills the mask (already sized; its pixel (x, y) is canvas pixel (originX + x, originY + y)):
// opaque black, then the face and its edge band in white.
void BuildFaceMask(TBitmap32& mask, const TFaceQuad& quad, int32_t originX = 0, int32_t originY = 0);

}  // namespace mirelane
