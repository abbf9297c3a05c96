#ifndef SYSTEMTRAY_H
#define SYSTEMTRAY_H

#include <QObject>
#include <QSystemTrayIcon>

class DisplayTextTable;
class QAction;
class QMenu;
class QWidget;

// The tray icon that stands in for the window while it is hidden, with its
// menu: Restore brings the window back, Quit ends the program.
class SystemTray : public QObject
{
    Q_OBJECT

public:
    SystemTray(QWidget *window, const QIcon &icon);

    QSystemTrayIcon *icon() const { return trayIcon; }
    void retranslate(const DisplayTextTable &texts, const QString &toolTip);

public slots:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

private:
    QWidget *window;
    QAction *restoreAction;
    QAction *quitAction;
    QMenu *trayIconMenu;
    QSystemTrayIcon *trayIcon;
};

#endif
