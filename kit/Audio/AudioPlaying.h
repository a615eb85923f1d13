#pragma once

namespace holdra {

// One loaded audio file, as the playback controller drives it. Destroying a
// player releases it and silences it.
class AudioPlaying
{
public:
    virtual ~AudioPlaying() = default;

    // Seconds from the start.
    virtual double currentTime() const = 0;
    virtual void setCurrentTime(double seconds) = 0;
    virtual double duration() const = 0;
    virtual bool isPlaying() const = 0;

    // Loads what playing needs; false when the file cannot be played.
    virtual bool prepareToPlay() = 0;
    // Starts or resumes; false on failure.
    virtual bool play() = 0;
    // Keeps the position.
    virtual void pause() = 0;
    // Stops and releases the file.
    virtual void stop() = 0;
};

} // namespace holdra
