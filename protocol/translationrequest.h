#ifndef TRANSLATIONREQUEST_H
#define TRANSLATIONREQUEST_H

#include <QString>

// A translation handed to the companion server: source code, target code and
// text joined by "~". The text is never escaped, so only the first two "~"
// separate fields and everything after them is text.
struct TranslationRequest
{
    QString source;
    QString target;
    QString text;

    QString toMessage() const;

    // False, leaving *request alone, when the message has fewer than two "~"
    // or either code is no language code.
    static bool parse(const QString &message, TranslationRequest *request);

    // "auto", or two or three letters with an optional region or script tag
    // ("en", "haw", "zh-CN").
    static bool isLanguageCode(const QString &code);

    // The most UTF-16 units that "source~target~" takes with the codes of the
    // language list, which are the only ones the client sends.
    static int longestPrefix();

    // The longest text a request fits into one frame with: the most that the
    // server may let a client translate at once.
    static int maxTextLength();
};

#endif
