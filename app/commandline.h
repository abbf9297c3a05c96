#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "mainwindow/endpoints.h"

#include <QString>
#include <QStringList>

// What the client is asked to do from its command line: open its window (no
// options), print its help or version, translate a text for a terminal or a
// script without any window, or have the running copy translate the
// selection. Everything but the window runs on a plain event loop, so it
// needs no display.
class CommandLine
{
public:
    enum class Action
    {
        Window,
        Help,
        Version,
        Translate,
        QuickTranslate
    };

    // False, after saying what is wrong on the error stream, for a command
    // line the client does not understand.
    bool parse(const QStringList &arguments);
    Action action() const { return chosen; }

    // Runs every action but Window, under a QCoreApplication; the exit code.
    int run(const Endpoints &endpoints = Endpoints()) const;

    // False when the window could not be shown: no X or Wayland display is
    // named where one is needed.
    static bool displayAvailable();

private:
    // The text, page first and then the companion server as the window does;
    // prints the translation, or says on the error stream why there is none.
    int translate(const Endpoints &endpoints) const;
    int quickTranslate() const;

    Action chosen = Action::Window;
    QString source;
    QString target;
    QStringList words;
};

#endif
