#ifndef SERVEROPTIONS_H
#define SERVEROPTIONS_H

#include "server/connections/companionserver.h"
#include "server/offline/pipelinepool.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

// What the command line asks of the server, read and checked before anything
// starts.
class ServerOptions
{
public:
    // Reads a whole command line, program name first. --help prints the
    // options and ends the program, as does a word the parser does not know;
    // a value out of range gives false with *error saying why.
    bool parse(const QStringList &arguments, QString *error);

    quint16 port = 3030;
    QList<QHostAddress> addresses;
    // True when no --listen was given: the loopback addresses of both kinds.
    bool defaultAddresses = true;
    int translationLimit = 50000;
    QString logPath;
    // Empty: apertium where it is installed, else none.
    QString backend;
    bool listPairs = false;
    // How long the language data must stay unchanged before it is read again.
    int rescanDelayMs = 2000;
    CompanionServer::Limits connectionLimits;
    PipelinePool::Limits pipelineLimits;
};

#endif
