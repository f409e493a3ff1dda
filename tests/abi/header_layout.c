/* The public header compiled as C11: its static assertions run here too, and the sizes and
 * offsets a C compiler sees are reported to the C++ side of the ABI test. */
#include "KModuleMeasure.h"
#include "KModuleMeasureRadiometry.h"

#include "header_layout.h"

const KmmLayoutEntry kmmCLayout[] = {KMM_RECORD_LAYOUT(KMM_LAYOUT_SIZE, KMM_LAYOUT_FIELD)};
const size_t kmmCLayoutCount = sizeof kmmCLayout / sizeof kmmCLayout[0];
