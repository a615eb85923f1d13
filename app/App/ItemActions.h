#pragma once

#include "Models/StashItem.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

class QClipboard;
class QMimeData;

namespace holdra {

class StashStore;

// Hands stashed items back out: to the clipboard, to their default
// application, to the file manager and into drags. File-backed items always go
// out as their stored copy, texts and links as strings and URLs.
class ItemActions : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the application")

public:
    // Opens a URL with the desktop's handler, local files never with Holdra
    // (DefaultApplication); returns empty on success, else what to tell the user.
    using URLOpener = std::function<QString(const QUrl &)>;
    static QString openWithDesktop(const QUrl &url);

    explicit ItemActions(StashStore &store, QObject *parent = nullptr);

    void setURLOpener(URLOpener opener) { m_openURL = std::move(opener); }
    // Where the file manager is asked; the session bus by default.
    void setSessionBus(const QDBusConnection &bus) { m_bus = bus; }
    // Below which dragged text is written as a file, in "HoldraDrag"; Holdra's
    // private temporary directory under $XDG_RUNTIME_DIR by default.
    void setTemporaryDirectory(const QString &path) { m_temporaryDirectory = path; }

    // The clipboard data for `items`: text/uri-list of the stored copies and
    // link URLs in item order, x-special/gnome-copied-files for the copies (so
    // file managers paste the files), image/png for the first image and
    // text/plain (the texts, or else the URLs and paths one per line). Nothing
    // when no item contributes.
    std::unique_ptr<QMimeData> copyData(const QList<StashItem> &items) const;
    // Replaces the clipboard's contents; an empty list leaves it alone, a list
    // of items that contribute nothing leaves it cleared.
    void copyItems(const QList<StashItem> &items, QClipboard &clipboard) const;

    // Links in the browser, files and images in their default application;
    // texts and recordings have their own views.
    void open(const StashItem &item) const;
    // Shows the stored copy selected in the file manager (FileManager1, started
    // by the bus when need be), or else its folder in the default file manager.
    void reveal(const StashItem &item);
    // What a drag of the items carries, in item order: the stored copies of
    // files, images and recordings and the .txt files of texts as file URLs
    // (text/uri-list and x-special/gnome-copied-files), links as URLs
    // (text/uri-list and text/x-moz-url), texts and links as text/plain, the
    // first image as image/png, and the items' identifiers, by which a drop back
    // onto the shelf recognises them.
    std::unique_ptr<QMimeData> dragData(const QList<StashItem> &items) const;
    // Drags the items out from `source` (a row of the panel), copying only;
    // returns at once, the drag runs on the event loop.
    void startDrag(const QList<StashItem> &items, QObject *source);
    // Removes the files of dragged texts. Done at start and at quit: a drop
    // target may read a dragged file long after the drag has ended.
    void removeDragScratch() const;

    // The folder of dragged-out text files of one item: "HoldraDrag/<ID>".
    QString textDragDirectory(const StashItem &item) const;

Q_SIGNALS:
    // An item could not be opened or revealed; the sentence says why.
    void failed(const QString &message) const;

private:
    void openOrSay(const QUrl &url) const;
    // Writes the text of a text item to its own file, replacing what an earlier
    // drag left there; none when it cannot be written.
    std::optional<QUrl> writeTextFile(const StashItem &item) const;
    std::optional<QUrl> storedFileURL(const StashItem &item) const;
    // The URL of a link item, when its string is one.
    static std::optional<QUrl> linkURL(const StashItem &item);

    StashStore &m_store;
    URLOpener m_openURL;
    QDBusConnection m_bus;
    QString m_temporaryDirectory;
};

} // namespace holdra
