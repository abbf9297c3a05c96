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
    return result;
}
