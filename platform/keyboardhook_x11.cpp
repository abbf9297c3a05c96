#include "platform/controlreleasefilter.h"
#include "platform/keyboardhook.h"

#include <QGuiApplication>
#include <QSocketNotifier>

// Xlib after Qt: its macros (None, KeyPress, Bool, ...) would break Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>
#include <utility>

namespace {

// The toolkit installs an Xlib error handler that silently drops every
// error, so a refused RECORD context would go unnoticed without our own
// handler while the context is set up.
bool setupRequestFailed = false;

int noteSetupError(Display *, XErrorEvent *)
{
    setupRequestFailed = true;
    return 0;
}

// Observes the desktop's key events through the RECORD extension. RECORD
// only copies what the server has already processed to a second connection,
// so no key is ever held back, delayed or swallowed; the price is that it
// sees only X clients (under Wayland, only the keys that go to XWayland
// windows). The recorded events are read on the GUI thread whenever the data
// connection becomes readable.
class X11KeyboardHook final : public KeyboardHook
{
public:
    explicit X11KeyboardHook(ReleaseHandler onLeftControlReleased);
    ~X11KeyboardHook() override;

    bool isInstalled() const override { return notifier != nullptr; }
    // Injecting Ctrl+C would interrupt the program in a terminal, and copying
    // would overwrite what the user keeps on the clipboard. The selection is
    // already published as PRIMARY by whichever client holds it. Away from
    // an X server there is no PRIMARY to read.
    SelectionPlace selectionPlace() const override
    {
        return isInstalled() ? SelectionPlace::PrimarySelection : SelectionPlace::Clipboard;
    }
    void copyForegroundSelection() override {}

private:
    bool startRecording();
    void stopRecording();
    void readRecordedEvents();
    static void intercept(XPointer closure, XRecordInterceptData *data);

    ReleaseHandler onLeftControlReleased;
    // Requests go over the control connection; the data connection is
    // blocked by the enabled context and only delivers the recorded events.
    Display *controlDisplay = nullptr;
    Display *dataDisplay = nullptr;
    XRecordContext context = 0;
    std::unique_ptr<ControlReleaseFilter> filter;
    std::unique_ptr<QSocketNotifier> notifier;
};

X11KeyboardHook::X11KeyboardHook(ReleaseHandler onRelease)
    : onLeftControlReleased(std::move(onRelease))
{
    if (!startRecording())
        stopRecording();
}

X11KeyboardHook::~X11KeyboardHook()
{
    stopRecording();
}

bool X11KeyboardHook::startRecording()
{
    // Under any other platform (Wayland, offscreen) there is either no X
    // server or not the one the user types into.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    controlDisplay = XOpenDisplay(nullptr);
    dataDisplay = XOpenDisplay(nullptr);
    if (controlDisplay == nullptr || dataDisplay == nullptr)
        return false;
    int major = 0;
    int minor = 0;
    if (!XRecordQueryVersion(controlDisplay, &major, &minor))
        return false;
    const KeyCode leftControl = XKeysymToKeycode(controlDisplay, XK_Control_L);
    if (leftControl == 0)
        return false;
    std::vector<unsigned> altKeys;
    for (const KeySym alt : {XK_Alt_L, XK_Alt_R}) {
        if (const KeyCode key = XKeysymToKeycode(controlDisplay, alt))
            altKeys.push_back(key);
    }
    filter = std::make_unique<ControlReleaseFilter>(leftControl, std::move(altKeys));

    XRecordRange *range = XRecordAllocRange();
    if (range == nullptr)
        return false;
    range->device_events.first = KeyPress;
    range->device_events.last = KeyRelease;
    XRecordClientSpec clients = XRecordAllClients;
    setupRequestFailed = false;
    const XErrorHandler toolkitHandler = XSetErrorHandler(noteSetupError);
    const XRecordContext created = XRecordCreateContext(controlDisplay, 0, &clients, 1, &range, 1);
    XSync(controlDisplay, False);
    XSetErrorHandler(toolkitHandler);
    XFree(range);
    if (created == 0 || setupRequestFailed)
        return false;
    context = created;

    if (!XRecordEnableContextAsync(dataDisplay, context, intercept,
                                   reinterpret_cast<XPointer>(this)))
        return false;
    XFlush(dataDisplay);
    notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(dataDisplay), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [this] { readRecordedEvents(); });
    return true;
}

void X11KeyboardHook::stopRecording()
{
    notifier.reset();
    if (context != 0) {
        // Freeing an enabled context disables it; the server then ends the
        // data stream, which closing the data connection below drains.
        XRecordFreeContext(controlDisplay, context);
        XSync(controlDisplay, False);
        context = 0;
    }
    // The last recorded events, drained while the data connection closes,
    // must not count.
    filter.reset();
    if (dataDisplay != nullptr)
        XCloseDisplay(dataDisplay);
    if (controlDisplay != nullptr)
        XCloseDisplay(controlDisplay);
    dataDisplay = nullptr;
    controlDisplay = nullptr;
}

void X11KeyboardHook::readRecordedEvents()
{
    XRecordProcessReplies(dataDisplay);
    // Reported after Xlib's reply processing has returned, never from inside
    // it, where Xlib holds the data connection in the middle of a read.
    for (int releases = filter->takeReleases(); releases > 0; --releases)
        onLeftControlReleased();
}

void X11KeyboardHook::intercept(XPointer closure, XRecordInterceptData *data)
{
    auto *hook = reinterpret_cast<X11KeyboardHook *>(closure);
    if (hook->filter != nullptr && data->category == XRecordFromServer &&
        data->data_len * 4 >= sizeof(xEvent)) {
        const auto *event = reinterpret_cast<const xEvent *>(data->data);
        const unsigned key = event->u.u.detail;
        switch (event->u.u.type & 0x7f) {
        case KeyPress:
            hook->filter->keyPressed(key);
            break;
        case KeyRelease:
            hook->filter->keyReleased(key);
            break;
        default:
            break;
        }
    }
    XRecordFreeData(data);
}

} // namespace

std::unique_ptr<KeyboardHook> KeyboardHook::install(ReleaseHandler onLeftControlReleased)
{
    return std::make_unique<X11KeyboardHook>(std::move(onLeftControlReleased));
}
