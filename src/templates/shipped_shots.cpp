// The shipped shots: one or two designed objects each, in the proportions of the usual products.
#include "templates/shipped_shots.h"

#include "templates/template_writer.h"

namespace mirelane {

namespace {

ShotObject Object(ShotShape shape, ShotProportions size) {
  ShotObject o;
  o.Shape = shape;
  o.Size = size;
  return o;
}

ShotObject Placed(ShotObject o, double x, double z, bool secondSlots) {
  o.X = x;
  o.Z = z;
  o.SecondSlots = secondSlots;
  return o;
}

ShippedShot Shot(std::string name, std::vector<ShotObject> objects, ShotCamera camera, double margin = 0.1) {
  ShippedShot shot;
  shot.Name = std::move(name);
  shot.Design.Objects = std::move(objects);
  shot.Design.Camera = camera;
  shot.Design.Margin = margin;
  return shot;
}

std::vector<ShippedShot> MakeShots() {
  const ShotProportions box{2.1, 2.7, 0.9}, slimBox{1.9, 2.6, 0.75};
  const ShotProportions jewelCase{1.42, 1.25, 0.1}, disc{1.24, 1.24, 0.015};
  ShotObject paperback = Object(ShotShape::Book, {1.4, 2.1, 0.22});
  paperback.SoftCover = true;
  // The disc stands in the case's tray and rises out of it: no floor of its own, so no reflection or
  // shadow.
  ShotObject discInCase = Object(ShotShape::Disc, {1.2, 1.2, 0.015});
  discInCase.X = 0.05;
  discInCase.Z = -0.03;
  discInCase.Lift = 0.6;
  discInCase.Reflected = false;
  discInCase.Shadowed = false;
  return {
      Shot("01 Software box", {Object(ShotShape::Box, box)}, {36, 16, 40}),
      Shot("02 Software box from the left", {Object(ShotShape::Box, slimBox)}, {-36, 14, 40}),
      Shot("03 Two boxes",
           {Placed(Object(ShotShape::Box, slimBox), -1.35, -1.1, true),
            Placed(Object(ShotShape::Box, slimBox), 0.75, 0.45, false)},
           {30, 10, 40}),
      Shot("04 Hardcover book", {Object(ShotShape::Book, {1.55, 2.2, 0.32})}, {-30, 13, 40}),
      Shot("05 Paperback book", {paperback}, {32, 13, 40}),
      Shot("06 CD jewel case", {Object(ShotShape::JewelCase, jewelCase)}, {30, 14, 40}),
      Shot("07 DVD case", {Object(ShotShape::DvdCase, {1.35, 1.9, 0.14})}, {-34, 13, 40}),
      Shot("08 Disc", {Object(ShotShape::Disc, disc)}, {24, 8, 40}),
      Shot("09 Disc out of its case", {Object(ShotShape::JewelCase, jewelCase), discInCase}, {28, 12, 40}),
      Shot("10 Two discs",
           {Placed(Object(ShotShape::Disc, disc), -0.55, -0.5, true),
            Placed(Object(ShotShape::Disc, disc), 0.45, 0.2, false)},
           {22, 8, 40}),
      Shot("11 Rounded card", {Object(ShotShape::Card, {1.2, 1.5, 0.01})}, {-28, 10, 40}, 0.14),
  };
}

}  // namespace

const std::vector<ShippedShot>& ShippedShots() {
  static const std::vector<ShippedShot> kShots = MakeShots();
  return kShots;
}

std::string ShippedTemplateText(const ShippedShot& shot) {
  return TemplateText(DesignShot(shot.Design), shot.Name + ": designed by mirelane-make-templates");
}

}  // namespace mirelane
