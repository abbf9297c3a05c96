#include "protocol/serveranswer.h"

#include "protocol/framecodec.h"
#include "protocol/servervocabulary.h"

ServerAnswer ServerAnswer::parse(const QString &message)
{
    ServerAnswer answer;
    answer.text = message;
    if (message == ServerVocabulary::versionMismatch()) {
        answer.kind = Kind::VersionMismatch;
    } else if (message.contains(ServerVocabulary::displayTableMarker())) {
        answer.kind = Kind::DisplayTable;
        answer.text.remove(ServerVocabulary::displayTableMarker());
    } else if (message.contains(ServerVocabulary::limitMarker())) {
        answer.kind = Kind::Limit;
        const int named = answer.text.remove(ServerVocabulary::limitMarker()).toInt(nullptr, 10);
        answer.limit = named != 0 ? named : defaultLimit;
    } else if (message.startsWith(ServerVocabulary::offlineTargetsMarker())) {
        answer.kind = Kind::OfflineTargets;
        const QString rest = message.mid(ServerVocabulary::offlineTargetsMarker().size());
        answer.language = rest.section(ServerVocabulary::requestSeparator(), 0, 0);
        answer.targets = rest.section(ServerVocabulary::requestSeparator(), 1)
                             .split(QLatin1Char(','), Qt::SkipEmptyParts);
    } else if (message.startsWith(ServerVocabulary::detectedLanguageMarker())) {
        answer.kind = Kind::DetectedLanguage;
        answer.language = message.mid(ServerVocabulary::detectedLanguageMarker().size());
    }
    return answer;
}

QString ServerAnswer::tableMessage(const QString &table)
{
    return ServerVocabulary::displayTableMarker() + table;
}

QString ServerAnswer::limitMessage(int limit)
{
    return ServerVocabulary::limitMarker() + QString::number(limit);
}

QString ServerAnswer::offlineTargetsMessage(const QString &source, const QStringList &targets)
{
    return ServerVocabulary::offlineTargetsMarker() + source +
           ServerVocabulary::requestSeparator() + targets.join(QLatin1Char(','));
}

QString ServerAnswer::detectedLanguageMessage(const QString &code)
{
    return ServerVocabulary::detectedLanguageMarker() + code;
}

QString ServerAnswer::resultMessage(const QString &translation)
{
    if (translation.size() > FrameCodec::maxTextLength)
        return QStringLiteral("The translation is too long to send.");
    const QString markers[] = {ServerVocabulary::displayTableMarker(),
                               ServerVocabulary::limitMarker()};
    QString result;
    result.reserve(translation.size());
    for (const QChar c : translation) {
        result += c;
        for (const QString &marker : markers) {
            if (c == marker.back() && result.endsWith(marker)) {
                result.chop(marker.size());
                break;
            }
        }
    }
    if (result == ServerVocabulary::closeLink() || result == ServerVocabulary::versionMismatch())
        result += QLatin1Char(' ');
    // Nor may a translation begin like an answer known by its first words.
    if (result.startsWith(ServerVocabulary::offlineTargetsMarker()) ||
        result.startsWith(ServerVocabulary::detectedLanguageMarker()))
        result.prepend(QLatin1Char(' '));
    return result;
}
