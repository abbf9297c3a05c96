#ifndef FAKEKEYBOARD_H
#define FAKEKEYBOARD_H

#include <QString>

struct _XDisplay;

// Types on the real keyboard of the X server through XTEST, as a user
// would: the events pass through the server's input processing (and so
// through RECORD) and go to whichever window has the focus. xdotool cannot
// be used for this: asked for Control_R, it presses Control_L as well.
class FakeKeyboard
{
public:
    FakeKeyboard();
    ~FakeKeyboard();
    FakeKeyboard(const FakeKeyboard &) = delete;
    FakeKeyboard &operator=(const FakeKeyboard &) = delete;

    bool isOpen() const { return display != nullptr; }

    // A script is a list of "+Keysym" (press) and "-Keysym" (release); a
    // plain word types each of its letters. Every event is delayed by the
    // server a little, so that they come with human gaps between them.
    // False when the display is not open or a key symbol has no key; the
    // other events are still sent.
    bool play(const QString &script);

private:
    bool send(const QString &keysymName, bool press);

    _XDisplay *display;
};

#endif
