#include "Platform/CanberraSound.h"

#include "Desktop/ApplicationId.h"

#include <canberra.h>

namespace holdra {

CanberraSound::CanberraSound() = default;

CanberraSound::~CanberraSound()
{
    if (m_context)
        ca_context_destroy(m_context);
}

const char *CanberraSound::eventId(Sound sound)
{
    switch (sound) {
    case Sound::Pop:
        return "message-new-instant";
    case Sound::Alert:
        return "dialog-warning";
    }
    return "dialog-warning";
}

bool CanberraSound::play(Sound sound)
{
    if (!open())
        return false;
    return ca_context_play(m_context, 0, CA_PROP_EVENT_ID, eventId(sound), nullptr) == CA_SUCCESS;
}

// Connects on first use, so that start-up never waits for the sound server,
// and only once: a machine without one stays silent without retrying.
bool CanberraSound::open()
{
    if (m_opened || m_failed)
        return m_opened;
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        m_failed = true;
        return false;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Holdra", CA_PROP_APPLICATION_ID, applicationId,
                            nullptr);
    m_opened = ca_context_open(m_context) == CA_SUCCESS;
    m_failed = !m_opened;
    return m_opened;
}

} // namespace holdra
