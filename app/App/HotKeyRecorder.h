#pragma once

#include "HotKey/GlobalHotKey.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

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
    QML_ELEMENT
    QML_UNCREATABLE("The settings window owns the recorder.")
    Q_PROPERTY(bool recording READ isRecording NOTIFY recordingChanged)
    Q_PROPERTY(QString label READ label NOTIFY labelChanged)
    Q_PROPERTY(QString hintText READ hintText NOTIFY hintTextChanged)

public:
    // The keysym on an X keycode's first level (PlatformServices::keycodeMap); none known by default.
    using KeycodeMap = std::function<std::optional<quint32>(quint32 keycode)>;

    static constexpr auto recordingLabel = "按下快捷键…";
    // %1 is the key's name.
    static constexpr auto refusedKeyHint =
        "“%1”不能用作快捷键：快捷键存为通用键码，只能用字母、数字、标点、F1–F20、小键盘、方向键和"
        "编辑键（Home、End、PgUp、PgDown、Del 等），请换一个键。";

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
    void setRefusedKey(const QString &keyName);

    AppSettings &m_settings;
    QPointer<HotKeyManager> m_manager;
    KeycodeMap m_keycodeMap;
    QPointer<QWindow> m_window;
    bool m_recording = false;
    // The name of the key refused last; empty when none was.
    QString m_refusedKey;
};

} // namespace holdra
