#ifndef TRANSLATORBACKEND_H
#define TRANSLATORBACKEND_H

#include <QObject>
#include <QString>

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

    // The plain English answer for a pair that cannot be translated offline.
    static QString noOfflineTranslation(const ServerCatalogue &catalogue, const QString &source,
                                        const QString &target);
};

#endif
