#include "platform/controlreleasefilter.h"

#include <algorithm>
#include <utility>

ControlReleaseFilter::ControlReleaseFilter(unsigned leftControlKey, std::vector<unsigned> altKeys)
    : leftControlKey(leftControlKey), altKeys(std::move(altKeys))
{
}

void ControlReleaseFilter::keyPressed(unsigned key)
{
    if (std::find(altKeys.begin(), altKeys.end(), key) != altKeys.end())
        heldAltKeys.insert(key);
}

void ControlReleaseFilter::keyReleased(unsigned key)
{
    if (key == leftControlKey && heldAltKeys.empty())
        ++releases;
    heldAltKeys.erase(key);
}

int ControlReleaseFilter::takeReleases()
{
    return std::exchange(releases, 0);
}
