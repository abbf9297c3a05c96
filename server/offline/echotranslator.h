#ifndef ECHOTRANSLATOR_H
#define ECHOTRANSLATOR_H

#include "server/offline/translatorbackend.h"

// Answers "[" + target + "] " + text: a predictable back end for tests and
// for trying the link without any translation engine.
class EchoTranslator : public TranslatorBackend
{
    Q_OBJECT

public:
    using TranslatorBackend::TranslatorBackend;

    void translate(const QString &source, const QString &target, const QString &text,
                   QObject *context, Done done) override;
};

#endif
