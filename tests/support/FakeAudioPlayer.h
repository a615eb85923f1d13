#pragma once

#include "Audio/AudioPlaying.h"

#include <memory>

namespace holdra::test {

// What a fake player does and what was done to it; shared with the test so it
// can still be read after the controller has dropped the player.
struct FakeAudioPlayerState
{
    double currentTime = 0;
    double duration = 10;
    bool playing = false;
    bool prepares = true;
    bool plays = true;
    int playCalls = 0;
    int stopCalls = 0;
    bool alive = false;
};

class FakeAudioPlayer : public AudioPlaying
{
public:
    explicit FakeAudioPlayer(std::shared_ptr<FakeAudioPlayerState> state)
        : m_state(std::move(state))
    {
        m_state->alive = true;
    }
    ~FakeAudioPlayer() override { m_state->alive = false; }

    double currentTime() const override { return m_state->currentTime; }
    void setCurrentTime(double seconds) override { m_state->currentTime = seconds; }
    double duration() const override { return m_state->duration; }
    bool isPlaying() const override { return m_state->playing; }
    bool prepareToPlay() override { return m_state->prepares; }
    bool play() override
    {
        ++m_state->playCalls;
        m_state->playing = m_state->plays;
        return m_state->plays;
    }
    void pause() override { m_state->playing = false; }
    void stop() override
    {
        ++m_state->stopCalls;
        m_state->playing = false;
    }

private:
    std::shared_ptr<FakeAudioPlayerState> m_state;
};

} // namespace holdra::test
