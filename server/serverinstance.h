#ifndef SERVERINSTANCE_H
#define SERVERINSTANCE_H

#include "server/messagelog.h"
#include "server/offline/languagedetector.h"
#include "server/serveroptions.h"
#include "server/signalwatcher.h"
#include "server/tables/displaytables.h"
#include "server/tables/servercatalogue.h"

#include <QString>

#include <memory>

class CompanionServer;
class TranslatorBackend;

// The companion server as the program runs it, set up from its options: the
// language data, the translation back end, the message log, the termination
// signals and the listening sockets. What it reports goes to the standard
// output and error streams.
class ServerInstance
{
public:
    enum class Start
    {
        Listening,
        // Another quillora-server already serves the port.
        AlreadyServed,
        Failed
    };

    explicit ServerInstance(const ServerOptions &options);
    ~ServerInstance();

    // Sets everything up and listens on every address; Failed with *error
    // saying why.
    Start start(QString *error);

    // Tries every installed mode, then prints every pair the apertium back
    // end can reach; the exit code.
    int listPairs();

private:
    QString modesDirectory() const;
    // The user's local socket and every TCP address.
    Start listenEverywhere(QString *error);

    const ServerOptions options;
    const ServerCatalogue catalogue;
    const LanguageDetector detector;
    DisplayTables tables;
    MessageLog log;
    SignalWatcher signalWatcher;
    std::unique_ptr<TranslatorBackend> backend;
    // Declared last, so that it goes first: its connections cancel their
    // translations before the back end is gone.
    std::unique_ptr<CompanionServer> server;
};

#endif
