#include "mainwindow/systemtray.h"

#include "mainwindow/displaytexttable.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

SystemTray::SystemTray(QWidget *mainWindow, const QIcon &icon)
    : QObject(mainWindow), window(mainWindow),
      restoreAction(new QAction(tr("&Restore      "), mainWindow)),
      quitAction(new QAction(tr("&Quit      "), mainWindow)), trayIconMenu(new QMenu(mainWindow)),
      trayIcon(new QSystemTrayIcon(icon, mainWindow))
{
    trayIconMenu->addAction(restoreAction);
    trayIconMenu->addAction(quitAction);
    trayIcon->setContextMenu(trayIconMenu);
    connect(restoreAction, &QAction::triggered, window, &QWidget::showNormal);
    connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &SystemTray::iconActivated);
}

void SystemTray::retranslate(const DisplayTextTable &texts, const QString &toolTip)
{
    restoreAction->setText(texts.displayText(QStringLiteral("restore"), tr("&Restore      ")));
    quitAction->setText(texts.displayText(QStringLiteral("quit"), tr("&Quit      ")));
    trayIcon->setToolTip(toolTip);
}

void SystemTray::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        window->showNormal();
}
