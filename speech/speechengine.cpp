#include "speech/speechengine.h"

#include <QTextToSpeech>

#ifdef __GLIBC__
#include <malloc.h>
#endif

void SpeechEngine::open()
{
    speech = name.isEmpty() ? new QTextToSpeech(this) : new QTextToSpeech(name, this);
    connect(speech, &QTextToSpeech::stateChanged, this,
            [this](QTextToSpeech::State state) { stateChanged(state); });
    QStringList locales;
    if (speech->state() != QTextToSpeech::BackendError) {
        for (const QLocale &locale : speech->availableLocales())
            locales << locale.bcp47Name();
    }
    emit voicesFound(locales);
#ifdef __GLIBC__
    // The service's client library reads its whole voice list on this
    // thread; the allocator would keep the megabytes it took for the rest of
    // the program's life.
    malloc_trim(0);
#endif
}

void SpeechEngine::say(int utterance, const QString &text, const QLocale &locale)
{
    if (speech == nullptr)
        return;
    current = utterance;
    starting = true;
    if (speech->state() == QTextToSpeech::Speaking)
        speech->stop();
    if (speech->locale() != locale)
        speech->setLocale(locale);
    speech->say(text);
}

void SpeechEngine::stop()
{
    starting = false;
    if (speech != nullptr)
        speech->stop();
}

void SpeechEngine::stateChanged(int state)
{
    const bool cutShort = starting && state != QTextToSpeech::BackendError;
    if (state == QTextToSpeech::Speaking || !cutShort)
        starting = false;
    if (state != QTextToSpeech::Speaking && !cutShort)
        emit ended(current);
}
