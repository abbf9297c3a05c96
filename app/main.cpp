#include "app/singleinstance.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QInputMethod>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    const QString localeName = QGuiApplication::inputMethod()->locale().name();
    MainWindow window(localeName);
    window.show();
    return application.exec();
}
