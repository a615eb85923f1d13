#include "App/SettingsWindow.h"

#include "App/AppLogging.h"
#include "App/ConnectedDisplayList.h"
#include "App/HotKeyManager.h"
#include "App/HotKeyRecorder.h"
#include "App/UpdaterModel.h"
#include "Integration/KelvarnIntegrationContract.h"
#include "Settings/AppSettings.h"
#include "Store/StashStore.h"
#include "Support/BuildNumber.h"

#include <QDebug>
#include <QGuiApplication>
#include <QQmlComponent>
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
    QQmlComponent component(&m_engine, QUrl(QStringLiteral("qrc:/qt-project.org/imports/Holdra/SettingsView.qml")));
    const QVariantMap properties{
        {QStringLiteral("settings"), QVariant::fromValue<QObject *>(m_services.settings)},
        {QStringLiteral("updater"), QVariant::fromValue<QObject *>(m_services.updater)},
        {QStringLiteral("store"), QVariant::fromValue<QObject *>(m_services.store)},
        {QStringLiteral("hotKeyManager"), QVariant::fromValue<QObject *>(m_services.hotKeyManager)},
        {QStringLiteral("displays"), QVariant::fromValue<QObject *>(m_services.displays)},
        {QStringLiteral("recorder"), QVariant::fromValue<QObject *>(m_services.recorder)},
        {QStringLiteral("versionText"), versionText()},
        {QStringLiteral("kelvarnHomepage"), KelvarnIntegrationContract::homepageURL()},
    };
    // Qt 6.4 crashes creating from a component that failed to load.
    if (!component.isReady()) {
        m_error = component.errorString();
        qCWarning(lcViews).noquote() << "the settings window could not be made:" << m_error;
        return false;
    }
    QObject *object = component.createWithInitialProperties(properties);
    auto *window = qobject_cast<QQuickWindow *>(object);
    if (!window) {
        delete object;
        m_error = component.errorString();
        qCWarning(lcViews).noquote() << "the settings window could not be made:" << m_error;
        return false;
    }
    m_window.reset(window);
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
