#include "translate/webtranslator.h"

#include "html/htmldocument.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>

WebTranslator::WebTranslator(const QUrl &endpoint, QObject *parent)
    : QObject(parent), pageUrl(endpoint)
{
}

WebTranslator::~WebTranslator()
{
    cancel();
}

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

void WebTranslator::fetch(const QString &piece, const QString &sourceCode,
                          const QString &targetCode, Answer answer)
{
    get(requestUrl(pageUrl, piece, sourceCode, targetCode),
        [piece, answer](const QByteArray &body) { answer(extractTranslation(body, piece)); });
}

void WebTranslator::probe()
{
    get(pageUrl, [](const QByteArray &) {});
}

void WebTranslator::get(const QUrl &url, Body body)
{
    cancel();
    QNetworkRequest request(url);
    // A redirect leads to consent or captcha pages, never to a translation.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (manager == nullptr)
        manager = new QNetworkAccessManager(this);
    QNetworkReply *current = manager->get(request);
    reply = current;

    auto *deadline = new QTimer(current);
    deadline->setSingleShot(true);
    deadline->setTimerType(Qt::PreciseTimer);
    connect(deadline, &QTimer::timeout, current, [current] {
        current->setProperty("timedOut", true);
        current->abort();
    });
    connect(current, &QNetworkReply::finished, this, [this, current, body] {
        // A page that sends its head and then trickles still made the user
        // wait the whole time-out, so it counts as not reached.
        const bool reached = !current->property("timedOut").toBool() &&
                             current->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        const QByteArray content = reached ? current->readAll() : QByteArray();
        current->deleteLater();
        if (reply == current)
            reply.clear();
        emit pageReached(reached);
        body(content);
    });
    deadline->start(timeoutMs);
}

void WebTranslator::cancel()
{
    if (!reply)
        return;
    QNetworkReply *dropped = reply;
    reply.clear();
    dropped->disconnect(this);
    dropped->abort();
    dropped->deleteLater();
}
