#include "App/ItemActions.h"

#include "Store/StashStore.h"

#include <QClipboard>
#include <QDir>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDrag>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QSaveFile>

namespace holdra {

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");

QByteArray gnomeCopiedFiles(const QList<QUrl> &files)
{
    QByteArray payload("copy");
    for (const QUrl &url : files)
        payload += '\n' + url.toEncoded();
    return payload;
}

bool isFileBacked(const StashItem &item)
{
    return item.kind() == StashItemKind::file || item.kind() == StashItemKind::image
        || item.kind() == StashItemKind::audio;
}

QString itemText(const StashItem &item)
{
    return item.text().value_or(item.displayName());
}

} // namespace

ItemActions::ItemActions(StashStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_openURL([](const QUrl &url) { return QDesktopServices::openUrl(url); })
    , m_temporaryDirectory(QDir::tempPath())
{
}

std::optional<QUrl> ItemActions::storedFileURL(const StashItem &item) const
{
    if (!isFileBacked(item))
        return std::nullopt;
    const std::optional<QString> path = m_store.absolutePath(item);
    if (!path)
        return std::nullopt;
    return QUrl::fromLocalFile(*path);
}

std::optional<QUrl> ItemActions::linkURL(const StashItem &item)
{
    if (!item.urlString())
        return std::nullopt;
    const QUrl url(*item.urlString(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
}

std::unique_ptr<QMimeData> ItemActions::copyData(const QList<StashItem> &items) const
{
    QList<QUrl> urls;
    QList<QUrl> files;
    QStringList texts;
    QStringList locations;
    for (const StashItem &item : items) {
        if (item.kind() == StashItemKind::text) {
            texts.append(itemText(item));
        } else if (item.kind() == StashItemKind::link) {
            if (const std::optional<QUrl> url = linkURL(item)) {
                urls.append(*url);
                locations.append(url->toString());
            } else if (item.urlString()) {
                texts.append(*item.urlString());
            }
        } else if (const std::optional<QUrl> file = storedFileURL(item)) {
            urls.append(*file);
            files.append(*file);
            locations.append(file->toLocalFile());
        }
    }
    if (urls.isEmpty() && texts.isEmpty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    if (!urls.isEmpty())
        data->setUrls(urls);
    if (!files.isEmpty())
        data->setData(QStringLiteral("x-special/gnome-copied-files"), gnomeCopiedFiles(files));
    // Editors and terminals get the words when there are any, else where things are.
    data->setText((texts.isEmpty() ? locations : texts).join(u'\n'));
    return data;
}

void ItemActions::copyItems(const QList<StashItem> &items, QClipboard &clipboard) const
{
    if (items.isEmpty())
        return;
    clipboard.clear();
    if (std::unique_ptr<QMimeData> data = copyData(items))
        clipboard.setMimeData(data.release());
}

void ItemActions::open(const StashItem &item) const
{
    if (item.kind() == StashItemKind::link) {
        if (const std::optional<QUrl> url = linkURL(item))
            m_openURL(*url);
        return;
    }
    if (item.kind() != StashItemKind::file && item.kind() != StashItemKind::image)
        return;
    if (const std::optional<QUrl> file = storedFileURL(item))
        m_openURL(*file);
}

void ItemActions::reveal(const StashItem &item) const
{
    const std::optional<QUrl> file = storedFileURL(item);
    if (!file)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(fileManagerService)) {
        QDBusMessage call = QDBusMessage::createMethodCall(fileManagerService, QStringLiteral("/org/freedesktop/FileManager1"),
                                                           fileManagerService, QStringLiteral("ShowItems"));
        call << QStringList{file->toString(QUrl::FullyEncoded)} << QString();
        if (bus.send(call))
            return;
    }
    m_openURL(QUrl::fromLocalFile(QFileInfo(file->toLocalFile()).absolutePath()));
}

QString ItemActions::textDragDirectory(const StashItem &item) const
{
    return QDir(m_temporaryDirectory)
        .filePath(QStringLiteral("HoldraDrag/") + item.id().toString(QUuid::WithoutBraces).toUpper());
}

std::unique_ptr<QMimeData> ItemActions::dragData(const StashItem &item) const
{
    auto data = std::make_unique<QMimeData>();
    switch (item.kind()) {
    case StashItemKind::text: {
        const QString text = itemText(item);
        const QString directory = textDragDirectory(item);
        // Rewritten on every drag: the receiver may read it long after the drag began.
        QSaveFile file(QDir(directory).filePath(item.txtFileName()));
        if (QDir().mkpath(directory) && file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0
            && file.commit())
            data->setUrls({QUrl::fromLocalFile(file.fileName())});
        data->setText(text);
        break;
    }
    case StashItemKind::link:
        if (const std::optional<QUrl> url = linkURL(item)) {
            data->setUrls({*url});
            data->setText(url->toString());
        } else {
            data->setText(item.urlString().value_or(item.displayName()));
        }
        break;
    case StashItemKind::file:
    case StashItemKind::image:
    case StashItemKind::audio:
        if (const std::optional<QUrl> file = storedFileURL(item)) {
            data->setUrls({*file});
            data->setData(QStringLiteral("x-special/gnome-copied-files"), gnomeCopiedFiles({*file}));
        }
        break;
    }
    return data;
}

std::optional<StashItem> ItemActions::item(const QString &itemID) const
{
    const QUuid id(itemID);
    for (const StashItem &candidate : m_store.items()) {
        if (candidate.id() == id)
            return candidate;
    }
    return std::nullopt;
}

void ItemActions::copyItems(const QStringList &itemIDs) const
{
    QList<StashItem> items;
    for (const QString &itemID : itemIDs) {
        if (const std::optional<StashItem> found = item(itemID))
            items.append(*found);
    }
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        copyItems(items, *clipboard);
}

void ItemActions::open(const QString &itemID) const
{
    if (const std::optional<StashItem> found = item(itemID))
        open(*found);
}

void ItemActions::reveal(const QString &itemID) const
{
    if (const std::optional<StashItem> found = item(itemID))
        reveal(*found);
}

void ItemActions::startDrag(const QString &itemID, QObject *source) const
{
    const std::optional<StashItem> found = item(itemID);
    if (!found || !source)
        return;
    auto *drag = new QDrag(source);
    drag->setMimeData(dragData(*found).release());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace holdra
