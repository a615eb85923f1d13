#include "App/QuickLookCoordinator.h"
#include "App/ItemActions.h"
#include "App/WindowPlacement.h"
#include "Desktop/SessionService.h"
#include "Panel/ModuleViews.h"

#include "Support/ByteCount.h"

#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QQuickWindow>
#include <QStringDecoder>

namespace holdra {

namespace {

const QString sushiService = QStringLiteral("org.gnome.NautilusPreviewer");

QString kindOf(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (type.name().startsWith(u"image/"))
        return QStringLiteral("image");
    if (type.name().startsWith(u"audio/"))
        return QStringLiteral("audio");
    if (type.inherits(QStringLiteral("text/plain")))
        return QStringLiteral("text");
    return QStringLiteral("other");
}

QString leadingText(const QString &path, qint64 maximumBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder.decode(file.read(maximumBytes));
}

} // namespace

QuickLookCoordinator::QuickLookCoordinator(QQmlEngine &engine, QObject *parent)
    : QObject(parent)
    , m_openURL(&ItemActions::openWithDesktop)
    , m_bus(QDBusConnection::sessionBus())
    , m_engine(engine)
{
}

QuickLookCoordinator::~QuickLookCoordinator() = default;

void QuickLookCoordinator::present(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    m_urls = urls;
    if (!showInSushi(urls.first()))
        showOwnWindow(urls.first());
}

bool QuickLookCoordinator::showInSushi(const QUrl &url)
{
    QDBusMessage call = QDBusMessage::createMethodCall(sushiService, QStringLiteral("/org/gnome/NautilusPreviewer"),
                                                       sushiService, QStringLiteral("ShowFile"));
    call << url.toString(QUrl::FullyEncoded) << 0 << false;
    return SessionService::call(m_bus, call, this, [this, url] { showOwnWindow(url); });
}

bool QuickLookCoordinator::makeWindow()
{
    m_window = ModuleViews::make<QQuickWindow>(m_engine, QStringLiteral("ItemPreviewWindow"));
    if (!m_window)
        return false;
    connect(m_window.get(), SIGNAL(openRequested()), this, SLOT(openShownFile()));
    return true;
}

void QuickLookCoordinator::openShownFile()
{
    if (m_urls.isEmpty())
        return;
    if (const QString error = m_openURL(m_urls.first()); !error.isEmpty())
        Q_EMIT failed(error);
}

void QuickLookCoordinator::showOwnWindow(const QUrl &url)
{
    if (!m_window && !makeWindow())
        return;
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    const QString kind = kindOf(path);
    m_window->setProperty("fileUrl", url);
    m_window->setProperty("fileName", info.fileName());
    m_window->setProperty("sizeText", info.isFile() ? formattedByteCount(info.size()) : QString());
    m_window->setProperty("kind", kind);
    m_window->setProperty("text", kind == u"text" ? leadingText(path, maximumTextBytes) : QString());
    if (!m_window->isVisible())
        WindowPlacement::fitOnScreen(m_window.get());
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

} // namespace holdra
