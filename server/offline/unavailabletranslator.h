#ifndef UNAVAILABLETRANSLATOR_H
#define UNAVAILABLETRANSLATOR_H

#include "server/offline/translatorbackend.h"

class ServerCatalogue;

// The back end of a machine without any offline engine: every request is
// told plainly that no offline translation is available.
class UnavailableTranslator : public TranslatorBackend
{
    Q_OBJECT

public:
    explicit UnavailableTranslator(const ServerCatalogue &catalogue, QObject *parent = nullptr);

    void translate(const QString &source, const QString &target, const QString &text,
                   QObject *context, Done done) override;

private:
    const ServerCatalogue &catalogue;
};

#endif
