#include "protocol/languagelist.h"

#include "protocol/datafile.h"

const LanguageList &LanguageList::builtIn()
{
    static const LanguageList list = [] {
        Q_INIT_RESOURCE(protocol);
        LanguageList read;
        QString error;
        if (!DataFile::read(
                QStringLiteral(":/protocol/languages.tsv"),
                [&read](const QString &line) { return read.take(line.split(QLatin1Char('\t'))); },
                &error))
            qFatal("damaged language list: %s", qPrintable(error));
        return read;
    }();
    return list;
}

QString LanguageList::take(const QStringList &fields)
{
    const QString kind = fields.first();
    if (fields.contains(QString()))
        return QStringLiteral("an empty field");
    if (kind == QLatin1String("detect") && fields.size() == 3) {
        // The boxes share their rows after these, so none may follow a language.
        if (rows.size() != sourceOnly)
            return QStringLiteral("a source-only choice after the shared ones");
        rows.append({fields[1], fields[2], QString()});
        ++sourceOnly;
        return QString();
    }
    if (kind == QLatin1String("language") && fields.size() == 4) {
        rows.append({fields[1], fields[2], fields[3]});
        return QString();
    }
    if (kind == QLatin1String("display") && fields.size() == 3) {
        for (int i = sourceOnly; i < rows.size(); ++i) {
            if (rows[i].name == fields[2]) {
                displays.append({fields[1], i});
                return QString();
            }
        }
        return QStringLiteral("no language %1 above").arg(fields[2]);
    }
    return QStringLiteral("expected detect, language or display with their fields");
}

int LanguageList::indexOfCode(const QString &code) const
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].code == code)
            return i;
    }
    return -1;
}
