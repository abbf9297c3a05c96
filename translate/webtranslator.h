#ifndef WEBTRANSLATOR_H
#define WEBTRANSLATOR_H

#include <QByteArray>
#include <QString>
#include <QUrl>

// Translates one piece of text through the mobile web translation page: one
// GET per call, answered synchronously while the GUI thread keeps processing
// everything but user input.
class WebTranslator
{
public:
    static constexpr int defaultTimeoutMs = 15000;

    explicit WebTranslator(const QUrl &endpoint);

    // The one answer that means "no page came back"; the caller then hands
    // the request to the companion server.
    static QString connectionFailureText();

    // The request URL: the endpoint with the query items sl, tl and q.
    static QUrl requestUrl(const QUrl &endpoint, const QString &piece, const QString &sourceCode,
                           const QString &targetCode);

    // The translation held by a page: the direct text children of its first
    // "result-container" element; the failure text when the body is empty,
    // when the page has no such element, or when a piece with more than white
    // space gets an empty result.
    static QString extractTranslation(const QByteArray &body, const QString &piece);

    QString translate(const QString &piece, const QString &sourceCode,
                      const QString &targetCode) const;

    void setTimeout(int milliseconds) { timeoutMs = milliseconds; }
    int timeout() const { return timeoutMs; }
    QUrl endpoint() const { return pageUrl; }

private:
    QUrl pageUrl;
    int timeoutMs = defaultTimeoutMs;
};

#endif
