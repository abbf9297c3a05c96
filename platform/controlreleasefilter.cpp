#include "platform/controlreleasefilter.h"

#include <algorithm>
#include <utility>

ControlReleaseFilter::ControlReleaseFilter(unsigned leftControl, std::vector<unsigned> alts)
    : leftControlKey(leftControl), altKeys(std::move(alts))
{
}

void ControlReleaseFilter::keyPressed(unsigned key)
{
    if (key == leftControlKey) {
        if (!controlDown)
            cleanTap = true;
        controlDown = true;
        return;
    }
    cleanTap = false;
    if (std::find(altKeys.begin(), altKeys.end(), key) != altKeys.end())
        heldAltKeys.insert(key);
}

void ControlReleaseFilter::keyReleased(unsigned key)
{
    if (key == leftControlKey) {
        if (controlDown && cleanTap && heldAltKeys.empty())
            ++releases;
        controlDown = false;
        cleanTap = false;
    }
    heldAltKeys.erase(key);
}

int ControlReleaseFilter::takeReleases()
{
    return std::exchange(releases, 0);
}
