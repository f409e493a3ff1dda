// Temperature-matrix image mapping: the model's family (offset codes, the image pipeline or
// Kelvin codes) turns a matrix of degC into a grey image and reports the range it used.
#pragma once

#include <cstdint>

#include "common/frame_view.h"

namespace kmm {

// Temperature code of the pipeline family: degC x 20 truncated toward zero, kept in 16 bits
// (so beyond +-1638.35 degC it wraps); NaN gives 0 and values past the 32-bit range its
// nearest end before the wrap.
int16_t temperatureCode(float celsius);

// Offset code: (degC - 50) x scale truncated toward zero, kept in 16 bits, same saturation.
int16_t offsetCode(float celsius, int32_t scale);

// The work of imageMapping_dll once its arguments are checked: image holds as many bytes as
// the matrix has values. May throw std::bad_alloc.
void mapTemperatureMatrix(const char* model, float tuning, FrameView<const float> temperatures,
                          uint8_t* image, float& maxTemp, float& minTemp, bool autoRange);

}  // namespace kmm
