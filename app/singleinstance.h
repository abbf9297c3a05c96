#ifndef SINGLEINSTANCE_H
#define SINGLEINSTANCE_H

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// The token that lets only one copy of the client run per user login, held
// for the whole run and released when the object is destroyed, and the
// channel through which a later start asks the running copy to come forward.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    static const char *const defaultKey;

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process may run and now listens for later starts. False
    // when another live copy of the same user runs; that copy has then been
    // asked to show its window.
    bool acquire();

    // Asks the copy that holds the token to translate the selection; false
    // when no copy answers.
    bool askRunningCopyToQuickTranslate() const;

signals:
    // A later start wants the window brought forward.
    void showRequested();
    // A later start asks for the selection to be translated.
    void quickTranslateRequested();

private:
    struct Token;

    bool askRunningCopyToShow() const;
    // Connects to the copy that holds the token and says the message; true
    // once it is said.
    bool askRunningCopy(const QByteArray &message) const;
    void listen();
    void acceptStarts();

    std::unique_ptr<Token> token;
    QString channelName;
    QLocalServer *channel = nullptr;
};

#endif
