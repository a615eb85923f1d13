#include "Panel/ToastPresenter.h"

#include "Settings/AppSettings.h"

namespace holdra {

ToastPresenter::ToastPresenter(Clock &clock, const AppSettings &settings, SoundPlayer playSound, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_settings(settings)
    , m_playSound(std::move(playSound))
{
}

void ToastPresenter::set(const std::optional<QString> &message, bool isError)
{
    if (m_message == message && m_isError == isError)
        return;
    m_message = message;
    m_isError = isError;
    Q_EMIT changed();
}

void ToastPresenter::show(const QString &message, Kind kind)
{
    if (message.isEmpty())
        return;
    set(message, kind == Kind::error);
    const quint64 generation = ++m_generation;
    m_clock.runAfter(duration, this, [this, generation] {
        // The kind stays with the text that fades out.
        if (generation == m_generation)
            set(std::nullopt, m_isError);
    });
}

void ToastPresenter::feedback(const QString &message, Kind kind)
{
    if (m_settings.soundFeedback() && m_playSound)
        m_playSound(SystemSound::Sound::Pop);
    show(message, kind);
}

void ToastPresenter::beep()
{
    if (m_playSound)
        m_playSound(SystemSound::Sound::Alert);
}

} // namespace holdra
