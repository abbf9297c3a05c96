#ifndef TRANSLATORBACKEND_H
#define TRANSLATORBACKEND_H

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class ServerCatalogue;

// One way of answering translation requests. Work runs on the event loop:
// translate() returns at once and `done` runs later, exactly once, unless the
// context object dies first: then the answer is let go.
class TranslatorBackend : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const QString &answer)>;

    explicit TranslatorBackend(QObject *parent = nullptr);
    ~TranslatorBackend() override;

    virtual void translate(const QString &source, const QString &target, const QString &text,
                           QObject *context, Done done) = 0;

    // The codes of the languages this back end translates the source to, in
    // catalogue order; for "auto", those it translates some language to.
    // None by default: only a back end that knows its languages names them.
    virtual QStringList offlineTargets(const QString &source) const;

    // Readies the pair ahead of its first request; nothing by default.
    virtual void prepare(const QString &source, const QString &target);

    // The plain English answer for a pair that cannot be translated offline.
    static QString noOfflineTranslation(const ServerCatalogue &catalogue, const QString &source,
                                        const QString &target);

signals:
    // What offlineTargets() answers may have changed.
    void languagesChanged();
};

#endif
