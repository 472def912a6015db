// Draws the project's own sample artwork (box faces, disc labels, backdrop), the pictures for
// "customfile" layers and the About files. Same program, same bytes: nothing random, no clock.

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>  // before jpeglib.h, which uses FILE without declaring it
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <agg_basics.h>
#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_ellipse.h>
#include <agg_gsv_text.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_gradient.h>
#include <agg_span_interpolator_linear.h>
#include <agg_trans_affine.h>

#include <jpeglib.h>
#include <png.h>

namespace mirelane {
namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

using PixelFormat = agg::pixfmt_rgba32_plain;
using RendererBase = agg::renderer_base<PixelFormat>;

agg::rgba8 Hex(std::uint32_t rgb, int alpha = 255) {
  return agg::rgba8((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, alpha);
}

agg::rgba8 WithAlpha(agg::rgba8 c, int alpha) {
  c.a = static_cast<agg::int8u>(alpha);
  return c;
}

struct Stop {
  double offset;
  agg::rgba8 color;
};
using Stops = std::initializer_list<Stop>;

// The colour table a gradient span reads. Built in floating point: AGG's own table steps its channels
// with a line interpolator that can wrap below zero on a falling channel, which draws a bright hairline
// where a gradient fades out.
class ColourRamp {
 public:
  using color_type = agg::rgba8;
  static constexpr unsigned kSize = 1024;

  explicit ColourRamp(Stops stops) : stops_(stops) {
    for (unsigned i = 0; i < kSize; ++i) table_[i] = At(i / double(kSize - 1));
  }
  static unsigned size() { return kSize; }
  const agg::rgba8& operator[](unsigned i) const { return table_[i]; }

 private:
  agg::rgba8 At(double t) const {
    const Stop* before = &stops_.front();
    if (t <= before->offset) return before->color;
    for (const Stop& after : stops_) {
      if (t <= after.offset) {
        const double k = (t - before->offset) / std::max(1e-9, after.offset - before->offset);
        auto mix = [k](int a, int b) { return static_cast<agg::int8u>(std::lround(a + (b - a) * k)); };
        return agg::rgba8(mix(before->color.r, after.color.r), mix(before->color.g, after.color.g),
                          mix(before->color.b, after.color.b), mix(before->color.a, after.color.a));
      }
      before = &after;
    }
    return stops_.back().color;
  }

  std::vector<Stop> stops_;
  std::array<agg::rgba8, kSize> table_;
};

// Text drawn with AGG's built-in single-stroke vector font, thickened by a stroke.
struct TextStyle {
  double height = 40;   // cap height in pixels
  double stroke = 5;    // pen width
  double tracking = 0;  // extra space between letters, in pixels
  agg::rgba8 color = Hex(0xFFFFFF);
  double condense = 1;  // glyph width relative to the font's own
};

enum class Align { kLeft, kCentre, kRight };

double AdvanceOf(char c, const TextStyle& style) {
  const char text[2] = {c, 0};
  agg::gsv_text glyph;
  glyph.size(style.height, style.height * style.condense);
  glyph.text(text);
  return glyph.text_width();
}

// The glyph advances of the font put letters edge to edge; a stroke-wide gap plus a little air keeps
// thick letters apart.
double LetterGap(const TextStyle& style) {
  return style.stroke + style.height * style.condense * 0.1 + style.tracking;
}

double TextWidth(std::string_view text, const TextStyle& style) {
  double width = 0;
  for (char c : text) width += AdvanceOf(c, style) + LetterGap(style);
  return text.empty() ? 0 : width - LetterGap(style);
}

// The style shrunk, pen and spacing alike, until the text fits into maxWidth.
TextStyle Fit(std::string_view text, TextStyle style, double maxWidth) {
  const double width = TextWidth(text, style);
  if (width <= maxWidth) return style;
  const double k = maxWidth / width;
  style.height *= k;
  style.stroke *= k;
  style.tracking *= k;
  return style;
}

// Centre lines of the letters, baseline at y = 0, starting at x = 0.
agg::path_storage TextCentreLines(std::string_view text, const TextStyle& style) {
  agg::path_storage path;
  double x = 0;
  for (char c : text) {
    const char one[2] = {c, 0};
    agg::gsv_text glyph;
    glyph.flip(true);
    glyph.size(style.height, style.height * style.condense);
    glyph.start_point(x, 0);
    glyph.text(one);
    path.concat_path(glyph);
    x += AdvanceOf(c, style) + LetterGap(style);
  }
  return path;
}

class Canvas {
 public:
  Canvas(int width, int height, agg::rgba8 clear = agg::rgba8(0, 0, 0, 0))
      : width_(width),
        height_(height),
        pixels_(static_cast<std::size_t>(width) * height * 4),
        buffer_(pixels_.data(), width, height, width * 4),
        format_(buffer_),
        base_(format_) {
    base_.clear(clear);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::vector<std::uint8_t>& Pixels() { return pixels_; }
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

  template <class VertexSource>
  void Fill(VertexSource& shape, agg::rgba8 color) {
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
    rasterizer.add_path(shape);
    agg::render_scanlines_aa_solid(rasterizer, scanline, base_, color);
  }

  template <class VertexSource>
  void FillLinear(VertexSource& shape, double x1, double y1, double x2, double y2, Stops stops) {
    const double length = std::max(1.0, std::hypot(x2 - x1, y2 - y1));
    agg::trans_affine toGradient =
        agg::trans_affine_rotation(std::atan2(y2 - y1, x2 - x1)) * agg::trans_affine_translation(x1, y1);
    toGradient.invert();
    agg::gradient_x function;
    FillGradient(shape, function, toGradient, length, stops);
  }

  // Radial gradient, optionally squashed to an ellipse of radii rx, ry.
  template <class VertexSource>
  void FillRadial(VertexSource& shape, double cx, double cy, double rx, double ry, Stops stops) {
    agg::trans_affine toGradient =
        agg::trans_affine_scaling(1.0, ry / rx) * agg::trans_affine_translation(cx, cy);
    toGradient.invert();
    agg::gradient_radial_d function;
    FillGradient(shape, function, toGradient, rx, stops);
  }

  // Sweep around (cx, cy), mirrored about the start angle so it closes without a seam.
  template <class VertexSource>
  void FillConic(VertexSource& shape, double cx, double cy, double angle, Stops stops) {
    agg::trans_affine toGradient = agg::trans_affine_rotation(angle) * agg::trans_affine_translation(cx, cy);
    toGradient.invert();
    agg::gradient_conic function;
    FillGradient(shape, function, toGradient, 256, stops);
  }

  template <class VertexSource>
  void Stroke(VertexSource& shape, double width, agg::rgba8 color) {
    agg::conv_stroke<VertexSource> stroke(shape);
    stroke.width(width);
    stroke.line_join(agg::round_join);
    stroke.line_cap(agg::round_cap);
    Fill(stroke, color);
  }

  // Text with its baseline through (x, y), turned by angle (radians, clockwise on screen) about that
  // anchor.
  void Text(std::string_view text, double x, double y, const TextStyle& style, Align align = Align::kCentre,
            double angle = 0) {
    agg::path_storage lines = TextCentreLines(text, style);
    agg::conv_stroke<agg::path_storage> stroke(lines);
    stroke.width(style.stroke);
    stroke.line_join(agg::round_join);
    stroke.line_cap(agg::round_cap);
    const double width = TextWidth(text, style);
    const double shift = align == Align::kLeft ? 0 : align == Align::kCentre ? -width / 2 : -width;
    agg::trans_affine place = agg::trans_affine_translation(shift, 0) * agg::trans_affine_rotation(angle) *
                              agg::trans_affine_translation(x, y);
    agg::conv_transform<agg::conv_stroke<agg::path_storage>> placed(stroke, place);
    Fill(placed, style.color);
  }

  // Text over a soft dark halo so it reads on busy or bright ground.
  void TextWithShadow(std::string_view text, double x, double y, const TextStyle& style, Align align,
                      double angle, double blur, double dx, double dy, agg::rgba8 shadow) {
    Canvas layer(width_, height_, WithAlpha(shadow, 0));
    TextStyle shadowStyle = style;
    shadowStyle.color = shadow;
    layer.Text(text, x + dx, y + dy, shadowStyle, align, angle);
    layer.BlurAlpha(blur);
    Draw(layer);
    Text(text, x, y, style, align, angle);
  }

  // Soft shadow of any shape.
  template <class VertexSource>
  void Shadow(VertexSource& shape, double blur, double dx, double dy, agg::rgba8 shadow) {
    Canvas layer(width_, height_, WithAlpha(shadow, 0));
    agg::trans_affine offset = agg::trans_affine_translation(dx, dy);
    agg::conv_transform<VertexSource> moved(shape, offset);
    layer.Fill(moved, shadow);
    layer.BlurAlpha(blur);
    Draw(layer);
  }

  // Clears whole rows to transparent: crisp horizontal cut-outs.
  void ClearRows(int y1, int y2) {
    y1 = std::clamp(y1, 0, height_);
    y2 = std::clamp(y2, 0, height_);
    for (int y = y1; y < y2; ++y) {
      std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ * 4, width_ * 4, std::uint8_t{0});
    }
  }

  // Softens the alpha channel only: shadow and halo layers are a single colour, so alpha is all there is
  // to blur. Three box passes each way come close to a Gaussian; outside the canvas counts as clear.
  void BlurAlpha(double radius) {
    const int box = std::max(1, static_cast<int>(std::lround(radius / 2)));
    std::vector<int> line(static_cast<std::size_t>(std::max(width_, height_)));
    auto pass = [&](std::uint8_t* first, int count, std::ptrdiff_t step) {
      for (int i = 0; i < count; ++i) line[i] = first[i * step];
      int sum = 0;
      for (int i = 0; i < box && i < count; ++i) sum += line[i];
      for (int i = 0; i < count; ++i) {
        if (i + box < count) sum += line[i + box];
        if (i - box - 1 >= 0) sum -= line[i - box - 1];
        first[i * step] = static_cast<std::uint8_t>((sum + box) / (2 * box + 1));
      }
    };
    for (int round = 0; round < 3; ++round) {
      for (int y = 0; y < height_; ++y)
        pass(pixels_.data() + (static_cast<std::size_t>(y) * width_) * 4 + 3, width_, 4);
      for (int x = 0; x < width_; ++x)
        pass(pixels_.data() + static_cast<std::size_t>(x) * 4 + 3, height_, width_ * 4);
    }
  }

  void Draw(const Canvas& layer, int opacity = 255) {
    base_.blend_from(layer.format_, nullptr, 0, 0, static_cast<agg::cover_type>(opacity));
  }

  // Per-pixel painting for the large soft areas. `shade` gives straight RGBA in 0..255 as doubles; an
  // ordered dither breaks up the banding that 8-bit steps leave in wide, faint gradients.
  template <class Shader>
  void Paint(Shader shade, bool dither) {
    static constexpr std::array<int, 16> kBayer = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    for (int y = 0; y < height_; ++y) {
      std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * width_ * 4;
      for (int x = 0; x < width_; ++x) {
        const std::array<double, 4> c = shade(x + 0.5, y + 0.5);
        const double offset = dither ? (kBayer[(y & 3) * 4 + (x & 3)] + 0.5) / 16.0 - 0.5 : 0.0;
        for (int i = 0; i < 4; ++i) {
          row[x * 4 + i] = static_cast<std::uint8_t>(std::clamp(std::floor(c[i] + 0.5 + offset), 0.0, 255.0));
        }
      }
    }
  }

 private:
  template <class VertexSource, class Function>
  void FillGradient(VertexSource& shape, Function& function, const agg::trans_affine& toGradient, double span,
                    Stops stops) {
    using Interpolator = agg::span_interpolator_linear<>;
    const ColourRamp ramp(stops);
    Interpolator interpolator(const_cast<agg::trans_affine&>(toGradient));
    agg::span_gradient<agg::rgba8, Interpolator, Function, const ColourRamp> generator(interpolator, function,
                                                                                       ramp, 0, span);
    agg::span_allocator<agg::rgba8> allocator;
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
    rasterizer.add_path(shape);
    agg::render_scanlines_aa(rasterizer, scanline, base_, allocator, generator);
  }

  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
  agg::rendering_buffer buffer_;
  PixelFormat format_;
  RendererBase base_;
};

// ---------------------------------------------------------------------------------------------------
// File writers. libpng and libjpeg leave by longjmp on error, so these frames hold no C++ objects with
// destructors; the public wrappers write to a temporary name and rename, so a failure leaves no file.

bool WritePngFile(const char* path, const std::uint8_t* rgba, int width, int height, bool alpha) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  png_bytep row = static_cast<png_bytep>(std::malloc(static_cast<std::size_t>(width) * 4));
  if (!png || !info || !row || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::free(row);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = alpha ? 4 : 3;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = rgba + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      for (int i = 0; i < channels; ++i) row[x * channels + i] = source[x * 4 + i];
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::free(row);
  return std::fclose(file) == 0;
}

struct JpegErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

bool WriteJpegFile(const char* path, const std::uint8_t* rgba, int width, int height, int quality,
                   bool fullChroma) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  jpeg_compress_struct jpeg;
  JpegErrorManager error;
  jpeg.err = jpeg_std_error(&error.base);
  error.base.error_exit = JpegErrorExit;
  JSAMPLE* row = static_cast<JSAMPLE*>(std::malloc(static_cast<std::size_t>(width) * 3));
  if (!row || setjmp(error.jump)) {
    jpeg_destroy_compress(&jpeg);
    std::free(row);
    std::fclose(file);
    return false;
  }
  jpeg_create_compress(&jpeg);
  jpeg_stdio_dest(&jpeg, file);
  jpeg.image_width = static_cast<JDIMENSION>(width);
  jpeg.image_height = static_cast<JDIMENSION>(height);
  jpeg.input_components = 3;
  jpeg.in_color_space = JCS_RGB;
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, quality, TRUE);
  jpeg.optimize_coding = TRUE;
  if (fullChroma) {
    // Small coloured lettering smears when colour is stored at half resolution.
    jpeg.comp_info[0].h_samp_factor = 1;
    jpeg.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&jpeg, TRUE);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = rgba + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      for (int i = 0; i < 3; ++i) row[x * 3 + i] = source[x * 4 + i];
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&jpeg, rows, 1);
  }
  jpeg_finish_compress(&jpeg);
  jpeg_destroy_compress(&jpeg);
  std::free(row);
  return std::fclose(file) == 0;
}

void Publish(const fs::path& temporary, const fs::path& path, bool written) {
  if (!written) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw std::runtime_error("Cannot write \"" + path.string() + "\"");
  }
  std::error_code renameError;
  fs::rename(temporary, path, renameError);
  if (renameError) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw std::runtime_error("Cannot write \"" + path.string() + "\": " + renameError.message());
  }
  std::cout << path.string() << " (" << fs::file_size(path) << " bytes)\n";
}

void SavePng(const Canvas& canvas, const fs::path& path, bool alpha) {
  const fs::path temporary = path.string() + ".part";
  Publish(temporary, path,
          WritePngFile(temporary.c_str(), canvas.Pixels().data(), canvas.Width(), canvas.Height(), alpha));
}

void SaveJpeg(const Canvas& canvas, const fs::path& path, bool fullChroma = false) {
  const fs::path temporary = path.string() + ".part";
  Publish(temporary, path,
          WriteJpegFile(temporary.c_str(), canvas.Pixels().data(), canvas.Width(), canvas.Height(), 90,
                        fullChroma));
}

void SaveText(const fs::path& path, std::string_view text) {
  const fs::path temporary = path.string() + ".part";
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    written = static_cast<bool>(out);
  }
  Publish(temporary, path, written);
}

// ---------------------------------------------------------------------------------------------------
// Shapes.

agg::path_storage Rectangle(double x1, double y1, double x2, double y2) {
  agg::path_storage path;
  path.move_to(x1, y1);
  path.line_to(x2, y1);
  path.line_to(x2, y2);
  path.line_to(x1, y2);
  path.close_polygon();
  return path;
}

double WaveY(double x, double baseY, double amplitude, double wavelength, double phase) {
  const double t = 2 * kPi * x / wavelength + phase;
  return baseY + amplitude * (std::sin(t) + 0.35 * std::sin(2.3 * t + 1.1));
}

// The upper edge of a wave band: a gentle double sine.
agg::path_storage WaveLine(double left, double right, double baseY, double amplitude, double wavelength,
                           double phase) {
  agg::path_storage path;
  path.move_to(left, WaveY(left, baseY, amplitude, wavelength, phase));
  for (double x = left + 4; x <= right + 4; x += 4)
    path.line_to(x, WaveY(x, baseY, amplitude, wavelength, phase));
  return path;
}

// A band under a wave line, down to the straight line y = bottom.
agg::path_storage WaveBand(double left, double right, double baseY, double amplitude, double wavelength,
                           double phase, double bottom) {
  agg::path_storage path = WaveLine(left, right, baseY, amplitude, wavelength, phase);
  path.line_to(right + 4, bottom);
  path.line_to(left, bottom);
  path.close_polygon();
  return path;
}

// A starburst with `points` rays between radii inner and outer.
agg::path_storage Starburst(double cx, double cy, double inner, double outer, int points, double turn) {
  agg::path_storage path;
  for (int i = 0; i < points * 2; ++i) {
    const double angle = turn + kPi * i / points;
    const double r = (i % 2 == 0) ? outer : inner;
    const double x = cx + r * std::cos(angle);
    const double y = cy + r * std::sin(angle);
    if (i == 0) {
      path.move_to(x, y);
    } else {
      path.line_to(x, y);
    }
  }
  path.close_polygon();
  return path;
}

// A ring between two radii (even-odd not needed: the inner circle runs the other way).
agg::path_storage Ring(double cx, double cy, double outer, double inner) {
  agg::path_storage path;
  agg::ellipse outside(cx, cy, outer, outer, 256);
  agg::ellipse inside(cx, cy, inner, inner, 256, true);
  path.concat_path(outside);
  path.concat_path(inside);
  return path;
}

// ---------------------------------------------------------------------------------------------------
// The two product lines share a layout; a palette gives each its colours.

struct Palette {
  std::uint32_t deep;                  // darkest ground
  std::uint32_t ground;                // main ground
  std::uint32_t glow;                  // light source in the ground
  std::uint32_t accent;                // title accent
  std::uint32_t light;                 // pale text
  std::array<std::uint32_t, 4> bands;  // graphic colours, back to front
  std::uint32_t emblemFrom;
  std::uint32_t emblemTo;
};

constexpr Palette kStudio = {.deep = 0x081634,
                             .ground = 0x103A6E,
                             .glow = 0x1FB8C8,
                             .accent = 0x3FE0CF,
                             .light = 0xCFE8FF,
                             .bands = {0x3B6FE0, 0x2792D8, 0x1BB5C2, 0x0E3F6E},
                             .emblemFrom = 0x7CF2DF,
                             .emblemTo = 0x2F6BFF};
constexpr Palette kPhoton = {.deep = 0x2A0A36,
                             .ground = 0x6A1A4C,
                             .glow = 0xFF7A45,
                             .accent = 0xFFC15A,
                             .light = 0xFFE8D6,
                             .bands = {0xC2366A, 0x8E2458, 0x5C1748, 0x2A0A36},
                             .emblemFrom = 0xFFE08A,
                             .emblemTo = 0xFF5E5B};

// The project emblem: a disc crossed by two waves.
void DrawEmblem(Canvas& canvas, double cx, double cy, double r, const Palette& palette) {
  agg::ellipse disc(cx, cy, r, r, 128);
  canvas.FillLinear(disc, cx, cy - r, cx, cy + r, {{0, Hex(palette.emblemFrom)}, {1, Hex(palette.emblemTo)}});
  const double pen = std::max(1.5, r * 0.16);
  for (int line = 0; line < 2; ++line) {
    agg::path_storage wave;
    const double baseY = cy + r * (0.05 + 0.38 * line);
    bool first = true;
    for (double x = cx - r; x <= cx + r; x += r / 40) {
      const double y = baseY + r * 0.13 * std::sin((x - cx) / r * kPi * 1.5);
      const double limit = r - pen * 0.9;
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > limit * limit) continue;
      if (first) {
        wave.move_to(x, y);
        first = false;
      } else {
        wave.line_to(x, y);
      }
    }
    canvas.Stroke(wave, pen, Hex(0xFFFFFF, line == 0 ? 240 : 170));
  }
}

void DrawGround(Canvas& canvas, const Palette& palette, double glowX, double glowY, double glowR) {
  const double w = canvas.Width();
  const double h = canvas.Height();
  agg::path_storage all = Rectangle(0, 0, w, h);
  canvas.FillLinear(all, 0, 0, 0, h,
                    {{0, Hex(palette.deep)}, {0.55, Hex(palette.ground)}, {1, Hex(palette.deep)}});
  canvas.FillRadial(all, glowX, glowY, glowR, glowR,
                    {{0, Hex(palette.glow, 110)}, {0.45, Hex(palette.glow, 40)}, {1, Hex(palette.glow, 0)}});
}

struct Product {
  const char* brand;     // small line above the title
  const char* title;     // the big word
  const char* subtitle;  // what it is
  const char* tagline;   // the promise at the foot
  const char* version;   // a short version mark
  const Palette* palette;
  bool sunset;  // the second line shows a striped sun over hills instead of a moon over water
};

constexpr Product kFirst = {.brand = "MIRELANE",
                            .title = "STUDIO",
                            .subtitle = "Creative Design Suite",
                            .tagline = "Design. Compose. Publish.",
                            .version = "5",
                            .palette = &kStudio,
                            .sunset = false};
constexpr Product kSecond = {.brand = "MIRELANE",
                             .title = "PHOTON",
                             .subtitle = "Photo Editor",
                             .tagline = "Light, shaped by you.",
                             .version = "2",
                             .palette = &kPhoton,
                             .sunset = true};

// The bold picture of a product: a big sphere sinking behind layered bands, or only the bands.
void DrawScene(Canvas& canvas, const Product& product, double cx, double cy, double r, double top,
               double bottom, double scale, bool withSphere) {
  const Palette& p = *product.palette;
  const double w = canvas.Width();
  if (withSphere) {
    agg::ellipse halo(cx, cy, r * 1.6, r * 1.6, 256);
    canvas.FillRadial(halo, cx, cy, r * 1.6, r * 1.6,
                      {{0, Hex(p.emblemFrom, 90)}, {0.62, Hex(p.emblemFrom, 36)}, {1, Hex(p.emblemFrom, 0)}});
    Canvas sphereLayer(canvas.Width(), canvas.Height());
    agg::ellipse sphere(cx, cy, r, r, 256);
    sphereLayer.FillLinear(sphere, cx, cy - r, cx, cy + r,
                           {{0, Hex(p.emblemFrom)}, {0.65, Hex(p.emblemTo)}, {1, Hex(p.emblemTo)}});
    if (product.sunset) {
      // Gaps across the lower half of the sun, widening downwards, show the sky through it.
      for (int i = 0; i < 5; ++i) {
        const double y = cy + r * (0.02 + 0.13 * i);
        const double thickness = r * (0.02 + 0.018 * i);
        sphereLayer.ClearRows(static_cast<int>(std::lround(y)), static_cast<int>(std::lround(y + thickness)));
      }
    }
    canvas.Draw(sphereLayer);
  }
  for (int i = 0; i < 4; ++i) {
    const double baseY = top + (bottom - top) * (0.04 + 0.2 * i);
    const double amplitude = (product.sunset ? 38.0 - 5 * i : 15.0 + 3 * i) * scale;
    const double wavelength = (product.sunset ? 700.0 - 70 * i : 620.0 - 60 * i) * scale;
    const double phase = 1.9 * i + 0.4;
    agg::path_storage band = WaveBand(-8, w + 8, baseY, amplitude, wavelength, phase, bottom);
    canvas.FillLinear(band, 0, baseY - amplitude, 0, bottom, {{0, Hex(p.bands[i], 240)}, {1, Hex(p.deep)}});
    if (product.sunset) {
      // Back light catching the ridges.
      agg::path_storage ridge = WaveLine(-8, w + 8, baseY, amplitude, wavelength, phase);
      canvas.Stroke(ridge, 2 * scale, Hex(p.accent, 110 - 25 * i));
    }
  }
  if (withSphere && !product.sunset) {
    // Moonlight broken on the water under the sphere.
    static constexpr std::array<double, 7> kLength = {0.62, 0.38, 0.5, 0.26, 0.34, 0.16, 0.2};
    static constexpr std::array<double, 7> kShift = {0, -0.12, 0.08, 0.1, -0.06, 0.04, -0.02};
    for (std::size_t i = 0; i < kLength.size(); ++i) {
      const double y = top + 18 + i * (bottom - top - 50) / 7.0;
      agg::path_storage glint;
      glint.move_to(cx + (kShift[i] - kLength[i] / 2) * r * 1.4, y);
      glint.line_to(cx + (kShift[i] + kLength[i] / 2) * r * 1.4, y);
      canvas.Stroke(glint, 2.6 * scale, Hex(p.emblemFrom, static_cast<int>(120 - 12 * i)));
    }
  }
}

// A round seal with "VERSION" over the number.
void DrawSeal(Canvas& canvas, const Product& product, double cx, double cy, double r) {
  const Palette& p = *product.palette;
  agg::ellipse seal(cx, cy, r, r, 128);
  canvas.Shadow(seal, r * 0.2, 0, r * 0.08, Hex(0x000000, 120));
  canvas.FillLinear(seal, cx, cy - r, cx, cy + r, {{0, Hex(p.accent)}, {1, Hex(p.emblemTo)}});
  agg::path_storage ring = Ring(cx, cy, r * 0.88, r * 0.83);
  canvas.Fill(ring, Hex(0xFFFFFF, 210));
  canvas.Text("VERSION", cx, cy - r * 0.2, TextStyle{r * 0.15, r * 0.032, r * 0.01, Hex(0xFFFFFF), 0.9});
  canvas.Text(product.version, cx, cy + r * 0.5, TextStyle{r * 0.56, r * 0.1, 0, Hex(0xFFFFFF)});
}

void DrawFront(const Product& product, const fs::path& path) {
  const Palette& p = *product.palette;
  Canvas canvas(800, 1000);
  DrawGround(canvas, p, 560, 420, 620);
  DrawScene(canvas, product, 400, 610, 200, product.sunset ? 700 : 650, 880, 1.0, true);

  canvas.Text(product.brand, 400, 150, TextStyle{30, 4.2, 14, Hex(p.light)});
  const TextStyle title = Fit(product.title, TextStyle{124, 17, 6, Hex(0xFFFFFF), 0.82}, 640);
  canvas.TextWithShadow(product.title, 400, 310, title, Align::kCentre, 0, 14, 0, 6, Hex(0x000000, 140));
  agg::path_storage rule = Rectangle(350, 340, 450, 344);
  canvas.Fill(rule, Hex(p.accent));
  canvas.Text(product.subtitle, 400, 392, TextStyle{26, 3.3, 3, Hex(p.light)});
  DrawSeal(canvas, product, 712, 88, 56);

  // Foot band with the tagline and the maker.
  agg::path_storage foot = Rectangle(0, 880, 800, 1000);
  canvas.Fill(foot, Hex(p.deep));
  agg::path_storage footRule = Rectangle(0, 880, 800, 883);
  canvas.FillLinear(footRule, 0, 0, 800, 0,
                    {{0, Hex(p.accent, 0)}, {0.5, Hex(p.accent)}, {1, Hex(p.accent, 0)}});
  canvas.Text(product.tagline, 400, 938, TextStyle{24, 3.2, 1, Hex(0xFFFFFF)});
  const TextStyle maker{12, 2, 3.5, Hex(p.light, 190)};
  const double makerWidth = 30 + TextWidth("MIRELANE SOFTWARE", maker);
  DrawEmblem(canvas, 400 - makerWidth / 2 + 10, 968, 10, p);
  canvas.Text("MIRELANE SOFTWARE", 400 - makerWidth / 2 + 30, 974, maker, Align::kLeft);
  SavePng(canvas, path, false);
}

void DrawSide(const Product& product, const fs::path& path) {
  const Palette& p = *product.palette;
  Canvas canvas(200, 1000);
  DrawGround(canvas, p, 100, 450, 520);
  DrawEmblem(canvas, 100, 92, 46, p);
  canvas.Text(product.brand, 100, 182, Fit(product.brand, TextStyle{15, 2.5, 4.5, Hex(p.light)}, 150));
  // Reads top to bottom, as the spines of boxes and books do; the letters' tops face right.
  const TextStyle title = Fit(product.title, TextStyle{78, 12, 6, Hex(0xFFFFFF), 0.82}, 600);
  canvas.TextWithShadow(product.title, 100 - title.height / 2, 530, title, Align::kCentre, kPi / 2, 8, -3, 0,
                        Hex(0x000000, 140));
  agg::path_storage foot = Rectangle(0, 870, 200, 1000);
  canvas.Fill(foot, Hex(p.deep));
  agg::path_storage footRule = Rectangle(0, 870, 200, 873);
  canvas.FillLinear(footRule, 0, 0, 200, 0,
                    {{0, Hex(p.accent, 0)}, {0.5, Hex(p.accent)}, {1, Hex(p.accent, 0)}});
  DrawSeal(canvas, product, 100, 935, 44);
  SavePng(canvas, path, false);
}

void DrawTop(const Product& product, const fs::path& path) {
  const Palette& p = *product.palette;
  Canvas canvas(800, 200);
  DrawGround(canvas, p, 400, 100, 440);
  DrawEmblem(canvas, 90, 100, 52, p);
  canvas.Text(product.brand, 170, 76, TextStyle{22, 3.4, 10, Hex(p.light)}, Align::kLeft);
  const TextStyle title = Fit(product.title, TextStyle{64, 10, 4, Hex(0xFFFFFF), 0.82}, 440);
  canvas.TextWithShadow(product.title, 170, 150, title, Align::kLeft, 0, 8, 0, 3, Hex(0x000000, 140));
  DrawSeal(canvas, product, 716, 100, 50);
  agg::path_storage rule = Rectangle(0, 194, 800, 197);
  canvas.FillLinear(rule, 0, 0, 800, 0, {{0, Hex(p.accent, 0)}, {0.5, Hex(p.accent)}, {1, Hex(p.accent, 0)}});
  SavePng(canvas, path, false);
}

// A disc label: the engine cuts the centre (four tenths of the radius) away, so all text stays in the
// outer ring.
void DrawDisc(const Product& product, const fs::path& path) {
  const Palette& p = *product.palette;
  const double c = 400;
  Canvas canvas(800, 800);
  agg::path_storage all = Rectangle(0, 0, 800, 800);
  canvas.FillRadial(all, c, c, 400, 400, {{0, Hex(p.ground)}, {0.75, Hex(p.deep)}, {1, Hex(p.deep)}});
  // A colour sweep and fine grooves, like light caught on a pressed disc.
  // Flat ends: the sweep mirrors at its ends, and a slope there would show as a crease.
  canvas.FillConic(all, c, c, -kPi / 2,
                   {{0, Hex(p.glow, 90)},
                    {0.12, Hex(p.glow, 90)},
                    {0.4, Hex(p.bands[0], 20)},
                    {0.66, Hex(p.accent, 100)},
                    {0.88, Hex(p.bands[1], 120)},
                    {1, Hex(p.bands[1], 120)}});
  for (double r = 176; r < 400; r += 12) {
    agg::path_storage groove = Ring(c, c, r, r - 1.2);
    canvas.Fill(groove, Hex(0xFFFFFF, 9));
  }
  DrawScene(canvas, product, c, c, 0, product.sunset ? 694 : 676, 800, 0.6, false);
  canvas.Text(product.brand, c, 100, TextStyle{24, 3.6, 12, Hex(p.light)});
  const TextStyle title = Fit(product.title, TextStyle{84, 12.5, 5, Hex(0xFFFFFF), 0.82}, 480);
  canvas.TextWithShadow(product.title, c, 226, title, Align::kCentre, 0, 10, 0, 4, Hex(0x000000, 150));
  canvas.TextWithShadow(product.subtitle, c, 600, TextStyle{24, 3.2, 2, Hex(p.light)}, Align::kCentre, 0, 6,
                        0, 2, Hex(0x000000, 160));
  canvas.TextWithShadow(std::string("INSTALLATION DISC - VERSION ") + product.version, c, 644,
                        TextStyle{14, 2.4, 4, Hex(0xFFFFFF)}, Align::kCentre, 0, 6, 0, 2, Hex(0x000000, 160));
  DrawEmblem(canvas, 108, c, 30, p);
  DrawEmblem(canvas, 692, c, 30, p);
  SavePng(canvas, path, false);
}

// ---------------------------------------------------------------------------------------------------
// Backdrop, custom-layer pictures and About files.

double SmoothStep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

void DrawBackdrop(const fs::path& path) {
  const int w = 1600;
  const int h = 1200;
  Canvas canvas(w, h);
  // A paper sweep: a cool wall curving into a lighter floor, lit from above the middle, darker corners.
  canvas.Paint(
      [&](double x, double y) {
        const double u = x / w;
        const double v = y / h;
        const double floor = SmoothStep(0.52, 0.78, v);
        std::array<double, 3> wall = {184, 194, 208};
        std::array<double, 3> ground = {232, 236, 241};
        const double dx = (u - 0.5) * 1.25;
        const double spot = std::exp(-(dx * dx + (v - 0.42) * (v - 0.42) * 1.6) * 3.2);
        const double vignette = 1 - 0.22 * std::pow(std::hypot(u - 0.5, (v - 0.5) * 0.85) * 1.45, 2.2);
        std::array<double, 4> out{};
        for (int i = 0; i < 3; ++i) {
          const double base = wall[i] + (ground[i] - wall[i]) * floor;
          out[i] = (base + 34 * spot) * vignette;
        }
        out[3] = 255;
        return out;
      },
      true);
  SaveJpeg(canvas, path);
}

void DrawSpot(const fs::path& path) {
  const int w = 800;
  const int h = 300;
  Canvas canvas(w, h);
  // A white pool of light on the floor, meant to sit under an object; alpha carries the falloff.
  canvas.Paint(
      [&](double x, double y) {
        const double dx = (x - w / 2.0) / (w / 2.0);
        const double dy = (y - h / 2.0) / (h / 2.0);
        const double d2 = dx * dx + dy * dy;
        const double alpha = 235 * std::exp(-d2 * 4.0) * (1 - SmoothStep(0.8, 1.0, std::sqrt(d2)));
        return std::array<double, 4>{255, 255, 255, alpha};
      },
      false);
  SavePng(canvas, path, true);
}

void DrawGlare(const fs::path& path) {
  const int w = 600;
  const int h = 800;
  Canvas canvas(w, h);
  // A diagonal sheen for glossy faces: two soft bright strips over a clear ground.
  canvas.Paint(
      [&](double x, double y) {
        const double t = (x / w) * 0.8 + (1 - y / h) * 0.6;  // runs from lower left to upper right
        const double broad = std::exp(-std::pow((t - 0.62) / 0.09, 2));
        const double thin = std::exp(-std::pow((t - 0.8) / 0.025, 2));
        const double fade = 1 - 0.6 * (y / h);
        return std::array<double, 4>{255, 255, 255, std::min(255.0, (120 * broad + 150 * thin) * fade)};
      },
      false);
  SavePng(canvas, path, true);
}

void DrawHinge(const fs::path& path) {
  const int w = 64;
  const int h = 512;
  Canvas canvas(w, h);
  // The clear plastic hinge along the left edge of a jewel case front: moulded ridges that catch the
  // light, translucent so that the cover shows through, and a bright seam at the hinge's edge.
  canvas.Paint(
      [&](double cx, double cy) {
        const int x = static_cast<int>(cx - 0.5), y = static_cast<int>(cy - 0.5);
        const double ridge = x < 52 ? 0.55 + 0.45 * std::cos(x / 64.0 * 2 * std::numbers::pi * 3) : 0.0;
        const double edge = std::max(0.0, 1.0 - std::abs(x - 56) / 4.0);
        const double shine = 0.25 + 0.75 * std::pow(1.0 - y / 511.0, 2);
        const int alpha = std::min(255, static_cast<int>(70 * ridge * shine + 150 * edge + 25));
        const int a = x < 60 ? alpha : std::max(0, static_cast<int>(25.0 * (64 - x) / 4));
        return std::array<double, 4>{235, 240, 245, static_cast<double>(a)};
      },
      false);
  SavePng(canvas, path, true);
}

void DrawSticker(const fs::path& path) {
  const double c = 150;
  Canvas canvas(300, 300);
  agg::path_storage burst = Starburst(c, c, 118, 142, 22, -kPi / 2);
  canvas.Shadow(burst, 5, 0, 3, Hex(0x000000, 90));
  canvas.FillLinear(burst, c, 10, c, 290, {{0, Hex(0xFF5A4E)}, {1, Hex(0xD81B4A)}});
  agg::path_storage ring = Ring(c, c, 108, 102);
  canvas.Fill(ring, Hex(0xFFFFFF, 220));
  canvas.Text("NEW", c, c + 26, TextStyle{56, 9, 3, Hex(0xFFFFFF), 0.78});
  canvas.Text("EDITION", c, c + 60, TextStyle{14, 2.6, 4, Hex(0xFFE3DA)});
  for (int i = -1; i <= 1; ++i) {
    agg::path_storage star = Starburst(c + i * 24, c - 54 + std::abs(i) * 4, 3.2, 8, 5, -kPi / 2);
    canvas.Fill(star, Hex(0xFFE3DA));
  }
  SavePng(canvas, path, true);
}

void DrawLogo(const fs::path& path) {
  // Shown 300 x 75 in the About window, so drawn at exactly that size: no scaling blur.
  Canvas canvas(300, 75);
  agg::path_storage all = Rectangle(0, 0, 300, 75);
  canvas.FillLinear(all, 0, 0, 300, 75, {{0, Hex(kStudio.deep)}, {1, Hex(kStudio.ground)}});
  canvas.FillRadial(all, 40, 37, 120, 120, {{0, Hex(kStudio.glow, 90)}, {1, Hex(kStudio.glow, 0)}});
  DrawEmblem(canvas, 40, 37.5, 24, kStudio);
  canvas.Text("MIRELANE", 78, 39, TextStyle{23, 3.4, 2.5, Hex(0xFFFFFF), 0.86}, Align::kLeft);
  canvas.Text("CREATOR", 79, 60, TextStyle{12, 2, 6.5, Hex(kStudio.accent)}, Align::kLeft);
  SaveJpeg(canvas, path, true);
}

// Short lines: the About window shows about fifty characters and eight lines without scrolling.
constexpr std::string_view kAboutText =
    "Mirelane Creator 0.1\n"
    "Product shots from flat artwork: a box, a book or a\n"
    "disc in perspective, with reflection, shadow and\n"
    "shading, saved as JPEG, PNG or BMP.\n"
    "\n"
    "Copyright (c) the Mirelane Creator developers.\n"
    "Click the logo to visit the home page.\n";

constexpr std::string_view kLinkAddress = "https://mirelane.example/creator\n";

void Run(const fs::path& root) {
  const fs::path examples = root / "examples";
  const fs::path custom = root / "data" / "custom";
  const fs::path data = root / "data" / "Data";
  for (const fs::path& dir : {examples, custom, data}) fs::create_directories(dir);

  DrawFront(kFirst, examples / "front.png");
  DrawSide(kFirst, examples / "side.png");
  DrawTop(kFirst, examples / "top.png");
  DrawDisc(kFirst, examples / "disc.png");
  DrawFront(kSecond, examples / "front2.png");
  DrawSide(kSecond, examples / "side2.png");
  DrawTop(kSecond, examples / "top2.png");
  DrawDisc(kSecond, examples / "disc2.png");
  DrawBackdrop(examples / "background.jpg");

  DrawSpot(custom / "spot.png");
  DrawGlare(custom / "glare.png");
  DrawHinge(custom / "jewel case hinge.png");
  DrawSticker(custom / "sticker.png");

  SaveText(data / "About.dat", kAboutText);
  SaveText(data / "LinkAdr.dat", kLinkAddress);
  DrawLogo(data / "Logo.jpg");
}

}  // namespace
}  // namespace mirelane

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: mirelane-make-artwork <source folder>\n"
                 "Writes examples/, data/custom/ and data/Data/ below the given folder.\n";
    return 2;
  }
  try {
    mirelane::Run(argv[1]);
  } catch (const std::exception& error) {
    std::cerr << "mirelane-make-artwork: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
