#ifndef WEBTRANSLATOR_H
#define WEBTRANSLATOR_H

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Translates one piece of text through the mobile web translation page: one
// GET per piece, answered asynchronously, so the window stays usable while
// the page takes its time.
class WebTranslator : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultTimeoutMs = 15000;
    using Answer = std::function<void(const QString &)>;

    explicit WebTranslator(const QUrl &endpoint, QObject *parent = nullptr);
    ~WebTranslator() override;

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

    // Starts fetching one piece, dropping any fetch still under way. `answer`
    // runs once, later, with the translation or the failure text; never for a
    // fetch that cancel() or a newer fetch dropped.
    void fetch(const QString &piece, const QString &sourceCode, const QString &targetCode,
               Answer answer);
    void cancel();
    bool isFetching() const { return !reply.isNull(); }

    // Asks for the page itself, with no text to translate: pageReached()
    // tells whether it answers again. Drops any fetch under way.
    void probe();

    // Bounds the whole exchange, not only a silent stretch of it, so that a
    // page trickling bytes cannot hold a translation for ever.
    void setTimeout(int milliseconds) { timeoutMs = milliseconds; }
    int timeout() const { return timeoutMs; }
    const QUrl &endpoint() const { return pageUrl; }

signals:
    // After every request that was not dropped: false when no answer came
    // within the time-out (refused, unreachable, no name, silent), true when
    // the page answered, whatever the page said.
    void pageReached(bool reached);

private:
    using Body = std::function<void(const QByteArray &)>;
    void get(const QUrl &url, Body body);

    QUrl pageUrl;
    int timeoutMs = defaultTimeoutMs;
    // Made by the first fetch: setting one up loads the network bearer
    // plugins and starts their threads, which a window that never fetches
    // a page has no use for.
    QNetworkAccessManager *manager = nullptr;
    QPointer<QNetworkReply> reply;
};

#endif
