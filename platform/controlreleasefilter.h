#ifndef CONTROLRELEASEFILTER_H
#define CONTROLRELEASEFILTER_H

#include <set>
#include <vector>

// Picks from the raw key events of a whole X desktop the left-Ctrl releases
// that the quick-translate hotkey counts, so that they match what a Windows
// low-level hook reports as WM_KEYUP of VK_LCONTROL: a release while an Alt
// key is held is a system key (WM_SYSKEYUP) there, which the hotkey ignores.
// A held key that autorepeats is recorded by the X server as repeated
// presses with one release at the end, as on Windows, so it counts once.
class ControlReleaseFilter
{
public:
    ControlReleaseFilter(unsigned leftControlKey, std::vector<unsigned> altKeys);

    void keyPressed(unsigned key);
    void keyReleased(unsigned key);

    // Returns the number of counted releases since the last call.
    int takeReleases();

private:
    unsigned leftControlKey;
    std::vector<unsigned> altKeys;
    std::set<unsigned> heldAltKeys;
    int releases = 0;
};

#endif
