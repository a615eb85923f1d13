#include "App/StatusItemController.h"

#include "App/UpdaterModel.h"
#include "Settings/AppSettings.h"
#include "Store/StashStore.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QSystemTrayIcon>

namespace holdra {

namespace {

// The StatusNotifierItem hosts' registry (KDE, GNOME's AppIndicator extension,
// snixembed). XEmbed trays announce themselves with a MANAGER message, which
// Qt's own tray icon follows once it has been shown.
const QString statusNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// A press that closes the open panel as an outside click and the activation
// of the same click arrive this close together.
constexpr qint64 sameClickMs = 500;

} // namespace

StatusItemController::StatusItemController(StashStore *store, AppSettings *settings, UpdaterModel *updater,
                                           QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_updater(updater)
    , m_menu(std::make_unique<QMenu>())
    , m_trayIcon(new QSystemTrayIcon(this))
{
    // Two-toned, not a mask: a tinted mask vanishes on trays that tint it wrongly.
    m_trayIcon->setIcon(QIcon::fromTheme(QStringLiteral("holdra-symbolic"), QIcon(QStringLiteral(":/holdra-symbolic.svg"))));
    m_trayIcon->setToolTip(QStringLiteral("栖物匣 — 文件、文字、链接，先栖物匣。"));
    m_menu->setAccessibleName(QStringLiteral("栖物匣"));
    m_trayIcon->setContextMenu(m_menu.get());
    connect(m_menu.get(), &QMenu::aboutToShow, this, &StatusItemController::menuNeedsUpdate);
    // A left click on the icon opens the panel, as the first row does.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { handleActivation(reason); });
    m_hostWatcher = new QDBusServiceWatcher(statusNotifierWatcher, QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_hostWatcher, &QDBusServiceWatcher::serviceRegistered, this, &StatusItemController::reshow);
    if (m_updater) {
        // A check asked for from the menu answers in a tray message; daily ones stay quiet.
        connect(m_updater, &UpdaterModel::checkFinished, this, [this] {
            if (!m_reportNextCheck || !m_updater)
                return;
            m_reportNextCheck = false;
            m_trayIcon->showMessage(QStringLiteral("栖物匣"), m_updater->statusText());
        });
        connect(m_trayIcon, &QSystemTrayIcon::messageClicked, this, [this] {
            if (m_updater && m_updater->state() == UpdaterModel::State::UpdateAvailable)
                m_updater->openDownloadPage();
        });
    }
    menuNeedsUpdate();
}

StatusItemController::~StatusItemController() = default;

void StatusItemController::show()
{
    m_shown = true;
    m_trayIcon->show();
}

void StatusItemController::reshow()
{
    if (!m_shown)
        return;
    m_trayIcon->hide();
    m_trayIcon->show();
}

void StatusItemController::notePanelClosed()
{
    m_sincePanelClosed.start();
}

void StatusItemController::handleActivation(int reason)
{
    if (reason != QSystemTrayIcon::Trigger)
        return;
    if (m_sincePanelClosed.isValid() && m_sincePanelClosed.elapsed() < sameClickMs) {
        m_sincePanelClosed.invalidate();
        return;
    }
    Q_EMIT togglePanelRequested();
}

void StatusItemController::menuNeedsUpdate()
{
    m_menu->clear();
    addAction(QStringLiteral("打开暂存面板"), &StatusItemController::togglePanelRequested);
    m_menu->addSeparator();

    const int count = m_store ? m_store->count() : 0;
    const QString size = m_store ? m_store->totalByteSizeText() : QString();
    QAction *summary = m_menu->addAction(QString::number(count) + QStringLiteral(" 个项目 · ") + size);
    summary->setEnabled(false);
    m_menu->addSeparator();

    // Builds without the update check have no updater and no update rows.
    if (m_updater) {
        QAction *check = m_menu->addAction(QStringLiteral("检查更新…"));
        connect(check, &QAction::triggered, this, [this] {
            if (!m_updater)
                return;
            m_reportNextCheck = true;
            m_updater->checkForUpdates();
        });
        QAction *changelog = m_menu->addAction(QStringLiteral("查看更新日志…"));
        connect(changelog, &QAction::triggered, this, &StatusItemController::openChangelog);
    }

    QAction *settings = addAction(QStringLiteral("设置…"), &StatusItemController::openSettingsRequested);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QAction *quit = addAction(QStringLiteral("退出栖物匣"), &StatusItemController::quitRequested);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void StatusItemController::openChangelog() const
{
    if (m_updater)
        m_updater->openChangelog();
}

QAction *StatusItemController::addAction(const QString &title, void (StatusItemController::*signal)())
{
    QAction *action = m_menu->addAction(title);
    connect(action, &QAction::triggered, this, signal);
    return action;
}

} // namespace holdra
