#include "speech/speaker.h"

#include "protocol/languagelist.h"
#include "speech/speechengine.h"

namespace {

const QString anyLanguage = QStringLiteral("auto");

} // namespace

Speaker::Speaker(const QString &engineName, QObject *parent)
    : QObject(parent), engine(new SpeechEngine(engineName))
{
    engine->moveToThread(&thread);
    connect(&thread, &QThread::finished, engine, &QObject::deleteLater);
    connect(engine, &SpeechEngine::voicesFound, this, [this](const QStringList &locales) {
        for (const QString &name : locales)
            voices << QLocale(name);
        emit voicesChanged();
    });
    // Only the end of the newest utterance silences its channel: the ends of
    // those it replaced come in late.
    connect(engine, &SpeechEngine::ended, this, [this](int utterance) {
        if (utterance == utterances)
            setChannel(-1);
    });
    thread.start();
    QMetaObject::invokeMethod(engine, &SpeechEngine::open, Qt::QueuedConnection);
}

// Waits for the service to be reached when that is still under way: the
// engine cannot be left behind on its thread.
Speaker::~Speaker()
{
    thread.quit();
    thread.wait();
}

QLocale Speaker::voiceFor(const QString &code, const QVector<QLocale> &available)
{
    if (code == anyLanguage)
        return available.isEmpty() ? QLocale::c() : available.first();
    const LanguageList &list = LanguageList::builtIn();
    const int index = list.indexOfCode(code);
    if (index < 0)
        return QLocale::c();
    const QLocale wanted(list.languages().at(index).icuLocale);
    QLocale found = QLocale::c();
    for (const QLocale &voice : available) {
        if (voice.language() != wanted.language())
            continue;
        if (voice.country() == wanted.country())
            return voice;
        if (found == QLocale::c())
            found = voice;
    }
    return found;
}

bool Speaker::hasVoice(const QString &code) const
{
    return voiceFor(code, voices) != QLocale::c();
}

void Speaker::toggle(int speaker, const QString &text, const QString &code)
{
    ++utterances;
    if (speaker == channel || text.trimmed().isEmpty() || !hasVoice(code)) {
        QMetaObject::invokeMethod(engine, &SpeechEngine::stop, Qt::QueuedConnection);
        setChannel(-1);
        return;
    }
    const QLocale locale = voiceFor(code, voices);
    const int utterance = utterances;
    QMetaObject::invokeMethod(
        engine, [this, utterance, text, locale] { engine->say(utterance, text, locale); },
        Qt::QueuedConnection);
    setChannel(speaker);
}

void Speaker::setChannel(int speaker)
{
    if (speaker == channel)
        return;
    channel = speaker;
    emit speakingChanged(channel);
}
