#include "app/fontwarmup.h"

FontWarmUp::FontWarmUp() = default;
