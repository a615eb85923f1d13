#pragma once

#include "Platform/SystemSound.h"
#include "Support/Clock.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace holdra {

class AppSettings;

// The panel's one-line message: what was just done, or what failed or was
// refused, shown for 1.3 s, with the "Pop" sound when the settings want it.
// A refusal of a whole action is only a beep.
class ToastPresenter : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the toasts.")
    // Empty when no message is shown.
    Q_PROPERTY(QString message READ messageText NOTIFY changed)
    // The shown (or last shown) message tells of something that failed or was refused.
    Q_PROPERTY(bool isError READ isError NOTIFY changed)

public:
    enum class Kind { done, error };
    static constexpr Clock::Duration duration{1300};
    using SoundPlayer = std::function<void(SystemSound::Sound)>;

    // `clock` and `settings` must outlive the presenter; `playSound` may be empty.
    ToastPresenter(Clock &clock, const AppSettings &settings, SoundPlayer playSound, QObject *parent = nullptr);

    std::optional<QString> message() const { return m_message; }
    bool isError() const { return m_isError; }

    Q_INVOKABLE void show(const QString &message) { show(message, Kind::done); }
    void show(const QString &message, Kind kind);
    // The sound when wanted, then the message.
    void feedback(const QString &message, Kind kind = Kind::done);
    void beep();

Q_SIGNALS:
    void changed();

private:
    QString messageText() const { return m_message.value_or(QString()); }
    void set(const std::optional<QString> &message, bool isError);

    Clock &m_clock;
    const AppSettings &m_settings;
    SoundPlayer m_playSound;
    std::optional<QString> m_message;
    bool m_isError = false;
    // Bumped by every message; an older timer leaves a newer message alone.
    quint64 m_generation = 0;
};

} // namespace holdra
