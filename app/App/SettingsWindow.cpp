#include "App/SettingsWindow.h"

#include "App/ConnectedDisplayList.h"
#include "App/HotKeyRecorder.h"
#include "App/UpdaterModel.h"
#include "Integration/KelvarnIntegrationContract.h"
#include "Panel/ModuleViews.h"
#include "Settings/AppSettings.h"
#include "Support/BuildNumber.h"

#include <QDebug>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>

namespace holdra {

SettingsWindow::SettingsWindow(QQmlEngine &engine, Services services, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_services(services)
{
    // The list follows the application coming to the front, as it does display changes.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_window && m_window->isVisible() && m_services.displays)
            m_services.displays->refresh();
    });
}

SettingsWindow::~SettingsWindow()
{
    if (m_services.recorder)
        m_services.recorder->stop();
}

QString SettingsWindow::versionText(const QString &version, const QString &buildNumber)
{
    auto orMissing = [](const QString &text) { return text.isEmpty() ? QStringLiteral("?") : text; };
    return orMissing(version) + QStringLiteral(" (") + orMissing(buildNumber) + QStringLiteral(")");
}

QString SettingsWindow::versionText()
{
    return versionText(QStringLiteral(HOLDRA_VERSION), QString::fromLatin1(buildNumber()));
}

bool SettingsWindow::create()
{
    const QVariantMap properties{
        {QStringLiteral("settings"), QVariant::fromValue(m_services.settings)},
        {QStringLiteral("updater"), QVariant::fromValue(m_services.updater)},
        {QStringLiteral("displays"), QVariant::fromValue(m_services.displays)},
        {QStringLiteral("recorder"), QVariant::fromValue(m_services.recorder)},
        {QStringLiteral("versionText"), versionText()},
        {QStringLiteral("kelvarnHomepage"), KelvarnIntegrationContract::homepageURL()},
    };
    m_window = ModuleViews::make<QQuickWindow>(m_engine, QStringLiteral("SettingsView"), properties, &m_error);
    if (!m_window)
        return false;
    QQuickWindow *window = m_window.get();
    if (m_services.recorder) {
        m_services.recorder->setWindow(window);
        // Closing the window ends a recording and gives the hot key back.
        connect(window, &QWindow::visibleChanged, m_services.recorder, [recorder = m_services.recorder](bool visible) {
            if (!visible)
                recorder->stop();
        });
    }
    return true;
}

void SettingsWindow::show()
{
    if (!m_window && !create())
        return;
    if (m_services.displays)
        m_services.displays->refresh();
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

} // namespace holdra
