#pragma once

#include "HotKey/GlobalHotKey.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <functional>
#include <optional>

class QKeyEvent;

namespace holdra {

class AppSettings;
class HotKeyManager;

// Records a new global hot key in the settings window. While recording,
// Holdra's own grab is released (so the current shortcut reaches the
// recorder), the window grabs the keyboard (so the desktop does not act on the
// keys), and the next key pressed with at least one modifier becomes the
// settings' hot key. Escape cancels; a key without modifiers is passed on.
class HotKeyRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool recording READ isRecording NOTIFY recordingChanged)
    Q_PROPERTY(QString label READ label NOTIFY labelChanged)
    Q_PROPERTY(QString hintText READ hintText NOTIFY hintTextChanged)

public:
    // The keysym on an X keycode's first level; X11 by default.
    using KeycodeMap = std::function<std::optional<quint32>(quint32 keycode)>;

    static constexpr auto recordingLabel = "按下快捷键…";
    static constexpr auto refusedKeyHint = "这个键不能用作快捷键，请换一个键。";

    // `manager` may be null (no X11); both must outlive the recorder.
    HotKeyRecorder(AppSettings &settings, HotKeyManager *manager, KeycodeMap keycodeMap = {},
                   QObject *parent = nullptr);
    ~HotKeyRecorder() override;

    bool isRecording() const { return m_recording; }
    QString label() const;
    // Why the last key was refused, or why the hot key does not work.
    QString hintText() const;

    // The window whose key presses are recorded.
    void setWindow(QWindow *window) { m_window = window; }

    Q_INVOKABLE void toggle();
    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void resetToDefault();

    // One key press while recording; true when it was consumed.
    bool handleKeyPress(const QKeyEvent &event);

Q_SIGNALS:
    void recordingChanged(bool recording);
    void labelChanged();
    void hintTextChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<quint32> keysymOf(const QKeyEvent &event) const;
    void setRefused(bool refused);

    AppSettings &m_settings;
    QPointer<HotKeyManager> m_manager;
    KeycodeMap m_keycodeMap;
    QPointer<QWindow> m_window;
    bool m_recording = false;
    bool m_refused = false;
};

} // namespace holdra
