#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace holdra {

// One recording into one file, as the recording controller drives it.
// Destroying a recorder abandons what it was writing.
class VoiceRecorder
{
public:
    virtual ~VoiceRecorder() = default;

    // Starts writing the file; false when recording did not start.
    virtual bool record() = 0;
    // Seconds recorded so far.
    virtual double currentTime() const = 0;
    // Ends the recording. `finished` runs once the file is complete and
    // closed, which may be before stop() returns or on a later turn of the
    // event loop; it runs exactly once.
    virtual void stop(std::function<void()> finished) = 0;
};

// Opens a recorder writing to `filePath`; nullptr when none can be made.
// `interrupted` is to be called (on the main thread, not from inside a call of
// the controller) when recording ends by itself: the input device went away
// or the encoder failed.
using VoiceRecorderFactory =
    std::function<std::unique_ptr<VoiceRecorder>(const QString &filePath, std::function<void()> interrupted)>;

// Whether the user lets Holdra use the microphone.
enum class RecordPermission { Undetermined, Denied, Granted };

} // namespace holdra
