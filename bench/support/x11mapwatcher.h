#ifndef X11MAPWATCHER_H
#define X11MAPWATCHER_H

#include <QString>
#include <QVector>
#include <QtGlobal>

// Watches the X display named by DISPLAY from outside the programs under
// test: it is told by the X server itself whenever a top-level window is
// mapped (made visible), which is what "a window appeared" means on screen,
// whatever the program printed or believes.
class X11MapWatcher
{
public:
    struct MappedWindow
    {
        unsigned long window = 0;
        qint64 pid = 0; // _NET_WM_PID, 0 when unknown
        QString name;
        bool overrideRedirect = false;
    };

    X11MapWatcher();
    ~X11MapWatcher();
    X11MapWatcher(const X11MapWatcher &) = delete;
    X11MapWatcher &operator=(const X11MapWatcher &) = delete;

    bool isOpen() const { return display != nullptr; }

    // Waits for the mapping of a top-level window of process `pid`; returns
    // false when none was mapped within the time.
    bool waitForWindowOf(qint64 pid, int timeoutMs, MappedWindow *mapped = nullptr);

    // Every top-level window mapped since the last call or wait, with all
    // that the server did up to now included.
    QVector<MappedWindow> takeMapped();

    // True while `window` exists and is mapped on screen.
    bool isViewable(unsigned long window);

private:
    void readPending();

    struct _XDisplay *display = nullptr;
    QVector<MappedWindow> mapped;
};

#endif
