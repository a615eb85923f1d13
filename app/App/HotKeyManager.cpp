#include "App/HotKeyManager.h"

#include "App/AppLogging.h"
#include "Platform/HotKeyBackend.h"
#include "Settings/AppSettings.h"

namespace holdra {

HotKeyManager::HotKeyManager(AppSettings *settings, std::unique_ptr<HotKeyBackend> backend, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_backend(std::move(backend))
{
    connect(m_backend.get(), &HotKeyBackend::activated, this, [this] {
        if (!m_suspended)
            Q_EMIT hotKeyPressed();
    });
    connect(m_backend.get(), &HotKeyBackend::stateChanged, this, &HotKeyManager::registrationChanged);
    if (settings) {
        connect(settings, &AppSettings::hotKeyChanged, this, &HotKeyManager::registerHotKey);
        registerHotKey(settings->hotKey());
    }
}

HotKeyManager::~HotKeyManager() = default;

void HotKeyManager::registerHotKey(const GlobalHotKey &hotKey)
{
    m_hotKey = hotKey;
    apply();
}

bool HotKeyManager::isRegistered() const
{
    return !m_suspended && m_backend->isBound();
}

QString HotKeyManager::registrationFailureText() const
{
    return m_backend->failureText();
}

QString HotKeyManager::bindingText() const
{
    return m_backend->bindingText();
}

void HotKeyManager::setSuspended(bool suspended)
{
    if (m_suspended == suspended)
        return;
    m_suspended = suspended;
    apply();
    Q_EMIT suspendedChanged(suspended);
}

void HotKeyManager::apply()
{
    if (m_suspended)
        m_backend->release();
    else
        m_backend->bind(m_hotKey);
}

} // namespace holdra
