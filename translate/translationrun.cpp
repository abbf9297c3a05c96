#include "translate/translationrun.h"

#include "net/serversession.h"
#include "translate/pagehealth.h"
#include "translate/textpieces.h"
#include "translate/webtranslator.h"

TranslationRun::TranslationRun(WebTranslator *webPage, ServerSession *serverSession,
                               QObject *parent)
    : QObject(parent), page(webPage), session(serverSession), health(new PageHealth(webPage, this))
{
    serverDeadline.setSingleShot(true);
    serverDeadline.setInterval(defaultServerTimeoutMs);
    connect(&serverDeadline, &QTimer::timeout, this,
            [this] { finish(WebTranslator::connectionFailureText(), Origin::Nowhere); });
    connect(session, &ServerSession::translationArrived, this, &TranslationRun::serverAnswered);
    connect(session, &ServerSession::linkChanged, this, &TranslationRun::linkChanged);
    connect(session, &ServerSession::languageDetected, this, [this](const QString &code) {
        // The detection comes just before the answer it belongs to, so it is
        // this run's only while that answer is the last one owed.
        if (stage == Stage::OnServer && answersOwed == 1)
            emit languageDetected(code);
    });
}

void TranslationRun::start(const TranslationRequest &request)
{
    emit started(request);
    page->cancel();
    serverDeadline.stop();
    current = request;
    pieces = TextPieces::split(request.text);
    joined.clear();
    stage = Stage::OnPage;
    if (!health->isDown() || pieces.isEmpty()) {
        fetchNextPiece();
        return;
    }
    // With no server either, this run fails at once; the page may be back by
    // now, so it is asked at once rather than at the next probe.
    if (!session->isLinked())
        health->probeNow();
    handToServer();
}

void TranslationRun::fetchNextPiece()
{
    if (pieces.isEmpty()) {
        finish(joined, Origin::WebPage);
        return;
    }
    page->fetch(pieces.takeFirst(), current.source, current.target,
                [this](const QString &answer) { pieceAnswered(answer); });
}

void TranslationRun::pieceAnswered(const QString &answer)
{
    if (answer == WebTranslator::connectionFailureText()) {
        handToServer();
        return;
    }
    joined += answer;
    fetchNextPiece();
}

void TranslationRun::handToServer()
{
    // With the link down nothing would ever answer.
    if (!session->isLinked()) {
        finish(WebTranslator::connectionFailureText(), Origin::Nowhere);
        return;
    }
    // The server gets the whole text, not only what the page left over.
    stage = Stage::OnServer;
    ++answersOwed;
    session->requestTranslation(current);
    serverDeadline.start();
}

void TranslationRun::serverAnswered(const QString &text)
{
    if (answersOwed == 0) {
        // Not an answer to any request: a notice of the link, shown as a
        // result when it does not cut into a run.
        if (stage == Stage::Idle)
            emit finished(text, Origin::Nowhere);
        return;
    }
    --answersOwed;
    if (stage == Stage::OnServer && answersOwed == 0)
        finish(text, Origin::Server);
}

void TranslationRun::linkChanged(bool up)
{
    if (up)
        return;
    answersOwed = 0;
    if (stage == Stage::OnServer)
        finish(WebTranslator::connectionFailureText(), Origin::Nowhere);
}

void TranslationRun::finish(QString result, Origin origin)
{
    serverDeadline.stop();
    stage = Stage::Idle;
    pieces.clear();
    joined.clear();
    emit finished(result, origin);
}
