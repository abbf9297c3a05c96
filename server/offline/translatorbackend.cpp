#include "server/offline/translatorbackend.h"

#include "server/tables/servercatalogue.h"

TranslatorBackend::TranslatorBackend(QObject *parent) : QObject(parent) {}

TranslatorBackend::~TranslatorBackend() = default;

QStringList TranslatorBackend::offlineTargets(const QString &) const
{
    return {};
}

void TranslatorBackend::prepare(const QString &, const QString &) {}

QString TranslatorBackend::noOfflineTranslation(const ServerCatalogue &catalogue,
                                                const QString &source, const QString &target)
{
    const auto nameOf = [&catalogue](const QString &code) {
        const int index = catalogue.indexOfCode(code);
        return index >= 0 ? catalogue.languages()[index].name : QStringLiteral("\"%1\"").arg(code);
    };
    return QStringLiteral("No offline translation is available for %1 to %2.")
        .arg(nameOf(source), nameOf(target));
}
