#ifndef APERTIUMFORMAT_H
#define APERTIUMFORMAT_H

#include <QByteArray>
#include <QString>

// Plain text to and from Apertium's stream format, done in the server so that
// a persistent pipeline needs no deformatter and reformatter processes of its
// own. The rules are those of apertium-destxt and apertium-retxt, so a
// pipeline's answers equal those of a one-shot `apertium -f txt` run: stream
// symbols are escaped, runs of blanks other than one space travel as
// superblanks, and an end of sentence is marked before blank lines and at the
// end of the text.
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
