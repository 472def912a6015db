// Embedded ICC profiles applied through Little CMS: one conversion per distinct profile, cached, and
// run over the picture in place, on two threads for large pictures.
#include "picture/colour_management.h"

#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <tuple>

#include "picture/regular_file.h"

namespace mirelane {

namespace {

// Real profiles stay well below a megabyte (a CMYK press profile is about 0.2-3 MiB).
constexpr size_t kMaxProfileBytes = size_t{16} << 20;
constexpr size_t kMaxCachedTransforms = 32;
// Ghostscript's SWOP press profile (package libgs-common): the press most North American print
// artwork is separated for.
constexpr const char* kPressProfileFile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

struct ProfileHandle {
  cmsHPROFILE profile = nullptr;
  explicit ProfileHandle(cmsHPROFILE p) : profile(p) {}
  ProfileHandle(const ProfileHandle&) = delete;
  ProfileHandle& operator=(const ProfileHandle&) = delete;
  ~ProfileHandle() {
    if (profile != nullptr) cmsCloseProfile(profile);
  }
};

std::vector<uint8_t> SavedProfile(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  if (profile == nullptr || !cmsSaveProfileToMem(profile, nullptr, &size) || size == 0) return {};
  std::vector<uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) return {};
  return bytes;
}

std::string Description(cmsHPROFILE profile) {
  char text[256] = {};
  cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
  std::string description(text);
  if (description.empty()) description = "an unnamed profile";
  return description;
}

// A profile's colour space as the number it holds: a damaged profile may hold one that names no
// member of Little CMS's enumeration.
uint32_t SpaceOf(cmsHPROFILE profile) {
  return static_cast<uint32_t>(cmsGetColorSpace(profile));
}

constexpr uint32_t kRgb = cmsSigRgbData, kGrey = cmsSigGrayData, kCmyk = cmsSigCmykData;

const char* SpaceWords(uint32_t space) {
  if (space == kRgb) return "RGB colours";
  if (space == kGrey) return "grey levels";
  if (space == kCmyk) return "CMYK inks";
  return "a colour space this program does not read";
}

// One profile's way to sRGB, or why there is none.
struct Conversion {
  cmsHTRANSFORM transform = nullptr;  // null when the picture is already sRGB (or grey through a table)
  bool grey = false;                  // a grey profile: each grey level maps through greyTable
  TColor32 greyTable[256] = {};
  std::string description;
  std::string failure;  // set when the profile cannot be used
  Conversion() = default;
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;
  ~Conversion() {
    if (transform != nullptr) cmsDeleteTransform(transform);
  }
};

cmsUInt32Number IntentFor(cmsHPROFILE profile) {
  // Matrix profiles carry no perceptual table; for them relative colorimetric is what perceptual means.
  return cmsIsMatrixShaper(profile) ? INTENT_RELATIVE_COLORIMETRIC : INTENT_PERCEPTUAL;
}

constexpr cmsUInt32Number kTransformFlags = cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE;

// Whether the transform leaves every colour of a coarse grid within one level: then the profile is
// sRGB in all but name, and the picture is left as decoded.
bool LeavesColoursAlone(cmsHTRANSFORM transform) {
  std::vector<TColor32> grid;
  for (uint32_t r = 0; r <= 256; r += 32)
    for (uint32_t g = 0; g <= 256; g += 32)
      for (uint32_t b = 0; b <= 256; b += 32)
        grid.push_back(Color32(std::min(r, 255u), std::min(g, 255u), std::min(b, 255u)));
  std::vector<TColor32> mapped(grid.size());
  cmsDoTransform(transform, grid.data(), mapped.data(), static_cast<cmsUInt32Number>(grid.size()));
  for (size_t i = 0; i < grid.size(); ++i)
    for (int shift = 0; shift < 24; shift += 8) {
      const int a = int(grid[i] >> shift & 0xFF), b = int(mapped[i] >> shift & 0xFF);
      if (a - b > 1 || b - a > 1) return false;
    }
  return true;
}

std::unique_ptr<Conversion> BuildConversion(std::span<const uint8_t> bytes, TSampleSpace samples) {
  auto conversion = std::make_unique<Conversion>();
  if (bytes.size() > kMaxProfileBytes) {
    conversion->failure = "the profile is too large";
    return conversion;
  }
  const ProfileHandle source(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
  if (source.profile == nullptr) {
    conversion->failure = "the profile is damaged";
    return conversion;
  }
  conversion->description = Description(source.profile);
  const ProfileHandle srgb(cmsCreate_sRGBProfile());
  const uint32_t space = SpaceOf(source.profile);
  const bool inks = samples != TSampleSpace::Colour;
  const uint32_t expected = inks ? kCmyk : space;
  if (space != expected || (space != kRgb && space != kGrey && space != kCmyk) || (!inks && space == kCmyk)) {
    conversion->failure = std::string("it describes ") + SpaceWords(space) + ", but the picture holds " +
                          (inks ? "CMYK inks" : "RGB colours");
    return conversion;
  }
  const cmsUInt32Number intent = IntentFor(source.profile);
  if (space == kGrey) {
    const ProfileHandle rgb(cmsCreate_sRGBProfile());
    cmsHTRANSFORM table =
        cmsCreateTransform(source.profile, TYPE_GRAY_8, rgb.profile, TYPE_BGRA_8, intent, kTransformFlags);
    if (table == nullptr) {
      conversion->failure = "Little CMS cannot convert from it";
      return conversion;
    }
    uint8_t levels[256];
    for (int v = 0; v < 256; ++v) levels[v] = static_cast<uint8_t>(v);
    cmsDoTransform(table, levels, conversion->greyTable, 256);
    cmsDeleteTransform(table);
    conversion->grey = true;
    return conversion;
  }
  const cmsUInt32Number input = samples == TSampleSpace::InvertedInks ? TYPE_CMYK_8_REV
                                : inks                                ? TYPE_CMYK_8
                                                                      : TYPE_BGRA_8;
  conversion->transform = cmsCreateTransform(source.profile, input, srgb.profile, TYPE_BGRA_8, intent,
                                             kTransformFlags | (inks ? 0 : cmsFLAGS_COPY_ALPHA));
  if (conversion->transform == nullptr) {
    conversion->failure = "Little CMS cannot convert from it";
    return conversion;
  }
  if (!inks && LeavesColoursAlone(conversion->transform)) {
    cmsDeleteTransform(conversion->transform);
    conversion->transform = nullptr;
  }
  return conversion;
}

uint64_t Fingerprint(std::span<const uint8_t> bytes) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

// Conversions are kept per profile (by content) and sample kind, for every picture that shares it.
class ConversionCache {
 public:
  std::shared_ptr<const Conversion> For(std::span<const uint8_t> bytes, TSampleSpace samples) {
    const Key key{Fingerprint(bytes), bytes.size(), samples};
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      const auto found = entries_.find(key);
      if (found != entries_.end()) return found->second;
    }
    std::shared_ptr<const Conversion> built = BuildConversion(bytes, samples);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.size() >= kMaxCachedTransforms) entries_.clear();
    return entries_.emplace(key, std::move(built)).first->second;
  }

 private:
  using Key = std::tuple<uint64_t, size_t, TSampleSpace>;
  std::mutex mutex_;
  std::map<Key, std::shared_ptr<const Conversion>> entries_;
};

ConversionCache& Cache() {
  static ConversionCache cache;
  return cache;
}

// The plain subtractive rule, for inks when no press profile is installed: red = (1 - C)(1 - K).
void MixInks(std::span<TColor32> pixels, bool inverted) {
  for (TColor32& p : pixels) {
    uint32_t c = p & 0xFF, m = p >> 8 & 0xFF, y = p >> 16 & 0xFF, k = p >> 24;
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    p = Color32((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
  }
}

void Transform(const Conversion& conversion, std::span<TColor32> pixels, bool inks) {
  if (conversion.grey) {
    for (TColor32& p : pixels) p = (conversion.greyTable[p >> 8 & 0xFF] & 0x00FFFFFFu) | (p & 0xFF000000u);
    return;
  }
  constexpr size_t kPiece = 4096;
  std::vector<TColor32> out(std::min(kPiece, pixels.size()));
  for (size_t at = 0; at < pixels.size(); at += kPiece) {
    const size_t count = std::min(kPiece, pixels.size() - at);
    cmsDoTransform(conversion.transform, pixels.data() + at, out.data(), static_cast<cmsUInt32Number>(count));
    if (inks)
      for (size_t i = 0; i < count; ++i) pixels[at + i] = out[i] | 0xFF000000u;
    else
      std::copy_n(out.data(), count, pixels.data() + at);
  }
}

// Pictures of a quarter megapixel or more are converted on two threads: CMYK costs about 20 ns a pixel.
void TransformAll(const Conversion& conversion, std::vector<TColor32>& pixels, bool inks) {
  const std::span<TColor32> all(pixels);
  if (pixels.size() < (size_t{1} << 18) || std::thread::hardware_concurrency() < 2) {
    Transform(conversion, all, inks);
    return;
  }
  const size_t half = pixels.size() / 2;
  std::thread second([&] { Transform(conversion, all.subspan(half), inks); });
  Transform(conversion, all.first(half), inks);
  second.join();
}

bool AllGrey(const std::vector<TColor32>& pixels) {
  return std::all_of(pixels.begin(), pixels.end(), [](TColor32 p) {
    return (p & 0xFF) == (p >> 8 & 0xFF) && (p & 0xFF) == (p >> 16 & 0xFF);
  });
}

std::vector<uint8_t> ReadProfileFile(const char* path) {
  try {
    return ReadRegularFile(path, kMaxProfileBytes);
  } catch (const FileReadError&) {
    return {};  // not installed: the inks are mixed by the plain rule
  }
}

}  // namespace

const std::vector<uint8_t>& PressIccProfile() {
  static const std::vector<uint8_t> profile = ReadProfileFile(kPressProfileFile);
  return profile;
}

const std::vector<uint8_t>& SrgbIccProfile() {
  static const std::vector<uint8_t> profile = [] {
    const ProfileHandle srgb(cmsCreate_sRGBProfile());
    return SavedProfile(srgb.profile);
  }();
  return profile;
}

std::vector<uint8_t> IccProfileFromChromaticities(const double (&xy)[8], double fileGamma) {
  if (!(fileGamma > 0.01 && fileGamma < 100)) return {};
  for (double v : xy)
    if (!(v > 0 && v < 1)) return {};
  const cmsCIExyY white{xy[0], xy[1], 1.0};
  const cmsCIExyYTRIPLE primaries{{xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}, {xy[6], xy[7], 1.0}};
  cmsToneCurve* curve = cmsBuildGamma(nullptr, 1.0 / fileGamma);
  if (curve == nullptr) return {};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  const ProfileHandle profile(cmsCreateRGBProfile(&white, &primaries, curves));
  cmsFreeToneCurve(curve);
  if (profile.profile != nullptr) cmsSetProfileVersion(profile.profile, 4.3);
  return SavedProfile(profile.profile);
}

TColourNote ConvertToSrgb(TDecodedPicture& picture, const std::string& fileName) {
  TColourNote note;
  const bool inks = picture.Samples != TSampleSpace::Colour;
  if (picture.IccProfile.empty() && !inks) return note;
  std::shared_ptr<const Conversion> conversion;
  if (!picture.IccProfile.empty()) {
    conversion = Cache().For(picture.IccProfile, picture.Samples);
    if (!conversion->failure.empty()) {
      note.Warning = "The colour profile embedded in \"" + fileName + "\" cannot be used (" +
                     conversion->failure + "); its colours are taken as " +
                     (inks ? "printed on a standard press." : "sRGB.");
      conversion.reset();
    }
  }
  if (conversion == nullptr && inks && !PressIccProfile().empty()) {
    conversion = Cache().For(PressIccProfile(), picture.Samples);
    if (!conversion->failure.empty()) conversion.reset();
  }
  if (conversion != nullptr && conversion->grey && !AllGrey(picture.Pixels)) {
    note.Warning = "The colour profile embedded in \"" + fileName +
                   "\" cannot be used (it describes grey levels, but the picture holds RGB colours); its "
                   "colours are taken as sRGB.";
    conversion.reset();
  }
  if (conversion == nullptr) {
    if (inks) MixInks(picture.Pixels, picture.Samples == TSampleSpace::InvertedInks);
  } else {
    note.Profile = conversion->description;
    if (conversion->transform != nullptr || conversion->grey) TransformAll(*conversion, picture.Pixels, inks);
  }
  picture.Samples = TSampleSpace::Colour;
  return note;
}

}  // namespace mirelane
