#include "translate/webtranslator.h"

#include "html/htmldocument.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>

WebTranslator::WebTranslator(const QUrl &endpoint) : pageUrl(endpoint) {}

QString WebTranslator::connectionFailureText()
{
    return QStringLiteral("Can't connect to google translate!!!!");
}

QUrl WebTranslator::requestUrl(const QUrl &endpoint, const QString &piece,
                               const QString &sourceCode, const QString &targetCode)
{
    // QUrlQuery takes "%XX" in a value as an escape that is already made and
    // leaves "+" alone, which the page reads as a space. Escaping both first
    // sends the text exactly as the user wrote it.
    const auto literal = [](QString value) {
        return value.replace(QLatin1Char('%'), QLatin1String("%25"))
            .replace(QLatin1Char('+'), QLatin1String("%2B"));
    };
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("sl"), literal(sourceCode));
    query.addQueryItem(QStringLiteral("tl"), literal(targetCode));
    query.addQueryItem(QStringLiteral("q"), literal(piece));
    QUrl url(endpoint);
    url.setQuery(query);
    return url;
}

QString WebTranslator::extractTranslation(const QByteArray &body, const QString &piece)
{
    if (body.isEmpty())
        return connectionFailureText();
    const HtmlDocument document(body);
    const std::vector<HtmlNode> results =
        document.rootNode().getElementsByClassName(QStringLiteral("result-container"));
    // Consent, rate-limit and error pages carry no result, or an empty one;
    // reporting them as failures lets the companion server take over.
    if (results.empty())
        return connectionFailureText();
    const QString text = results.front().innerText();
    // A piece of only spaces and line breaks rightly comes back empty.
    if (text.isEmpty() && !piece.trimmed().isEmpty())
        return connectionFailureText();
    return text;
}

QString WebTranslator::translate(const QString &piece, const QString &sourceCode,
                                 const QString &targetCode) const
{
    QNetworkAccessManager manager;
    QNetworkRequest request(requestUrl(pageUrl, piece, sourceCode, targetCode));
    // A redirect leads to consent or captcha pages, never to a translation.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = manager.get(request);

    // The whole exchange, not only a silent stretch of it, is bounded, so
    // that a server trickling bytes cannot hold the window forever.
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&timedOut, reply] {
        timedOut = true;
        reply->abort();
    });
    // Another fetch may run inside this one's wait and outlast the deadline;
    // a reply that has finished keeps its page whatever happens after.
    QObject::connect(reply, &QNetworkReply::finished, &deadline, &QTimer::stop);

    // Blocking in a nested loop instead of polling keeps the CPU idle while
    // timers, sockets and painting go on; user input waits for the answer.
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        deadline.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();

    const QByteArray body = timedOut ? QByteArray() : reply->readAll();
    reply->close();
    reply->deleteLater();
    return extractTranslation(body, piece);
}
