#pragma once

namespace holdra {

// The named system sounds that accompany actions. Without a sound server (or
// without the sound theme) playing does nothing: a missing sound never
// disturbs the action it accompanies.
class SystemSound
{
public:
    enum class Sound {
        Pop,   // the feedback after stashing or copying
        Alert, // an action that could not be done
    };

    virtual ~SystemSound() = default;

    // True when the sound server took the sound.
    virtual bool play(Sound sound) = 0;
};

} // namespace holdra
