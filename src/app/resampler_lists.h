// The two hidden drop-down lists of the registries' resampler and kernel names. Nothing shows
// them, so their first choice stands (every layer is made with it); a resampler chosen through them
// re-equips the preview's layers.
#pragma once

#include <QObject>

#include "compose/resampler_selection.h"

class QComboBox;
class QWidget;

namespace mirelane {

class ResamplerListBoxes : public QObject {
 public:
  ResamplerListBoxes(QWidget* parent, TImgView32& view);
  QComboBox* Resamplers() const { return resamplers_; }
  QComboBox* Kernels() const { return kernels_; }

 private:
  ResamplerLists lists_;
  QComboBox* resamplers_;
  QComboBox* kernels_;
};

}  // namespace mirelane
