#include "app/fontwarmup.h"

FontWarmUp::~FontWarmUp()
{
    wait();
}

void FontWarmUp::wait()
{
    if (reader.joinable())
        reader.join();
}
