#include "translate/pagehealth.h"

PageHealth::PageHealth(WebTranslator *webPage, QObject *parent)
    : QObject(parent), page(webPage), prober(webPage->endpoint())
{
    probeTimer.setInterval(defaultProbeIntervalMs);
    connect(&probeTimer, &QTimer::timeout, this, &PageHealth::probeNow);
    connect(page, &WebTranslator::pageReached, this, &PageHealth::pageReached);
    connect(&prober, &WebTranslator::pageReached, this, &PageHealth::pageReached);
}

void PageHealth::probeNow()
{
    if (prober.isFetching())
        return;
    prober.setTimeout(page->timeout());
    prober.probe();
}

void PageHealth::pageReached(bool reached)
{
    down = !reached;
    if (!down)
        probeTimer.stop();
    else if (!probeTimer.isActive())
        probeTimer.start();
}
