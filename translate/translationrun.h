#ifndef TRANSLATIONRUN_H
#define TRANSLATIONRUN_H

#include "protocol/translationrequest.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class PageHealth;
class ServerSession;
class WebTranslator;

// One translation at a time: the text goes to the web page piece by piece,
// and when the page fails, or is known to be down, whole to the companion
// server. Whichever way the result comes, and also when neither way works,
// it arrives through finished(). Starting a new run drops the one under
// way; an answer the server still owes a dropped run is recognised by its
// place in the queue and thrown away.
class TranslationRun : public QObject
{
    Q_OBJECT

public:
    // Longer than the server's own time-out for one request, so that a
    // server that is slow but alive still gets to answer.
    static constexpr int defaultServerTimeoutMs = 75000;

    enum class Origin
    {
        WebPage,
        Server,
        Nowhere
    };

    TranslationRun(WebTranslator *page, ServerSession *session, QObject *parent = nullptr);

    void start(const TranslationRequest &request);
    bool isRunning() const { return stage != Stage::Idle; }
    // The request of the run under way, or of the last one.
    const TranslationRequest &request() const { return current; }
    void setServerTimeout(int milliseconds) { serverDeadline.setInterval(milliseconds); }
    PageHealth *pageHealth() const { return health; }

signals:
    // A run begins: its request goes out, and others may work on it alongside.
    void started(const TranslationRequest &request);
    // `result` is the failure text when neither the page nor the server
    // could translate; a notice of the link that arrives between runs comes
    // from Nowhere too.
    void finished(const QString &result, TranslationRun::Origin origin);
    // The language the server found for this run's text, sent with "auto"
    // as its source; comes just before the server's result.
    void languageDetected(const QString &code);

private:
    enum class Stage
    {
        Idle,
        OnPage,
        OnServer
    };

    void fetchNextPiece();
    void pieceAnswered(const QString &answer);
    void handToServer();
    void serverAnswered(const QString &text);
    void linkChanged(bool up);
    // By value: the result may be the run's own text, which this clears.
    void finish(QString result, Origin origin);

    WebTranslator *page;
    ServerSession *session;
    PageHealth *health;
    Stage stage = Stage::Idle;
    TranslationRequest current;
    QStringList pieces;
    QString joined;
    // Requests the server has taken and not yet answered, this run's
    // included; it answers them in order.
    int answersOwed = 0;
    QTimer serverDeadline;
};

#endif
