// Anchor of the scene library; the scene generators live in files of their own.
#include "random.h"
