#include "support/fakekeyboard.h"

#include <QStringList>

// Xlib after Qt, whose headers its macros would break.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

FakeKeyboard::FakeKeyboard() : display(XOpenDisplay(nullptr)) {}

FakeKeyboard::~FakeKeyboard()
{
    if (display != nullptr)
        XCloseDisplay(display);
}

bool FakeKeyboard::play(const QString &script)
{
    if (display == nullptr)
        return false;
    bool ok = true;
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step.startsWith(QLatin1Char('+')) || step.startsWith(QLatin1Char('-'))) {
            ok = send(step.mid(1), step.startsWith(QLatin1Char('+'))) && ok;
            continue;
        }
        for (const QChar letter : step) {
            ok = send(letter, true) && ok;
            ok = send(letter, false) && ok;
        }
    }
    XSync(display, False);
    return ok;
}

bool FakeKeyboard::send(const QString &keysymName, bool press)
{
    const KeySym keysym = XStringToKeysym(keysymName.toLatin1().constData());
    const KeyCode key = XKeysymToKeycode(display, keysym);
    if (key == 0) {
        qWarning("no key for the key symbol %s", qPrintable(keysymName));
        return false;
    }
    return XTestFakeKeyEvent(display, key, press ? True : False, 5) != 0;
}
