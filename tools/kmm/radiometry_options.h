// Options of the radiometry commands: the camera's Planck constants as R1,R2,B,F,O and the
// scene's emissivity, distance, humidity and temperatures, each checked by a CLI11 validator.
#pragma once

#include <string>

#include "KModuleMeasureRadiometry.h"

namespace CLI {
class App;
class Option;
}

namespace kmm::tool {

// --planck R1,R2,B,F,O (required): five finite numbers, R1, R2 and B positive.
CLI::Option* addPlanckOption(CLI::App* cmd, std::string& text);
kmm_planck_constants parsePlanck(const std::string& text);

// --emissivity, --distance, --humidity, --reflected, --atmosphere, --window-temp and
// --window-trans into `scene`, which starts from the library's defaults.
void addSceneOptions(CLI::App* cmd, kmm_radiometric_scene& scene);

}  // namespace kmm::tool
