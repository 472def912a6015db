// The hidden resampler and kernel lists.
#include "app/resampler_lists.h"

#include <QComboBox>

namespace mirelane {

namespace {

QComboBox* HiddenList(QWidget* parent, int top, const std::vector<std::string>& names, int selected) {
  auto* list = new QComboBox(parent);
  list->setGeometry(0, top, 145, 21);
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
  list->setCurrentIndex(selected);
  list->hide();
  return list;
}

}  // namespace

ResamplerListBoxes::ResamplerListBoxes(QWidget* parent, TImgView32& view)
    : QObject(parent),
      lists_(FillResamplerLists()),
      resamplers_(HiddenList(parent, 360, lists_.ResamplerNames, lists_.ResamplerIndex)),
      kernels_(HiddenList(parent, 384, lists_.KernelNames, lists_.KernelIndex)) {
  connect(resamplers_, &QComboBox::activated, this, [this, &view](int index) {
    lists_.ResamplerIndex = index;
    ResamplerClassNamesListChange(view.Layers(), lists_);
  });
  // No resampler here takes a kernel of its choice, so a kernel chosen changes nothing.
}

}  // namespace mirelane
