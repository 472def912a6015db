// BuildScene: for every layer of the typed scene, prepare a picture by kind, map it onto the layer's
// quadrilateral, append it to the stack and give it its blur, brightness, opacity and visibility.
#include "compose/scene_builder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "compose/face_mapping.h"
#include "compose/scene_limits.h"
#include "compose/shared_edges.h"
#include "picture/picture_reader.h"
#include "raster/blur.h"
#include "raster/disc.h"
#include "raster/error.h"
#include "raster/shade_maps.h"
#include "raster/tonal.h"

namespace mirelane {

namespace {

// Rounds half to even under the default rounding mode. Template corners are any 32-bit values, so
// the scaled value is held far inside the 32-bit range first: such points lie millions of pixels
// off the canvas either way, and the conversion (and the offset added to it) cannot overflow.
int32_t RoundEven(long double v) {
  constexpr long double kLimit = 1 << 30;
  return static_cast<int32_t>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

bool IsShadeKind(LayerType t) {
  return t == LayerType::Shade || t == LayerType::BlurShade || t == LayerType::RoundRectShade;
}
void Turn(TBitmap32& surface, ShadeTurn turn) {
  switch (turn) {
    case ShadeTurn::None:
      break;
    case ShadeTurn::Quarter:
      surface.Rotate90();
      break;
    case ShadeTurn::Half:
      surface.Rotate180();
      break;
    case ShadeTurn::ThreeQuarters:
      surface.Rotate270();
      break;
  }
}

const TBitmap32& ShadeMap(int index) {
  return ShadeBitmap32List().Bitmap(index);
}

// Stretches the whole of one surface over the whole of a cleared one with its alpha intact: "over"
// onto clear pixels keeps each source pixel, where a blend would square partial alpha.
void DrawOverClear(TBitmap32& to, const TBitmap32& from) {
  TransferRect(&to, to.BoundsRect(), to.ClipRect(), &from, from.BoundsRect(), cmMerge);
}

// A layer's corners A, B, C, D on the canvas.
struct CanvasQuad {
  TFacePoint A, B, C, D;
};

CanvasQuad MapCorners(const LayerPlan& layer, const CanvasMapping& map) {
  auto point = [&map](const auto& corner) { return TFacePoint{map.MapX(corner.X), map.MapY(corner.Y)}; };
  return {point(layer.A), point(layer.B), point(layer.C), point(layer.D)};
}

// The disc picture's width |B.x - A.x| and height |D.y - A.y|, in 64 bits: canvas corners may lie
// up to 2^31 apart.
LayerFootprint DiscSize(const CanvasQuad& q) {
  return {std::abs(int64_t{q.B.X} - q.A.X), std::abs(int64_t{q.D.Y} - q.A.Y)};
}

bool IsDisc(LayerType type) {
  return type == LayerType::Disc || type == LayerType::DiscReflection;
}

void PrepareSurface(TBitmap32& s) {
  s.SetDrawMode(dmBlend);
  s.SetCombineMode(cmBlend);
  s.SetOuterColor(0);
  s.SetMasterAlpha(255);
}

// One layer's finished picture, ready to be appended in template order: the pixels of Box on the canvas.
struct BuiltLayer {
  std::unique_ptr<TBitmap32> Face;
  TRect Box;
  bool Visible = true;
  LayerType Kind = LayerType::Other;
};

// The blur a layer of this kind gets, 0 for none.
int32_t LayerBlur(const LayerPlan& layer, const EditingState& st) {
  switch (layer.Group()) {
    case LayerGroup::Shadow:
      return st.ShadowBlur;
    case LayerGroup::Reflection:
      return st.ReflectionBlur;
    case LayerGroup::None:
      break;
  }
  return 0;
}

class LayerBuilder {
 public:
  LayerBuilder(const SceneInputs& inputs, SlotPictures& pictures, const CanvasMapping& mapping, int32_t width,
               int32_t height, const std::string& templateName)
      : in_(inputs),
        pictures_(pictures),
        map_(mapping),
        width_(width),
        height_(height),
        templateName_(templateName) {}

  // number: the layer's position in the template, from 1, for messages; growth: where the face reaches
  // under the faces drawn after it.
  BuiltLayer Build(const LayerPlan& layer, size_t number, const TFaceGrowth& growth) const;

 private:
  // The slot the layer's source names; fails for a source that names none.
  SourceIndex SlotOf(const LayerPlan& layer, size_t number) const;
  // The colour a custom colour source names; fails naming the layer.
  TColor CustomColour(const LayerPlan& layer, size_t number) const;
  // Who a failure concerns, ahead of its message: "Layer 3 ("normal") of the template "name"".
  std::string Context(const LayerPlan& layer, size_t number) const {
    return LayerContext(number, layer.Keyword, templateName_);
  }
  // The slot's shared picture; a picture that cannot be read fails naming the layer and the slot.
  const TBitmap32& SlotPicture(const LayerPlan& layer, size_t number) const;

  // What the face of one layer is mapped from: the source surface, a slot's shared picture used
  // unchanged, or a colour of the canvas's size (set colour) that no picture is made for.
  struct FaceSource {
    std::unique_ptr<TBitmap32> Surface;
    std::unique_ptr<TBitmap32> Face;  // the layer's own surface, also a cleared working surface
    const TBitmap32* Mapped = nullptr;
    std::optional<TColor32> Colour;
    uint32_t ColourAlpha = 255;
  };
  // Each kind's source, from its slot, direction, file or colour; one step per kind.
  void SlotFace(const LayerPlan& layer, size_t number, FaceSource& f) const;
  void SlotReflection(const LayerPlan& layer, size_t number, FaceSource& f) const;
  void RoundRectFace(const LayerPlan& layer, size_t number, FaceSource& f) const;
  void DiscFace(const LayerPlan& layer, size_t number, const CanvasQuad& quad, FaceSource& f) const;
  void ShadeFace(const LayerPlan& layer, FaceSource& f) const;
  // A slot's colour fills the working surface given; its picture is read in place.
  const TBitmap32& SlotSurface(const LayerPlan& layer, size_t number, TBitmap32& colourSurface) const;
  // Runs a picture load, prefixing a failure with the layer and which of its pictures it was.
  template <typename Load>
  decltype(auto) NamingFailures(const LayerPlan& layer, size_t number, const std::string& picture,
                                Load&& load) const {
    try {
      return load();
    } catch (const Error& e) {
      throw Error(PictureErrorMessage(Context(layer, number) + ", " + picture, e.what()));
    }
  }
  bool SlotGivesPicture(const LayerPlan& layer) const {
    const SourceIndex slot = layer.Source.Slot;
    return slot >= 1 && !in_.Sources[slot].UseColor;
  }
  void Fade(TBitmap32& surface) const {
    if (in_.State.ReflectionFade) FadeReflection(surface, in_.State.ReflectionLength);
  }

  const SceneInputs& in_;
  SlotPictures& pictures_;
  const CanvasMapping& map_;
  int32_t width_, height_;
  std::string templateName_;
};

SourceIndex LayerBuilder::SlotOf(const LayerPlan& layer, size_t number) const {
  const SourceIndex slot = layer.Source.Slot;
  if (slot < 1)
    throw Error(Context(layer, number) + ": the layer source \"" + layer.Source.Text + "\" names no slot");
  return slot;
}

TColor LayerBuilder::CustomColour(const LayerPlan& layer, size_t number) const {
  if (layer.Source.Color) return *layer.Source.Color;
  throw Error(Context(layer, number) + ": \"" + layer.Source.Text +
              "\" is neither a colour name nor a number");
}

const TBitmap32& LayerBuilder::SlotPicture(const LayerPlan& layer, size_t number) const {
  const SourceIndex slot = SlotOf(layer, number);
  return NamingFailures(layer, number, std::string(SourceKeyword(slot)) + " picture",
                        [&]() -> const TBitmap32& { return pictures_.Picture(slot); });
}

// The picture upside down in a surface of its own, ready to be faded.
void CopyFlipped(const TBitmap32& picture, TBitmap32& target) {
  const int32_t w = picture.Width(), h = picture.Height();
  target.SetSize(w, h);
  for (int32_t y = 0; y < h; ++y) std::copy_n(picture.ScanLine(y), w, target.ScanLine(h - 1 - y));
  target.Changed();
}

const TBitmap32& LayerBuilder::SlotSurface(const LayerPlan& layer, size_t number,
                                           TBitmap32& colourSurface) const {
  const SourceIndex slot = SlotOf(layer, number);
  if (!in_.Sources[slot].UseColor) return SlotPicture(layer, number);
  colourSurface.Clear(ColorToColor32(in_.Sources[slot].Color));
  return colourSurface;
}

void LayerBuilder::SlotFace(const LayerPlan& layer, size_t number, FaceSource& f) const {
  f.Mapped = &SlotSurface(layer, number, *f.Surface);
}

// Only the reflection changes its slot's picture, so it works on a flipped copy.
void LayerBuilder::SlotReflection(const LayerPlan& layer, size_t number, FaceSource& f) const {
  const TBitmap32& filled = SlotSurface(layer, number, *f.Surface);
  if (&filled != f.Surface.get()) CopyFlipped(filled, *f.Surface);
  Fade(*f.Surface);
}

void LayerBuilder::RoundRectFace(const LayerPlan& layer, size_t number, FaceSource& f) const {
  const TBitmap32& panel = ShadeMap(kShadeMapRoundRect);
  // A colour stretched by the nearest-pixel resampler gives the colour wherever it is read, so one
  // pixel of it serves as well as a canvas of it.
  TBitmap32 dot(1, 1);
  PrepareSurface(dot);
  const TBitmap32& filled = SlotSurface(layer, number, dot);
  f.Surface->SetSizeFrom(&panel);
  DrawOverClear(*f.Surface, filled);
  AlphaFromMask(panel, *f.Surface);
}

void LayerBuilder::DiscFace(const LayerPlan& layer, size_t number, const CanvasQuad& quad,
                            FaceSource& f) const {
  // The disc samples its picture bilinearly up to the picture's edge, so a colour keeps its canvas size.
  TBitmap32 colourCanvas;
  if (layer.Source.Slot >= 1 && !SlotGivesPicture(layer)) colourCanvas.SetSize(width_, height_);
  PrepareSurface(colourCanvas);
  const TBitmap32& filled = SlotSurface(layer, number, colourCanvas);
  // The scene's memory limit has already refused any disc too large to draw.
  const LayerFootprint size = DiscSize(quad);
  const int w = static_cast<int>(size.WorkWidth), h = static_cast<int>(size.WorkHeight);
  std::unique_ptr<TBitmap32> disc =
      in_.State.LargeDiscArea ? DrawLargeDiscAreaDisc(filled, w, h) : DrawDisc(filled, w, h);
  colourCanvas.SetSize(0, 0);
  // The disc picture becomes the source, taking the drawing properties every source surface has.
  PrepareSurface(*disc);
  *f.Surface = std::move(*disc);
  disc.reset();
  if (layer.Kind == LayerType::DiscReflection) {
    f.Surface->FlipVertical();
    Fade(*f.Surface);
  }
}

void LayerBuilder::ShadeFace(const LayerPlan& layer, FaceSource& f) const {
  PrepareShadeSource(layer.Kind, layer.Source.Direction, in_.State, *f.Surface, *f.Face);
}

BuiltLayer LayerBuilder::Build(const LayerPlan& layer, size_t number, const TFaceGrowth& growth) const {
  const EditingState& st = in_.State;
  const LayerType type = layer.Kind;

  const CanvasQuad quad = MapCorners(layer, map_);
  const TFaceQuad faceQuad{quad.A, quad.B, quad.C, quad.D};
  const bool enlarge = !IsDisc(type);
  const TRect box = LayerBounds(faceQuad, enlarge, LayerBlur(layer, st), width_, height_, growth);
  const TFacePoint origin{box.Left, box.Top};

  // A colour is mapped as a canvas-sized picture of that colour without such a picture being made;
  // only the faded colour reflections need their canvas-sized picture. Every other kind gives the
  // source a size of its own.
  const bool colourSlot = (type == LayerType::Normal || type == LayerType::Reflection) &&
                          layer.Source.Slot >= 1 && !SlotGivesPicture(layer);
  const bool canvasSource =
      (type == LayerType::Reflection && colourSlot) || type == LayerType::CustomColorReflection;
  FaceSource f;
  f.Surface = canvasSource ? std::make_unique<TBitmap32>(width_, height_) : std::make_unique<TBitmap32>();
  f.Face = std::make_unique<TBitmap32>(box.Width(), box.Height());
  PrepareSurface(*f.Surface);
  PrepareSurface(*f.Face);
  f.Mapped = f.Surface.get();
  switch (type) {
    case LayerType::Normal:
      if (colourSlot)
        f.Colour = ColorToColor32(in_.Sources[layer.Source.Slot].Color);
      else
        SlotFace(layer, number, f);
      break;
    case LayerType::Reflection:
      SlotReflection(layer, number, f);
      break;
    case LayerType::RoundRect:
      RoundRectFace(layer, number, f);
      break;
    case LayerType::Disc:
    case LayerType::DiscReflection:
      DiscFace(layer, number, quad, f);
      break;
    case LayerType::Shadow:
      f.Colour = ColorToColor32(st.ShadowColor);
      f.ColourAlpha = st.ShadowDensity;
      break;
    case LayerType::Shade:
    case LayerType::Highlight:
    case LayerType::BlurShade:
    case LayerType::BlurHighlight:
    case LayerType::RoundRectShade:
    case LayerType::RoundRectHighlight:
      ShadeFace(layer, f);
      f.Face->SetSize(box.Width(), box.Height());  // the roundrect kinds used it as a cleared working surface
      break;
    case LayerType::CustomFile: {
      const std::string file = CustomPicturePath(in_.CustomFolder, layer.Source.Text).string();
      NamingFailures(layer, number, "custom picture", [&] { LoadFromFile(*f.Surface, file); });
      break;
    }
    case LayerType::CustomColor:
      f.Colour = ColorToColor32(CustomColour(layer, number));
      break;
    case LayerType::CustomColorReflection:
      f.Surface->Clear(ColorToColor32(CustomColour(layer, number)));
      Fade(*f.Surface);
      break;
    case LayerType::Other:
      f.Colour = 0;  // an unknown keyword maps a transparent canvas
      break;
  }
  std::unique_ptr<TBitmap32> face = std::move(f.Face);
  if (f.Colour)
    MapColourFaceAt(*f.Colour, width_, height_, f.ColourAlpha, faceQuad, enlarge, *face, origin, growth);
  else
    MapFaceAt(*f.Mapped, faceQuad, enlarge, *face, origin, growth);
  f.Surface.reset();

  BuiltLayer built;
  built.Kind = type;
  if (layer.Group() == LayerGroup::Shadow) {
    built.Visible = st.ShowShadow;
    BlurLayerSurface(*face, st.ShadowBlur);
  } else if (layer.Group() == LayerGroup::Reflection) {
    BlurLayerSurface(*face, st.ReflectionBlur);
    AdjustBrightness(*face, st.ReflectionBrightness);
    uint32_t alpha = st.ReflectionOpacity;
    if (type == LayerType::BlurShade)
      alpha = static_cast<uint32_t>(std::nearbyint(st.ReflectionOpacity * st.ObjectShading / 255.0));
    else if (type == LayerType::BlurHighlight)
      alpha = static_cast<uint32_t>(std::nearbyint(st.ReflectionOpacity * st.ObjectHighlight / 255.0));
    face->SetMasterAlpha(alpha);
    built.Visible = st.ShowReflection;
  }
  built.Face = std::move(face);
  built.Box = box;
  return built;
}

// What each layer works on while it is built, for the scene's memory estimate.
std::vector<LayerFootprint> Footprints(const Scene& scene, const CanvasMapping& map, const EditingState& st,
                                       int32_t width, int32_t height,
                                       const std::vector<TFaceGrowth>& growth) {
  constexpr int64_t kDiscMargin = 8;  // DrawDisc's picture is 4 pixels larger on every side
  std::vector<LayerFootprint> footprints;
  footprints.reserve(scene.Layers.size());
  for (const LayerPlan& layer : scene.Layers) {
    const CanvasQuad quad = MapCorners(layer, map);
    const TRect box = LayerBounds(TFaceQuad{quad.A, quad.B, quad.C, quad.D}, !IsDisc(layer.Kind),
                                  LayerBlur(layer, st), width, height, growth[footprints.size()]);
    const int64_t kept = int64_t{box.Width()} * box.Height();
    if (!IsDisc(layer.Kind)) {
      const bool grows = !growth[footprints.size()].Empty();
      footprints.push_back({width, height, kept, grows ? kGrownFaceMaskPictures : 1});
      continue;
    }
    const LayerFootprint disc = DiscSize(quad);
    footprints.push_back({disc.WorkWidth + kDiscMargin, disc.WorkHeight + kDiscMargin, kept});
  }
  return footprints;
}

void AppendLayer(TImgView32& view, BuiltLayer& built) {
  TBitmapLayer& layer = view.Layers().Add();
  layer.Scaled = true;
  const TRect& box = built.Box;
  layer.Location = TFloatRect{static_cast<float>(box.Left), static_cast<float>(box.Top),
                              static_cast<float>(box.Right), static_cast<float>(box.Bottom)};
  layer.TakeSurface(std::move(*built.Face));
  built.Face.reset();
  layer.Kind = built.Kind;
  layer.SetVisible(built.Visible);
}

}  // namespace

TRect LayerBounds(const TFaceQuad& quad, bool enlarge, int32_t blurRadius, int32_t canvasWidth,
                  int32_t canvasHeight, const TFaceGrowth& growth) {
  const TRect window = FaceWindow(quad, enlarge, canvasWidth, canvasHeight, growth);
  if (window.IsEmpty()) return TRect{};
  const int32_t reach = BlurReach(blurRadius);
  return IntersectRect(
      TRect{window.Left - reach, window.Top - reach, window.Right + reach, window.Bottom + reach},
      TRect{0, 0, canvasWidth, canvasHeight});
}

void BlurLayerSurface(TBitmap32& surface, int32_t radius) {
  if (radius < 1 || surface.Empty()) return;
  const int32_t a = BlurWeight(radius);
  const int32_t w = surface.Width();
  for (int32_t y = 0; y < surface.Height(); ++y) {
    const TColor32* row = surface.ScanLine(y);
    // Many rows of a box are empty; the filter leaves a row of equal pixels exactly as it is.
    if (std::all_of(row + 1, row + w, [first = row[0]](TColor32 p) { return p == first; })) continue;
    BlurRow(surface, y, a);
  }
  BlurColumns(surface, a);
}

void PrepareShadeSource(LayerType type, ShadeDirection direction, const EditingState& state,
                        TBitmap32& source, TBitmap32& face) {
  const bool shade = IsShadeKind(type);
  const ShadeMapChoice choice = ShadeMapFor(direction);
  const TBitmap32& map = ShadeMap(choice.MapIndex);
  source.SetSizeFrom(&map);
  source.Clear(ColorToColor32(shade ? state.ShadingColor : state.HighlightColor));
  AlphaFromMask(map, source);
  if (type == LayerType::RoundRectShade || type == LayerType::RoundRectHighlight) {
    // Through the face to the panel's size by two blending transfers over clear pixels: each squares
    // the alpha, which gives the panel shading its steep falloff from the edge. The shipped shots are
    // tuned to that falloff, so it stays, unlike the alpha a slot picture would lose the same way.
    const TBitmap32& panel = ShadeMap(kShadeMapRoundRect);
    face.SetSizeFrom(&source);
    face.Draw(face.BoundsRect(), source.BoundsRect(), &source);
    source.SetSizeFrom(&panel);
    source.Draw(source.BoundsRect(), face.BoundsRect(), &face);
    face.Clear(0);
    ModulateAlphaByMask(panel, source);
  }
  source.SetMasterAlpha(shade ? state.ObjectShading : state.ObjectHighlight);
  Turn(source, choice.Turn);
  if (type == LayerType::BlurShade || type == LayerType::BlurHighlight) {
    source.FlipVertical();
    if (state.ReflectionFade) FadeReflection(source, state.ReflectionLength);
  }
}

int32_t CanvasMapping::MapX(int32_t x) const {
  return RoundEven(static_cast<long double>(x) * static_cast<long double>(Scale)) + OffX;
}

int32_t CanvasMapping::MapY(int32_t y) const {
  return RoundEven(static_cast<long double>(y) * static_cast<long double>(Scale)) + OffY;
}

CanvasMapping MakeCanvasMapping(int32_t canvasWidth, int32_t canvasHeight, int32_t templateWidth,
                                int32_t templateHeight) {
  if (canvasWidth <= 0 || canvasHeight <= 0) {
    throw Error("The output canvas " + std::to_string(canvasWidth) + " x " + std::to_string(canvasHeight) +
                " has no pixels");
  }
  if (templateWidth <= 0 || templateHeight <= 0) {
    throw Error("The template's canvas size " + std::to_string(templateWidth) + " x " +
                std::to_string(templateHeight) + " is not positive");
  }
  const long double sx = static_cast<long double>(canvasWidth) / templateWidth;
  const long double sy = static_cast<long double>(canvasHeight) / templateHeight;
  CanvasMapping m;
  m.Scale = static_cast<double>(sx < sy ? sx : sy);
  const long double s = m.Scale;
  m.OffX = RoundEven((canvasWidth - templateWidth * s) / 2);
  m.OffY = RoundEven((canvasHeight - templateHeight * s) / 2);
  return m;
}

std::filesystem::path CustomPicturePath(const std::filesystem::path& customFolder,
                                        const std::string& source) {
  // The name is appended to "custom\", so one leading "\" only doubles the separator; a leading "\\"
  // starts a network name and a drive letter an absolute one.
  const bool leadingSeparator = source.size() >= 2 && source[0] == '\\' && source[1] != '\\';
  std::string name = leadingSeparator ? source.substr(1) : source;
  const bool driveLetter =
      name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
  for (char& ch : name)
    if (ch == '\\') ch = '/';
  const std::filesystem::path relative(name);
  bool climbs = false;
  for (const auto& part : relative)
    if (part == "..") climbs = true;
  if (name.empty() || driveLetter || relative.is_absolute() || relative.has_root_name() ||
      relative.has_root_directory() || climbs) {
    throw Error("The custom picture \"" + source + "\" must name a file inside the custom folder");
  }
  // A symbolic link may lead anywhere: where the name resolves to must still lie in the folder.
  const std::filesystem::path file = customFolder / relative;
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::weakly_canonical(customFolder, ec);
  const std::filesystem::path target = std::filesystem::weakly_canonical(file, ec);
  const auto [end, rest] = std::mismatch(folder.begin(), folder.end(), target.begin(), target.end());
  if (ec || end != folder.end() || rest == target.end())
    throw Error("The custom picture \"" + source + "\" leads outside the custom folder \"" +
                customFolder.string() + "\"");
  return file;
}

void BuildScene(const Scene& scene, TImgView32& view, const SceneInputs& inputs) {
  const int32_t width = view.Bitmap().Width(), height = view.Bitmap().Height();
  const size_t count = scene.Layers.size();
  const CanvasMapping mapping = MakeCanvasMapping(width, height, scene.Width, scene.Height);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::vector<TFaceGrowth> growth = SharedEdgeGrowth(scene.Layers, [&](const LayerPlan& layer) {
    const CanvasQuad q = MapCorners(layer, mapping);
    return TFaceQuad{q.A, q.B, q.C, q.D};
  });
  const std::vector<LayerFootprint> footprints =
      Footprints(scene, mapping, inputs.State, width, height, growth);
  // Refused only when one layer at a time would not fit; otherwise as many are built at once as the
  // budget holds, up to the cores.
  CheckSceneLimits(scene.Name, width, height, footprints, 1);
  unsigned workers = inputs.Workers == 0 ? cores : inputs.Workers;
  while (workers > 1 && EstimateSceneBytes(width, height, footprints, workers) > kSceneMemoryBudget)
    --workers;
  std::optional<SlotPictures> ownPictures;
  if (inputs.Pictures == nullptr) ownPictures.emplace(inputs.Sources);
  SlotPictures& pictures = inputs.Pictures != nullptr ? *inputs.Pictures : *ownPictures;
  const LayerBuilder builder(inputs, pictures, mapping, width, height, scene.Name);

  // Layers are independent until they are appended, so they are built ahead on the machine's cores
  // and appended strictly in template order; a failure surfaces at its own layer, exactly where a
  // one-after-another build would stop, and the layers after it are discarded.
  if (workers <= 1 || count <= 1) {
    for (size_t i = 0; i < count; ++i) {
      BuiltLayer built = builder.Build(scene.Layers[i], i + 1, growth[i]);
      AppendLayer(view, built);
    }
    return;
  }
  std::vector<std::future<BuiltLayer>> pending(count);
  size_t launched = 0;
  auto launch = [&] {
    const LayerPlan* layer = &scene.Layers[launched];
    const size_t number = launched + 1;
    const TFaceGrowth* grow = &growth[launched];
    pending[launched] = std::async(
        std::launch::async, [&builder, layer, number, grow] { return builder.Build(*layer, number, *grow); });
    ++launched;
  };
  // At most `workers` layers in flight keeps the peak at the finished layers plus a few temporaries.
  while (launched < count && launched < workers) launch();
  for (size_t i = 0; i < count; ++i) {
    BuiltLayer built = pending[i].get();
    if (launched < count) launch();
    AppendLayer(view, built);
  }
}

}  // namespace mirelane
