#ifndef DICTDSERVER_H
#define DICTDSERVER_H

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real dictd on a free port of 127.0.0.1, serving the installed FreeDict
// dictionaries named ("eng-spa", ...) under their Debian names ("fd-eng-spa").
// It stays in the foreground so that the test owns and ends it.
class DictdServer
{
public:
    ~DictdServer();
    // False, with the reason in error(), when dictd or a dictionary is missing
    // or the server does not come up.
    bool start(const QStringList &dictionaries);
    quint16 port() const { return listening; }
    QString error() const { return problem; }

private:
    QTemporaryDir dir;
    QProcess process;
    quint16 listening = 0;
    QString problem;
};

#endif
