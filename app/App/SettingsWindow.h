#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace holdra {

class AppSettings;
class ConnectedDisplayList;
class HotKeyRecorder;
class UpdaterModel;

// The one ordinary window of Holdra: made the first time it is asked for,
// reused afterwards, brought to the front each time.
class SettingsWindow : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        AppSettings *settings = nullptr;
        UpdaterModel *updater = nullptr;
        ConnectedDisplayList *displays = nullptr;
        HotKeyRecorder *recorder = nullptr;
    };

    // Everything in `services` and `engine` must outlive the window.
    SettingsWindow(QQmlEngine &engine, Services services, QObject *parent = nullptr);
    ~SettingsWindow() override;

    // "0.1.0 (abc1234567)"; a missing part reads "?".
    static QString versionText(const QString &version, const QString &buildNumber);
    static QString versionText();

    // Creates the window when needed, refreshes the display list, shows it
    // and asks the window manager to activate it.
    void show();
    QQuickWindow *window() const { return m_window.get(); }
    // What went wrong making the window, for the log.
    QString errorString() const { return m_error; }

private:
    bool create();

    QQmlEngine &m_engine;
    Services m_services;
    std::unique_ptr<QQuickWindow> m_window;
    QString m_error;
};

} // namespace holdra
