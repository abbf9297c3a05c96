#include "app/commandline.h"
#include "app/fontwarmup.h"
#include "app/singleinstance.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QInputMethod>
#include <QLocale>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    CommandLine commandLine;
    if (!commandLine.parse(arguments))
        return 2;
    if (commandLine.action() != CommandLine::Action::Window) {
        QCoreApplication application(argc, argv);
        return commandLine.run();
    }
    if (!CommandLine::displayAvailable()) {
        QTextStream(stderr) << "quillora: no display to open the window on (DISPLAY and "
                               "WAYLAND_DISPLAY are not set); quillora --translate works "
                               "without one\n";
        return 1;
    }

    // Everything is drawn in software. Left alone, the X platform sets up
    // OpenGL for the first window, which is half of the work before the
    // window first shows.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    FontWarmUp fonts;
    // On a high-density screen the window, its flags and its buttons grow
    // with the text instead of staying at their pixel sizes.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication application(argc, argv);

    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    fonts.wait();
    const QString localeName = QGuiApplication::inputMethod()->locale().name();
    MainWindow window(localeName);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &MainWindow::bringForward);
    QObject::connect(&instance, &SingleInstance::quickTranslateRequested, &window,
                     &MainWindow::quickTranslate);
    window.show();
    return application.exec();
}
