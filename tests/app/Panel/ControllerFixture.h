#pragma once

#include "Audio/RecordingController.h"
#include "FakeAudioPlayer.h"
#include "FakeVoiceRecorder.h"
#include "ManualClock.h"
#include "Panel/NotchController.h"
#include "Panel/NotchWindowing.h"
#include "Panel/StashItemPresentation.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QTest>

#include <map>

namespace holdra::test {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// A window as the controller leaves it.
struct WindowState
{
    QRectF frame;
    bool visible = false;
    bool key = false;
};

class FakeNotchWindow final : public NotchWindowing
{
public:
    FakeNotchWindow(std::map<QString, WindowState> &states, const QString &id)
        : m_states(states)
        , m_id(id)
    {
        m_states[id] = {};
    }
    ~FakeNotchWindow() override { m_states.erase(m_id); }

    QRectF frame() const override { return state().frame; }
    void setFrame(const QRectF &frame) override { state().frame = frame; }
    void orderFront() override { show(true, false); }
    void makeKeyAndOrderFront() override { show(true, true); }
    void orderOut() override { show(false, false); }

private:
    WindowState &state() const { return m_states.at(m_id); }
    void show(bool visible, bool key) const
    {
        state().visible = visible;
        state().key = key;
    }

    std::map<QString, WindowState> &m_states;
    QString m_id;
};

// The controller and its parts over a real store, with plain window records
// instead of windows. Display A is the primary 1920 × 1080 screen with a
// 27-pixel top panel; B sits to its right. A test may change m_displays and the
// settings before it first calls controller().
class ControllerFixture : public StoreFixture
{
protected:
    ControllerFixture()
    {
        m_displays = {display(u"A"_s, {0, 0, 1920, 1080}, 27), display(u"B"_s, {1920, 0, 1280, 1024}, 0)};
    }

    static NotchDisplay display(const QString &id, const QRectF &geometry, double topPanel)
    {
        NotchDisplay d;
        d.id = id;
        d.geometry = geometry;
        d.availableGeometry = geometry.adjusted(0, topPanel, 0, 0);
        return d;
    }

    NotchController &controller()
    {
        if (!m_controller) {
            if (!m_store)
                openStore();
            NotchController::Environment env;
            env.displays = [this] { return m_displays; };
            env.makeWindow = m_makeWindow ? m_makeWindow : [this](NotchController &, const QString &id) {
                return std::make_unique<FakeNotchWindow>(m_windows, id);
            };
            env.clock = &m_clock;
            env.playSound = [this](SystemSound::Sound sound) { m_sounds.append(sound); };
            env.loadAudioPlayer = [this](const QUrl &, QObject *, auto loaded) {
                m_pendingLoads.append(std::move(loaded));
                if (!m_loadsLater)
                    finishLoads();
            };
            m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
        }
        return *m_controller;
    }

    const WindowState &window(const QString &id) const { return m_windows.at(id); }
    bool hasWindow(const QString &id) { return controller().windows().window(id) != nullptr; }
    std::optional<QString> toast() { return controller().toasts()->message(); }
    QStringList selection() { return controller().selection()->idTexts(); }
    static QString idOf(const StashItem &item) { return StashItemPresentation::idText(item.id()); }
    StashItem addText(const QString &text) { return m_store->addText(text); }
    StashItem addAudio(const QByteArray &bytes) { return m_store->addAudio(bytes, u"note"_s, 3); }
    bool pressed(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
    {
        return controller().handleKey(key, int(modifiers), text);
    }

    // Hands every pending load a fake player over m_playerState (or nothing when it cannot open).
    void finishLoads()
    {
        for (auto &loaded : std::exchange(m_pendingLoads, {}))
            loaded(m_playerOpens ? std::make_unique<FakeAudioPlayer>(m_playerState) : nullptr);
    }

    // A recorder over fakes, attached to the controller's voice notes.
    RecordingController &recorder()
    {
        if (!m_recorder) {
            RecordingController::Environment env;
            env.makeRecorder = FakeVoiceRecorder::factory(m_recorderState);
            env.scratchDirectory = m_dir.filePath(u"scratch"_s);
            m_recorder = std::make_unique<RecordingController>(
                *m_store, [this](const QString &message) { controller().toasts()->feedback(message); }, env);
            controller().voiceNotes()->setRecorder(m_recorder.get());
        }
        return *m_recorder;
    }

    static bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 10000); }

    QList<NotchDisplay> m_displays;
    // Makes the windows when set (real ones, for the views); plain records otherwise.
    NotchController::WindowFactory m_makeWindow;
    std::map<QString, WindowState> m_windows;
    std::shared_ptr<FakeAudioPlayerState> m_playerState = std::make_shared<FakeAudioPlayerState>();
    bool m_playerOpens = true;
    bool m_loadsLater = false;
    QList<std::function<void(std::unique_ptr<AudioPlaying>)>> m_pendingLoads;
    std::shared_ptr<FakeVoiceRecorderState> m_recorderState = std::make_shared<FakeVoiceRecorderState>();
    QList<SystemSound::Sound> m_sounds;
    ManualClock m_clock;
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    // The recorder outlives the controller that holds it.
    std::unique_ptr<RecordingController> m_recorder;
    std::unique_ptr<NotchController> m_controller;
};

} // namespace holdra::test
