// The curve configuration setter.
#include "temperature/para_config_setter.h"

#include <cstring>

namespace kmm {

void fillParaConfig(ParaConfig& config, const void* breakpoints, uint8_t count,
                    const ParaConfigValues& values) {
    config.settingHigh = values.settingHigh;
    config.settingLow = values.settingLow;
    config.curveStartTemp = values.curveStartTemp;
    config.extraParam = values.extraParam;
    config.emissivity = values.emissivity;
    config.reflectedTemp = values.reflectedTemp;
    config.transmission = values.transmission;
    config.breakpointCount = count;
    config.formatTag = 2;
    // Raw words, not floats: a NaN payload or a non-float pattern survives bit for bit.
    std::memcpy(config.breakpoints, breakpoints, size_t(count) * 4);
}

}  // namespace kmm
