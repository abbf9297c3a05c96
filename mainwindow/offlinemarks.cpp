#include "mainwindow/offlinemarks.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"
#include "net/serversession.h"

#include <QComboBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A green tick: drawn, so that it looks the same under every style.
QIcon tickIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 140, 60), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3, 8.5);
    tick.lineTo(6.5, 12);
    tick.lineTo(13, 4);
    painter.drawPath(tick);
    return QIcon(pixmap);
}

} // namespace

OfflineMarks::OfflineMarks(ServerSession *serverSession, QComboBox *source, QComboBox *target,
                           const LanguageCatalogue &languages, QObject *parent)
    : QObject(parent), session(serverSession), sourceBox(source), targetBox(target),
      catalogue(languages), toolTip(QStringLiteral("Available offline")), icon(tickIcon())
{
    connect(session, &ServerSession::linkChanged, this, [this](bool up) {
        if (up)
            selectionChanged();
        else
            clear();
    });
    connect(session, &ServerSession::offlineTargetsArrived, this, &OfflineMarks::targetsArrived);
    connect(sourceBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        clear();
        selectionChanged();
    });
    connect(targetBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { session->prepareTranslation(sourceCode(), targetCode()); });
}

QString OfflineMarks::sourceCode() const
{
    return catalogue.sourceLanguageCodes().value(sourceBox->currentIndex());
}

QString OfflineMarks::targetCode() const
{
    return catalogue.targetLanguageCodes().value(targetBox->currentIndex());
}

void OfflineMarks::retranslate(const DisplayTextTable &table)
{
    toolTip =
        table.displayText(QStringLiteral("offline_mark"), QStringLiteral("Available offline"));
    paint();
}

bool OfflineMarks::mayTranslateOffline(const QString &source, const QString &target) const
{
    return source != markedSource || reachable.contains(target);
}

void OfflineMarks::selectionChanged()
{
    // Both are dropped while the link is down.
    session->requestOfflineTargets(sourceCode());
    session->prepareTranslation(sourceCode(), targetCode());
}

void OfflineMarks::targetsArrived(const QString &source, const QStringList &targets)
{
    // An answer for a source the user has since left would mark the wrong list.
    if (source != sourceCode())
        return;
    markedSource = source;
    reachable = QSet<QString>(targets.begin(), targets.end());
    paint();
}

void OfflineMarks::clear()
{
    markedSource.clear();
    reachable.clear();
    paint();
}

void OfflineMarks::paint()
{
    const QStringList &codes = catalogue.targetLanguageCodes();
    for (int i = 0; i < targetBox->count() && i < codes.size(); ++i) {
        const bool marked = reachable.contains(codes.at(i));
        targetBox->setItemIcon(i, marked ? icon : QIcon());
        targetBox->setItemData(i, marked ? toolTip : QVariant(), Qt::ToolTipRole);
        targetBox->setItemData(i, marked ? toolTip : QVariant(), Qt::AccessibleDescriptionRole);
    }
}
