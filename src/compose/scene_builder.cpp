// BuildScene: for every template layer, prepare a picture by type, map it onto the layer's
// quadrilateral, append it to the stack and give it its blur, brightness, opacity and visibility.
#include "compose/scene_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <future>
#include <memory>
#include <thread>

#include "compose/face_mapping.h"
#include "picture/picture_reader.h"
#include "raster/blur.h"
#include "raster/disc.h"
#include "raster/error.h"
#include "raster/shade_maps.h"
#include "raster/tonal.h"
#include "templates/color_names.h"
#include "templates/template.h"

namespace mirelane {

namespace {

// Rounds half to even under the default rounding mode. Template corners are any 32-bit values, so
// the scaled value is held far inside the 32-bit range first: such points lie millions of pixels
// off the canvas either way, and the conversion (and the offset added to it) cannot overflow.
int32_t RoundEven(long double v) {
  constexpr long double kLimit = 1 << 30;
  return static_cast<int32_t>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

bool IsShadeKind(const std::string& t) {
  return t == "shade" || t == "blurshade" || t == "roundrectshade";
}
bool IsHighlightKind(const std::string& t) {
  return t == "highlight" || t == "blurhighlight" || t == "roundrecthighlight";
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

void PrepareSurface(TBitmap32& s) {
  s.SetDrawMode(dmBlend);
  s.SetCombineMode(cmBlend);
  s.SetOuterColor(0);
  s.SetMasterAlpha(255);
}

// One layer's finished picture, ready to be appended in template order.
struct BuiltLayer {
  std::unique_ptr<TBitmap32> Face;
  bool Visible = true;
};

class LayerBuilder {
 public:
  LayerBuilder(const SceneInputs& inputs, const CanvasMapping& mapping, int32_t width, int32_t height,
               const std::string& templateName)
      : in_(inputs), map_(mapping), width_(width), height_(height), templateName_(templateName) {}

  BuiltLayer Build(const TemplateLayer& layer) const;

 private:
  // Fills a surface from the layer's slot: the colour keeps the surface's size, a picture brings its own.
  // Returns true when a picture was loaded.
  bool SlotFill(TBitmap32& surface, const TemplateLayer& layer) const;
  bool SlotGivesPicture(const TemplateLayer& layer) const {
    const SourceIndex slot = SourceIndexOf(layer.Source);
    return slot >= 1 && !in_.Sources[slot].UseColor;
  }
  void Fade(TBitmap32& surface) const {
    if (in_.State.ReflectionFade) FadeReflection(surface, in_.State.ReflectionLength);
  }

  const SceneInputs& in_;
  const CanvasMapping& map_;
  int32_t width_, height_;
  std::string templateName_;
};

bool LayerBuilder::SlotFill(TBitmap32& surface, const TemplateLayer& layer) const {
  const SourceIndex slot = SourceIndexOf(layer.Source);
  if (slot < 1) {
    throw Error("The layer source \"" + layer.Source + "\" of the template \"" + templateName_ +
                "\" names no slot");
  }
  const LayerSource& source = in_.Sources[slot];
  if (source.UseColor) {
    surface.Clear(ColorToColor32(source.Color));
    return false;
  }
  LoadFromFile(surface, source.PicturePath);
  return true;
}

BuiltLayer LayerBuilder::Build(const TemplateLayer& layer) const {
  const EditingState& st = in_.State;
  const std::string& type = layer.Type;
  const std::string& text = layer.Source;

  // The source starts at the canvas size only for the kinds that keep that size (a colour, a shadow,
  // an unknown keyword); every other kind gives it a size of its own at once, so allocating and
  // clearing a canvas for it first would be thrown away.
  const bool pictureSlot = (type == "normal" || type == "reflection") && SlotGivesPicture(layer);
  const bool ownSize = pictureSlot || type == "roundrect" || type == "disc" || type == "discreflection" ||
                       IsShadeKind(type) || IsHighlightKind(type) || type == "customfile";
  auto source = ownSize ? std::make_unique<TBitmap32>() : std::make_unique<TBitmap32>(width_, height_);
  auto face = std::make_unique<TBitmap32>(width_, height_);
  PrepareSurface(*source);
  PrepareSurface(*face);
  const TFacePoint a{map_.MapX(layer.A.X), map_.MapY(layer.A.Y)};
  const TFacePoint b{map_.MapX(layer.B.X), map_.MapY(layer.B.Y)};
  const TFacePoint c{map_.MapX(layer.C.X), map_.MapY(layer.C.Y)};
  const TFacePoint d{map_.MapX(layer.D.X), map_.MapY(layer.D.Y)};
  bool enlarge = true;

  if (type == "normal") {
    SlotFill(*source, layer);
  } else if (type == "reflection") {
    if (SlotFill(*source, layer)) source->FlipVertical();
    Fade(*source);
  } else if (type == "roundrect") {
    const TBitmap32& panel = ShadeMap(kShadeMapRoundRect);
    SlotFill(*face, layer);
    source->SetSizeFrom(&panel);
    DrawOverClear(*source, *face);
    face->Clear(0);
    face->SetSize(width_, height_);
    AlphaFromMask(panel, *source);
  } else if (type == "disc" || type == "discreflection") {
    SlotFill(*face, layer);
    const int32_t w = std::abs(b.X - a.X), h = std::abs(d.Y - a.Y);
    std::unique_ptr<TBitmap32> disc =
        st.LargeDiscArea ? DrawLargeDiscAreaDisc(*face, w, h) : DrawDisc(*face, w, h);
    face->Clear(0);
    face->SetSize(width_, height_);
    // Size and all four bytes of every pixel; the source keeps its own drawing properties.
    source->SetSize(disc->Width(), disc->Height());
    std::copy(disc->Bits(), disc->Bits() + disc->PixelCount(), source->Bits());
    disc.reset();
    if (type == "discreflection") {
      source->FlipVertical();
      Fade(*source);
    }
    enlarge = false;
  } else if (type == "shadow") {
    source->Clear(ColorToColor32(st.ShadowColor));
    source->SetMasterAlpha(st.ShadowDensity);
  } else if (IsShadeKind(type) || IsHighlightKind(type)) {
    PrepareShadeSource(type, text, st, *source, *face);
    face->SetSize(width_, height_);  // the roundrect kinds used it as a cleared working surface
  } else if (type == "customfile") {
    LoadFromFile(*source, CustomPicturePath(in_.CustomFolder, text).string());
  } else if (type == "customcolor" || type == "customcolorreflection") {
    source->Clear(ColorToColor32(StringToColor(text)));
    if (type == "customcolorreflection") Fade(*source);
  }

  MapFace(*source, source->BoundsRect(), a, b, c, d, *face, enlarge);
  source.reset();

  BuiltLayer built;
  if (type == "shadow") {
    built.Visible = st.ShowShadow;
    BlurLayerSurface(*face, st.ShadowBlur);
  } else if (IsReflectionGroup(type)) {
    BlurLayerSurface(*face, st.ReflectionBlur);
    AdjustBrightness(*face, st.ReflectionBrightness);
    uint32_t alpha = st.ReflectionOpacity;
    if (type == "blurshade")
      alpha = static_cast<uint32_t>(std::nearbyint(st.ReflectionOpacity * st.ObjectShading / 255.0));
    else if (type == "blurhighlight")
      alpha = static_cast<uint32_t>(std::nearbyint(st.ReflectionOpacity * st.ObjectHighlight / 255.0));
    face->SetMasterAlpha(alpha);
    built.Visible = st.ShowReflection;
  }
  built.Face = std::move(face);
  return built;
}

void AppendLayer(TImgView32& view, BuiltLayer& built, int32_t width, int32_t height) {
  TBitmapLayer& layer = view.Layers().Add();
  layer.Scaled = true;
  layer.Location = TFloatRect{0, 0, static_cast<float>(width), static_cast<float>(height)};
  layer.Bitmap().Assign(built.Face.get());
  built.Face.reset();
  layer.SetVisible(built.Visible);
}

}  // namespace

void BlurLayerSurface(TBitmap32& surface, int32_t radius) {
  if (radius < 1 || surface.Empty()) return;
  const int32_t a = BlurWeight(radius);
  const int32_t w = surface.Width();
  for (int32_t y = 0; y < surface.Height(); ++y) {
    const TColor32* row = surface.ScanLine(y);
    // Most rows of a layer are empty; the filter leaves a row of equal pixels exactly as it is.
    if (std::all_of(row + 1, row + w, [first = row[0]](TColor32 p) { return p == first; })) continue;
    BlurRow(surface, y, a);
  }
  BlurColumns(surface, a);
}

void PrepareShadeSource(const std::string& type, const std::string& direction, const EditingState& state,
                        TBitmap32& source, TBitmap32& face) {
  const bool shade = IsShadeKind(type);
  const ShadeMapChoice choice = ShadeMapFor(ShadeDirectionOf(direction));
  const TBitmap32& map = ShadeMap(choice.MapIndex);
  source.SetSizeFrom(&map);
  source.Clear(ColorToColor32(shade ? state.ShadingColor : state.HighlightColor));
  AlphaFromMask(map, source);
  if (type == "roundrectshade" || type == "roundrecthighlight") {
    // Through the face to the panel's size; both transfers keep the map's alpha.
    const TBitmap32& panel = ShadeMap(kShadeMapRoundRect);
    face.SetSizeFrom(&source);
    DrawOverClear(face, source);
    source.SetSizeFrom(&panel);
    DrawOverClear(source, face);
    face.Clear(0);
    ModulateAlphaByMask(panel, source);
  }
  source.SetMasterAlpha(shade ? state.ObjectShading : state.ObjectHighlight);
  Turn(source, choice.Turn);
  if (type == "blurshade" || type == "blurhighlight") {
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
  std::string name = source;
  for (char& ch : name)
    if (ch == '\\') ch = '/';
  const std::filesystem::path relative(name);
  bool climbs = false;
  for (const auto& part : relative)
    if (part == "..") climbs = true;
  if (name.empty() || relative.is_absolute() || relative.has_root_name() || relative.has_root_directory() ||
      climbs) {
    throw Error("The custom picture \"" + source + "\" must name a file inside the custom folder");
  }
  return customFolder / relative;
}

void BuildScene(const std::filesystem::path& templateFile, TImgView32& view, const SceneInputs& inputs,
                std::vector<std::string>& layerTypes) {
  const Template tmpl = ReadTemplate(templateFile);
  const int32_t width = view.Bitmap().Width(), height = view.Bitmap().Height();
  layerTypes.clear();
  const std::string templateName = templateFile.filename().string();
  const size_t count = tmpl.Layers.size();
  const CanvasMapping mapping = MakeCanvasMapping(width, height, tmpl.Width, tmpl.Height);
  const LayerBuilder builder(inputs, mapping, width, height, templateName);

  // Layers are independent until they are appended, so they are built ahead on the machine's cores
  // and appended strictly in template order; a failure surfaces at its own layer, exactly where a
  // one-after-another build would stop, and the layers after it are discarded.
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned workers = inputs.Workers == 0 ? cores : inputs.Workers;
  if (workers <= 1 || count <= 1) {
    for (const TemplateLayer& layer : tmpl.Layers) {
      layerTypes.push_back(layer.Type);
      BuiltLayer built = builder.Build(layer);
      AppendLayer(view, built, width, height);
    }
    return;
  }
  std::vector<std::future<BuiltLayer>> pending(count);
  size_t launched = 0;
  auto launch = [&] {
    const TemplateLayer* layer = &tmpl.Layers[launched];
    pending[launched] = std::async(std::launch::async, [&builder, layer] { return builder.Build(*layer); });
    ++launched;
  };
  // At most `workers` layers in flight keeps the peak at the finished layers plus a few temporaries.
  while (launched < count && launched < workers) launch();
  for (size_t i = 0; i < count; ++i) {
    layerTypes.push_back(tmpl.Layers[i].Type);
    BuiltLayer built = pending[i].get();
    if (launched < count) launch();
    AppendLayer(view, built, width, height);
  }
}

}  // namespace mirelane
