#ifndef SPEECHENGINE_H
#define SPEECHENGINE_H

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

class QTextToSpeech;

// The desktop's speech service, on a thread of its own: reaching the service
// (and starting it, which the speech-dispatcher client library may do) can
// take a while, and the window must not wait for it. Every utterance carries
// the number its caller gave it, so that the caller can tell the end of an
// old utterance from that of the current one.
class SpeechEngine : public QObject
{
    Q_OBJECT

public:
    // An empty name picks the platform's own engine.
    explicit SpeechEngine(const QString &engineName) : name(engineName) {}

    // Reaches the service and reports the languages of its voices.
    void open();
    void say(int utterance, const QString &text, const QLocale &locale);
    void stop();

signals:
    // BCP 47 names of the voices' locales; none when there is no service.
    void voicesFound(const QStringList &locales);
    void ended(int utterance);

private:
    void stateChanged(int state);

    const QString name;
    QTextToSpeech *speech = nullptr;
    int current = -1;
    // Between a say and the start of its sound, the service still reports
    // the end of the utterance it cut short.
    bool starting = false;
};

#endif
