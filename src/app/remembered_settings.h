// What the window remembers between runs, in QSettings: every user setting, the slots' pictures
// and colours; and the sample artwork that fills the slots on a first start.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/editing_state.h"
#include "compose/layer_source.h"

class QSettings;

namespace mirelane {

void StoreSettings(QSettings& settings, const EditingState& state, const LayerSources& sources);

struct RestoredSettings {
  bool Found = false;  // false: nothing was stored yet, a first start
  // Slot pictures stored but gone since: "FRONT: /path/front.png". Those slots use their colour.
  std::vector<std::string> GonePictures;
};

// Takes every stored value that is allowed for its field; values out of range or of the wrong
// kind are left at what state and sources hold.
RestoredSettings RestoreSettings(QSettings& settings, EditingState& state, LayerSources& sources);

// The sample artwork folder of a data root (an installation's share folder or a build's folder).
// Empty when there is none.
std::filesystem::path FindExamplesFolder(const std::filesystem::path& dataRoot);

// Gives every slot whose keyword names a picture in the folder (front.png, disc2.jpg, ...) that
// picture. Returns how many slots were filled.
int FillSlotsFromExamples(const std::filesystem::path& folder, LayerSources& sources);

}  // namespace mirelane
