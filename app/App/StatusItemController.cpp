#include "App/StatusItemController.h"

#include "App/TrayPresence.h"
#include "App/UpdaterModel.h"
#include "Settings/AppSettings.h"
#include "Store/StashStore.h"

#include <QAction>
#include <QMenu>

namespace holdra {

namespace {

// A press that closes the open panel as an outside click and the activation
// of the same click arrive this close together.
constexpr qint64 sameClickMs = 500;

} // namespace

StatusItemController::StatusItemController(StashStore *store, AppSettings *settings, UpdaterModel *updater,
                                           const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_updater(updater)
    , m_menu(std::make_unique<QMenu>())
{
    m_menu->setAccessibleName(QStringLiteral("栖物匣"));
    connect(m_menu.get(), &QMenu::aboutToShow, this, &StatusItemController::menuNeedsUpdate);
    menuNeedsUpdate();
    // Two-toned, not a mask: a tinted mask vanishes on trays that tint it wrongly.
    const QString iconName = QStringLiteral("holdra-symbolic");
    TrayPresence::Look look{QIcon::fromTheme(iconName, QIcon(QStringLiteral(":/holdra-symbolic.svg"))), iconName,
                            QStringLiteral("栖物匣"), QStringLiteral("文件、文字、链接，先栖物匣。")};
    m_tray = new TrayPresence(m_menu.get(), std::move(look), bus, this);
    // A left click on the icon opens the panel, as the first row does.
    connect(m_tray, &TrayPresence::activated, this, &StatusItemController::handleActivation);
    if (m_updater) {
        // A check asked for from the menu answers in a tray message; daily ones stay quiet.
        connect(m_updater, &UpdaterModel::checkFinished, this, [this] {
            if (!m_reportNextCheck || !m_updater)
                return;
            m_reportNextCheck = false;
            m_tray->showMessage(QStringLiteral("栖物匣"), m_updater->statusText());
        });
        connect(m_tray, &TrayPresence::messageClicked, this, [this] {
            if (m_updater && m_updater->state() == UpdaterModel::State::UpdateAvailable)
                m_updater->openDownloadPage();
        });
    }
}

StatusItemController::~StatusItemController() = default;

void StatusItemController::show()
{
    m_tray->show();
}

void StatusItemController::notePanelClosed()
{
    m_sincePanelClosed.start();
}

void StatusItemController::handleActivation()
{
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
