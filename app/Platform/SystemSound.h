#pragma once

struct ca_context;

namespace holdra {

// The named system sounds, played from the freedesktop sound theme through
// libcanberra. Without a sound server (or without the theme) playing does
// nothing: a missing sound never disturbs the action it accompanies.
class SystemSound
{
public:
    enum class Sound {
        Pop,   // the feedback after stashing or copying
        Alert, // an action that could not be done
    };

    SystemSound();
    ~SystemSound();

    SystemSound(const SystemSound &) = delete;
    SystemSound &operator=(const SystemSound &) = delete;

    // True when the sound server took the sound.
    bool play(Sound sound);

    // The sound theme's event id standing in for the sound.
    static const char *eventId(Sound sound);

private:
    bool open();

    ca_context *m_context = nullptr;
    bool m_opened = false;
    bool m_failed = false;
};

} // namespace holdra
