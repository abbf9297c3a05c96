#include "x11mapwatcher.h"

#include <QDeadlineTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

namespace {

// Windows may be gone by the time their properties are read; that is normal
// here and must not end the process, which is Xlib's default reaction.
int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

qint64 windowPid(Display *display, Window window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    qint64 pid = 0;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = qint64(*reinterpret_cast<unsigned long *>(data));
        XFree(data);
    }
    return pid;
}

QString windowName(Display *display, Window window)
{
    const Atom nameAtom = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QString name;
    if (XGetWindowProperty(display, window, nameAtom, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success &&
        data) {
        if (type == utf8 && format == 8)
            name = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
        XFree(data);
    }
    return name;
}

} // namespace

X11MapWatcher::X11MapWatcher()
{
    XSetErrorHandler(ignoreError);
    display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
}

X11MapWatcher::~X11MapWatcher()
{
    if (display)
        XCloseDisplay(display);
}

void X11MapWatcher::readPending()
{
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify)
            continue;
        MappedWindow window;
        window.window = event.xmap.window;
        window.overrideRedirect = event.xmap.override_redirect;
        window.pid = windowPid(display, event.xmap.window);
        window.name = windowName(display, event.xmap.window);
        mapped.append(window);
    }
}

bool X11MapWatcher::waitForWindowOf(qint64 pid, int timeoutMs, MappedWindow *found)
{
    if (!display)
        return false;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        readPending();
        for (int i = 0; i < mapped.size(); ++i) {
            if (mapped.at(i).pid == pid && !mapped.at(i).overrideRedirect) {
                if (found)
                    *found = mapped.at(i);
                mapped.remove(0, i + 1);
                return true;
            }
        }
        mapped.clear();
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        ::poll(&descriptor, 1, int(left));
    }
}

QVector<X11MapWatcher::MappedWindow> X11MapWatcher::takeMapped()
{
    if (!display)
        return {};
    // The round trip makes the server send every event it has generated so far.
    XSync(display, False);
    readPending();
    QVector<MappedWindow> result;
    result.swap(mapped);
    return result;
}

bool X11MapWatcher::isViewable(unsigned long window)
{
    if (!display)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    return attributes.map_state == IsViewable;
}
