#ifndef CONTROLRELEASEFILTER_H
#define CONTROLRELEASEFILTER_H

#include <set>
#include <vector>

// Picks from the raw key events of the whole desktop the left-Ctrl releases
// that the quick-translate hotkey counts: clean taps only. A release counts
// when no other key was pressed since that Ctrl key went down, so that Ctrl+C
// followed by Ctrl+V never looks like two taps. A release while an Alt key is
// held is a system key on Windows (WM_SYSKEYUP), which the hotkey ignores on
// every desktop. A held key that autorepeats reports repeated presses with
// one release at the end; a repeated press of the Ctrl key itself keeps the
// tap clean.
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
    bool controlDown = false;
    bool cleanTap = false;
    int releases = 0;
};

#endif
