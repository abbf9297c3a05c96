#ifndef OFFLINEMARKS_H
#define OFFLINEMARKS_H

#include <QIcon>
#include <QObject>
#include <QSet>
#include <QString>

class DisplayTextTable;
class LanguageCatalogue;
class QComboBox;
class ServerSession;

// Marks the targets the companion server can reach without the web page from
// the chosen source, with an icon and a tool tip, as the server tells them.
// Also tells the server the pair the user has chosen, so that it readies the
// pair before the first request for it.
class OfflineMarks : public QObject
{
    Q_OBJECT

public:
    OfflineMarks(ServerSession *session, QComboBox *sourceBox, QComboBox *targetBox,
                 const LanguageCatalogue &catalogue, QObject *parent = nullptr);

    // The tool tip in the display language.
    void retranslate(const DisplayTextTable &table);

    // False only when the server has said that it cannot translate this pair:
    // its answer for the pair is then a notice, not a translation.
    bool mayTranslateOffline(const QString &source, const QString &target) const;

private:
    QString sourceCode() const;
    QString targetCode() const;
    void selectionChanged();
    void targetsArrived(const QString &source, const QStringList &targets);
    void clear();
    void paint();

    ServerSession *session;
    QComboBox *sourceBox;
    QComboBox *targetBox;
    const LanguageCatalogue &catalogue;
    // The source the server answered for; empty while nothing is known.
    QString markedSource;
    QSet<QString> reachable;
    QString toolTip;
    QIcon icon;
};

#endif
