#ifndef SPEAKER_H
#define SPEAKER_H

#include <QLocale>
#include <QObject>
#include <QString>
#include <QThread>
#include <QVector>

class SpeechEngine;

// Reads texts aloud in their language through the desktop's speech service,
// without ever making the caller wait. Callers speak on numbered channels
// (one per text box): toggling the channel that speaks stops it, toggling
// another switches to that one.
class Speaker : public QObject
{
    Q_OBJECT

public:
    // An empty engine name picks the platform's own speech engine.
    explicit Speaker(const QString &engineName, QObject *parent = nullptr);
    ~Speaker() override;

    // Whether a voice speaks the language of this box code; "auto" asks for
    // any voice at all. False until the service has been reached.
    bool hasVoice(const QString &code) const;
    // The channel that speaks, or -1.
    int speakingChannel() const { return channel; }

    void toggle(int speaker, const QString &text, const QString &code);

    // The voice locale that speaks the box code, or the C locale for none.
    static QLocale voiceFor(const QString &code, const QVector<QLocale> &voices);

signals:
    void voicesChanged();
    void speakingChanged(int channel);

private:
    void setChannel(int speaker);

    QThread thread;
    SpeechEngine *engine;
    QVector<QLocale> voices;
    int channel = -1;
    int utterances = 0;
};

#endif
