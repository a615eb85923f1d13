#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace holdra {

// Previews stored files: GNOME's previewer (Sushi) when the session bus runs
// it or can start it and it does not answer with an error, else Holdra's own
// window, made on first use and reused.
class QuickLookCoordinator : public QObject
{
    Q_OBJECT

public:
    // Empty on success, else what to tell the user (see ItemActions::openWithDesktop).
    using URLOpener = std::function<QString(const QUrl &)>;

    // The own window is made on `engine`, which must outlive the coordinator.
    explicit QuickLookCoordinator(QQmlEngine &engine, QObject *parent = nullptr);
    ~QuickLookCoordinator() override;

    // The "打开" button of the own window; QDesktopServices by default.
    void setURLOpener(URLOpener opener) { m_openURL = std::move(opener); }
    void setSessionBus(const QDBusConnection &bus) { m_bus = bus; }

    // Shows the first file; an empty list is ignored.
    void present(const QList<QUrl> &urls);

    const QList<QUrl> &urls() const { return m_urls; }
    // Holdra's own window, once it has been needed.
    QQuickWindow *window() const { return m_window.get(); }

    // Texts larger than this are shown cut short.
    static constexpr qint64 maximumTextBytes = 1024 * 1024;

Q_SIGNALS:
    void failed(const QString &message);

private Q_SLOTS:
    void openShownFile();

private:
    bool showInSushi(const QUrl &url);
    bool makeWindow();
    void showOwnWindow(const QUrl &url);

    URLOpener m_openURL;
    QDBusConnection m_bus;
    QList<QUrl> m_urls;
    QQmlEngine &m_engine;
    std::unique_ptr<QQuickWindow> m_window;
};

} // namespace holdra
