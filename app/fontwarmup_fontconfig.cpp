#include "app/fontwarmup.h"

#include <fontconfig/fontconfig.h>

FontWarmUp::FontWarmUp() : reader([] { FcInit(); }) {}
