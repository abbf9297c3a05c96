#ifndef APERTIUMFORMAT_H
#define APERTIUMFORMAT_H

#include <QByteArray>
#include <QString>

// Plain text to and from Apertium's stream format, done in the server so that
// a persistent pipeline needs no deformatter and reformatter processes of its
// own. The rules are those of apertium-destxt and apertium-retxt: stream
// symbols are escaped and runs of blanks other than one space travel as
// superblanks. Unlike apertium-destxt, which marks an end of sentence only
// before blank lines and at the end of the text, every line break ends a
// sentence: lines are translated each on its own and come back in place,
// as a one-shot `apertium -f txt` run translates each of them.
class ApertiumFormat
{
public:
    // The text as one NUL-terminated pipeline input; NUL characters in the
    // text are dropped, since NUL ends an input.
    static QByteArray deformat(const QString &text);

    // The pipeline's answer (without its NUL) as plain text.
    static QString reformat(const QByteArray &stream);
};

#endif
