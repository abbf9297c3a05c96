#include "unavailabletranslator.h"

#include <QTimer>

UnavailableTranslator::UnavailableTranslator(const ServerCatalogue &catalogue, QObject *parent)
    : TranslatorBackend(parent), catalogue(catalogue)
{
}

void UnavailableTranslator::translate(const QString &source, const QString &target, const QString &,
                                      QObject *context, Done done)
{
    const QString answer = noOfflineTranslation(catalogue, source, target);
    QTimer::singleShot(0, context, [done, answer] { done(answer); });
}
