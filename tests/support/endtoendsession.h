#ifndef ENDTOENDSESSION_H
#define ENDTOENDSESSION_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The real client and the real companion server on one X display, for the
// end-to-end tests. The client always dials localhost:3030, so the server is
// started on that port (tests using this take the CTest lock "port3030"), with
// the echo back end and a message log. The client gets a home, XDG
// directories and a temporary directory of its own, so that neither its files
// nor its single-instance token meet the user's or another test's.
class EndToEndSession
{
public:
    static constexpr quint16 serverPort = 3030;

    EndToEndSession();
    EndToEndSession(const EndToEndSession &) = delete;
    EndToEndSession &operator=(const EndToEndSession &) = delete;
    // Ends both programs: SIGTERM, then SIGKILL if one lingers.
    ~EndToEndSession();

    // Fails with a readable reason when port 3030 stays taken for a minute or
    // the server does not come up.
    bool startServer(QString *error);
    // Starts the client with LANG and LC_ALL set to `locale`.
    bool startClient(const QString &locale, QString *error);

    // Where the client keeps config.txt and from_to.db.
    QString clientDataDirectory() const;

    // The texts of the server's log, in order, with its escapes undone.
    QStringList loggedTexts() const;
    bool waitForLoggedTexts(int count, int timeoutMs);
    // The log as written, time stamps included, for failure messages.
    QString rawLog() const;

    QString clientOutput();

    // Runs a short helper program (xdotool, xclip) to its end and returns its
    // standard output; *exitCode is -1 when it could not run or hung.
    static QString run(const QString &program, const QStringList &arguments,
                       int *exitCode = nullptr);
    // Window ids whose name matches the regular expression, visible ones only.
    static QStringList windowsNamed(const QString &pattern);

private:
    static void end(QProcess &process);

    QTemporaryDir root;
    QString logPath;
    QProcess server;
    QProcess client;
    QByteArray clientLog;
};

#endif
