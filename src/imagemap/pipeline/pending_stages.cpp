// Places in the run order for the frame corrections, the detail-enhanced mapping, the 8-bit
// stages, the zoom and the pseudo-colour output, until each is written in a file of its own.
#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {

// Switching one of these on meanwhile is harmless: the 16-bit and 8-bit stages pass their
// frame or image through unchanged (they report that they wrote nothing, so the run copies
// nothing back), the detail-enhanced mapping falls back to the plain mapping, the zoom keeps
// the size, and the pseudo-colour stage leaves the grey image as the output, one byte a pixel.

bool ImagePipeline::correctFlatField() { return false; }
void ImagePipeline::repairBadPixels() {}
bool ImagePipeline::filterTemporal() { return false; }
bool ImagePipeline::removeColumnStripes() { return false; }
bool ImagePipeline::removeRowStripes() { return false; }
bool ImagePipeline::mirror() { return false; }
bool ImagePipeline::rotate() { return false; }
bool ImagePipeline::mapWithDetail() { return false; }
bool ImagePipeline::applyLut() { return false; }
bool ImagePipeline::sharpen() { return false; }
bool ImagePipeline::adjustContrast() { return false; }
bool ImagePipeline::zoomImage() { return false; }
void ImagePipeline::colourise() {}

}  // namespace kmm
