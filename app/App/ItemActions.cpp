#include "App/ItemActions.h"

#include "App/AppLogging.h"
#include "App/ItemDragData.h"
#include "Desktop/DefaultApplication.h"
#include "Desktop/SessionService.h"
#include "Pasteboard/DropImport.h"
#include "Store/StashStore.h"
#include "Support/AppPaths.h"
#include "Support/PrivateDirectory.h"

#include <QClipboard>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSaveFile>
#include <QTimer>

namespace holdra {

namespace {

const QString dragFolder = QStringLiteral("HoldraDrag");
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

// Below the temporary directory: "HoldraDrag/<ID>".
QString textDragFolder(const StashItem &item)
{
    return dragFolder + u'/' + item.id().toString(QUuid::WithoutBraces).toUpper();
}

QString itemText(const StashItem &item)
{
    return item.text().value_or(item.displayName());
}

} // namespace

ItemActions::ItemActions(StashStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_openURL(&ItemActions::openWithDesktop)
    , m_bus(QDBusConnection::sessionBus())
    , m_temporaryDirectory(AppPaths::temporaryDirectory())
{
}

QString ItemActions::openWithDesktop(const QUrl &url)
{
    if (url.isLocalFile())
        return DefaultApplication::openFile(url.toLocalFile());
    if (QDesktopServices::openUrl(url))
        return {};
    return QStringLiteral("没有可以打开“%1”的应用").arg(url.toDisplayString());
}

void ItemActions::openOrSay(const QUrl &url) const
{
    const QString error = m_openURL(url);
    if (error.isEmpty())
        return;
    Q_EMIT failed(error);
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
    QString imageFile;
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
            if (item.kind() == StashItemKind::image && imageFile.isEmpty())
                imageFile = file->toLocalFile();
        }
    }
    if (urls.isEmpty() && texts.isEmpty())
        return nullptr;
    auto data = std::make_unique<ItemDragData>();
    if (!urls.isEmpty())
        data->setUrls(urls);
    if (!files.isEmpty())
        data->setData(QStringLiteral("x-special/gnome-copied-files"), gnomeCopiedFiles(files));
    // Editors and terminals get the words when there are any, else where things are.
    data->setText((texts.isEmpty() ? locations : texts).join(u'\n'));
    // Image editors and chat windows paste pictures, not paths; converted only
    // when one asks.
    data->setImageFile(imageFile);
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
            openOrSay(*url);
        return;
    }
    if (item.kind() != StashItemKind::file && item.kind() != StashItemKind::image)
        return;
    if (const std::optional<QUrl> file = storedFileURL(item))
        openOrSay(*file);
}

void ItemActions::reveal(const StashItem &item)
{
    const std::optional<QUrl> file = storedFileURL(item);
    if (!file)
        return;
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(file->toLocalFile()).absolutePath());
    QDBusMessage call =
        QDBusMessage::createMethodCall(fileManagerService, QStringLiteral("/org/freedesktop/FileManager1"),
                                       fileManagerService, QStringLiteral("ShowItems"));
    call << QStringList{file->toString(QUrl::FullyEncoded)} << QString();
    if (!SessionService::call(m_bus, call, this, [this, folder] { openOrSay(folder); }))
        openOrSay(folder);
}

QString ItemActions::textDragDirectory(const StashItem &item) const
{
    return QDir(m_temporaryDirectory).filePath(textDragFolder(item));
}

std::optional<QUrl> ItemActions::writeTextFile(const StashItem &item) const
{
    const QString directory = textDragDirectory(item);
    // A renamed item must not leave its older file behind.
    QDir(directory).removeRecursively();
    if (const QString error = PrivateDirectory::make(m_temporaryDirectory, textDragFolder(item)); !error.isEmpty()) {
        qCWarning(lcDrag).noquote() << "no folder for a dragged text:" << error;
        return std::nullopt;
    }
    QSaveFile file(QDir(directory).filePath(item.txtFileName()));
    if (!file.open(QIODevice::WriteOnly) || file.write(itemText(item).toUtf8()) < 0 || !file.commit()) {
        qCWarning(lcDrag).noquote() << "a dragged text was not written:" << file.errorString();
        return std::nullopt;
    }
    return QUrl::fromLocalFile(file.fileName());
}

std::unique_ptr<QMimeData> ItemActions::dragData(const QList<StashItem> &items) const
{
    QList<QUrl> urls;
    QList<QUrl> files;
    QStringList texts;
    QString mozURLs;
    QStringList ids;
    QString imageFile;
    for (const StashItem &item : items) {
        ids.append(item.id().toString(QUuid::WithoutBraces).toUpper());
        switch (item.kind()) {
        case StashItemKind::text:
            if (const std::optional<QUrl> file = writeTextFile(item)) {
                urls.append(*file);
                files.append(*file);
            }
            texts.append(itemText(item));
            break;
        case StashItemKind::link:
            if (const std::optional<QUrl> url = linkURL(item)) {
                urls.append(*url);
                texts.append(url->toString());
                mozURLs += url->toString() + u'\n' + item.displayName() + u'\n';
            } else {
                texts.append(item.urlString().value_or(item.displayName()));
            }
            break;
        case StashItemKind::file:
        case StashItemKind::image:
        case StashItemKind::audio:
            if (const std::optional<QUrl> file = storedFileURL(item)) {
                urls.append(*file);
                files.append(*file);
                if (item.kind() == StashItemKind::image && imageFile.isEmpty())
                    imageFile = file->toLocalFile();
            }
            break;
        }
    }
    auto data = std::make_unique<ItemDragData>();
    if (!urls.isEmpty())
        data->setUrls(urls);
    if (!files.isEmpty())
        data->setData(QStringLiteral("x-special/gnome-copied-files"), gnomeCopiedFiles(files));
    if (!mozURLs.isEmpty()) {
        // Browsers read it as UTF-16: a URL and its title per pair of lines.
        mozURLs.chop(1);
        data->setData(QStringLiteral("text/x-moz-url"),
                      QByteArray(reinterpret_cast<const char *>(mozURLs.utf16()), mozURLs.size() * 2));
    }
    if (!texts.isEmpty())
        data->setText(texts.join(u'\n'));
    data->setImageFile(imageFile);
    if (!ids.isEmpty())
        data->setData(DropImport::draggedItemsFormat(), ids.join(u'\n').toUtf8());
    return data;
}

void ItemActions::startDrag(const QList<StashItem> &items, QObject *source)
{
    if (items.isEmpty())
        return;
    // Owned by the drag once it starts; until then by this object.
    QMimeData *data = dragData(items).release();
    data->setParent(this);
    // The row lets go of the pointer: the drag takes the rest of this press.
    if (auto *item = qobject_cast<QQuickItem *>(source)) {
        if (QQuickWindow *window = item->window()) {
            if (QQuickItem *grabber = window->mouseGrabberItem())
                grabber->ungrabMouse();
        }
    }
    // Started from the event loop, not inside the view's delivery of the move.
    QTimer::singleShot(0, this, [this, data] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton) {
            delete data;
            return;
        }
        // Qt deletes the drag, and with it the data, when it ends.
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    });
}

void ItemActions::removeDragScratch() const
{
    QDir(QDir(m_temporaryDirectory).filePath(dragFolder)).removeRecursively();
}

} // namespace holdra
