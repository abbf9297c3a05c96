#include "server/offline/unavailabletranslator.h"

#include <QTimer>

UnavailableTranslator::UnavailableTranslator(const ServerCatalogue &languages, QObject *parent)
    : TranslatorBackend(parent), catalogue(languages)
{
}

void UnavailableTranslator::translate(const QString &source, const QString &target, const QString &,
                                      QObject *context, Done done)
{
    const QString answer = noOfflineTranslation(catalogue, source, target);
    QTimer::singleShot(0, context, [done, answer] { done(answer); });
}
