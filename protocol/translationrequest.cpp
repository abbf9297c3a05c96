#include "protocol/translationrequest.h"

#include "protocol/framecodec.h"
#include "protocol/languagelist.h"
#include "protocol/servervocabulary.h"

#include <QRegularExpression>

QString TranslationRequest::toMessage() const
{
    const QChar separator = ServerVocabulary::requestSeparator();
    return source + separator + target + separator + text;
}

bool TranslationRequest::parse(const QString &message, TranslationRequest *request)
{
    const QChar separator = ServerVocabulary::requestSeparator();
    const int first = message.indexOf(separator);
    const int second = first < 0 ? -1 : message.indexOf(separator, first + 1);
    if (second < 0)
        return false;
    TranslationRequest parsed{message.left(first), message.mid(first + 1, second - first - 1),
                              message.mid(second + 1)};
    if (!isLanguageCode(parsed.source) || !isLanguageCode(parsed.target))
        return false;
    *request = parsed;
    return true;
}

bool TranslationRequest::isLanguageCode(const QString &code)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(auto|[A-Za-z]{2,3}(-[A-Za-z0-9]{2,8})?)$"));
    return pattern.match(code).hasMatch();
}

int TranslationRequest::longestPrefix()
{
    const LanguageList &list = LanguageList::builtIn();
    int source = 0;
    int target = 0;
    for (int i = 0; i < list.languages().size(); ++i) {
        const int length = list.languages()[i].code.size();
        source = qMax(source, length);
        if (i >= list.sourceOnlyCount())
            target = qMax(target, length);
    }
    return source + target + 2;
}

int TranslationRequest::maxTextLength()
{
    return FrameCodec::maxTextLength - longestPrefix();
}
