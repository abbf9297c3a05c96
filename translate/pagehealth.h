#ifndef PAGEHEALTH_H
#define PAGEHEALTH_H

#include "translate/webtranslator.h"

#include <QObject>
#include <QTimer>

// Remembers that the web page stopped answering, so that the user waits for
// its time-out once per outage rather than once per translation. While the
// page is down, a probe of its own asks it now and then whether it answers
// again; any answer of the page, to a probe or to a translation, ends the
// outage.
class PageHealth : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultProbeIntervalMs = 30000;

    // Follows every answer `page` gets; probes the same address.
    explicit PageHealth(WebTranslator *page, QObject *parent = nullptr);

    bool isDown() const { return down; }
    void setProbeInterval(int milliseconds) { probeTimer.setInterval(milliseconds); }
    // Probes at once unless a probe is under way; for when nothing but the
    // page could translate.
    void probeNow();

private:
    void pageReached(bool reached);

    WebTranslator *page;
    WebTranslator prober;
    QTimer probeTimer;
    bool down = false;
};

#endif
