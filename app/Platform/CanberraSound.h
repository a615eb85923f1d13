#pragma once

#include "Platform/SystemSound.h"

struct ca_context;

namespace holdra {

// The system sounds from the freedesktop sound theme, through libcanberra.
class CanberraSound : public SystemSound
{
public:
    CanberraSound();
    ~CanberraSound() override;

    CanberraSound(const CanberraSound &) = delete;
    CanberraSound &operator=(const CanberraSound &) = delete;

    bool play(Sound sound) override;

    // The sound theme's event id standing in for the sound.
    static const char *eventId(Sound sound);

private:
    bool open();

    ca_context *m_context = nullptr;
    bool m_opened = false;
    bool m_failed = false;
};

} // namespace holdra
