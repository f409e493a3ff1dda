// The conversions now live with the image kernels; this name stays for the closed-library
// adapter until it includes kernels/conversions.h itself.
#pragma once

#include "kernels/conversions.h"
