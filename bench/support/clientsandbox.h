#ifndef CLIENTSANDBOX_H
#define CLIENTSANDBOX_H

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private world for runs of the real client on an X display: its own HOME,
// XDG data, config and runtime directories and its own TMPDIR. The client
// keeps its single-instance lock in the runtime directory, so copies in one
// sandbox meet each other's lock and never that of a copy the user or another
// run is running.
class ClientSandbox
{
public:
    ClientSandbox();
    ClientSandbox(const ClientSandbox &) = delete;
    ClientSandbox &operator=(const ClientSandbox &) = delete;

    bool isValid() const { return root.isValid(); }

    // True when this system lets an unprivileged process have a network of
    // its own (unshare -rn). A program started with a private network has
    // only a loopback that is down: it reaches no companion server and no
    // web page, whatever listens on this machine.
    static bool privateNetworkAvailable();
    void setPrivateNetwork(bool privateNetwork) { usePrivateNetwork = privateNetwork; }

    // Starts `program` with the sandbox's environment (and network). The
    // process keeps its pid: unshare replaces itself with the program.
    void start(QProcess *process, const QString &program,
               const QStringList &arguments = QStringList()) const;
    // The inherited environment with the sandbox's directories in place and
    // the xcb platform chosen; DISPLAY and the X authority are kept.
    QProcessEnvironment environment() const;
    QString temporaryDirectory() const { return root.filePath(QStringLiteral("tmp")); }
    // Where the client keeps config.txt and from_to.db in this sandbox.
    QString dataDirectory() const;

private:
    QTemporaryDir root;
    bool usePrivateNetwork = false;
};

#endif
