#include "Desktop/DesktopEntry.h"

#include <QFile>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace holdra {

namespace {

GDesktopAppInfo *infoOf(const std::shared_ptr<void> &info)
{
    return static_cast<GDesktopAppInfo *>(info.get());
}

QString takeText(gchar *text)
{
    const QString out = QString::fromUtf8(text);
    g_free(text);
    return out;
}

} // namespace

DesktopEntry::DesktopEntry(std::shared_ptr<void> info)
    : m_info(std::move(info))
{
}

std::optional<DesktopEntry> DesktopEntry::adopt(void *info)
{
    if (!info)
        return std::nullopt;
    if (!G_IS_DESKTOP_APP_INFO(info)) {
        g_object_unref(info);
        return std::nullopt;
    }
    DesktopEntry entry(std::shared_ptr<void>(info, g_object_unref));
    if (g_desktop_app_info_get_is_hidden(infoOf(entry.m_info)))
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::forDesktopID(const QString &desktopID)
{
    if (desktopID.isEmpty())
        return std::nullopt;
    return adopt(g_desktop_app_info_new(desktopID.toUtf8().constData()));
}

std::optional<DesktopEntry> DesktopEntry::fromFile(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    return adopt(g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData()));
}

std::optional<DesktopEntry> DesktopEntry::defaultForURIScheme(const QString &scheme)
{
    if (scheme.isEmpty())
        return std::nullopt;
    return adopt(g_app_info_get_default_for_uri_scheme(scheme.toUtf8().constData()));
}

std::optional<DesktopEntry> DesktopEntry::defaultForMimeType(const QString &mimeType)
{
    if (mimeType.isEmpty())
        return std::nullopt;
    return adopt(g_app_info_get_default_for_type(mimeType.toUtf8().constData(), FALSE));
}

QString DesktopEntry::executable() const
{
    return QFile::decodeName(g_app_info_get_executable(G_APP_INFO(infoOf(m_info))));
}

QString DesktopEntry::desktopID() const
{
    return QString::fromUtf8(g_app_info_get_id(G_APP_INFO(infoOf(m_info))));
}

QString DesktopEntry::filePath() const
{
    return QFile::decodeName(g_desktop_app_info_get_filename(infoOf(m_info)));
}

std::optional<QString> DesktopEntry::value(const QString &key) const
{
    const QByteArray name = key.toUtf8();
    if (!g_desktop_app_info_has_key(infoOf(m_info), name.constData()))
        return std::nullopt;
    return takeText(g_desktop_app_info_get_string(infoOf(m_info), name.constData()));
}

QString DesktopEntry::launch(const QUrl &url) const
{
    const QByteArray encoded = url.toEncoded();
    GList uris{const_cast<char *>(encoded.constData()), nullptr, nullptr};
    GError *error = nullptr;
    if (g_app_info_launch_uris(G_APP_INFO(infoOf(m_info)), &uris, nullptr, &error))
        return {};
    const QString reason = error ? QString::fromUtf8(error->message) : QStringLiteral("the application did not start");
    g_clear_error(&error);
    return reason;
}

} // namespace holdra
