#pragma once

#include "Models/StashItem.h"

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
    // Opens a URL with the desktop's handler; QDesktopServices by default.
    using URLOpener = std::function<bool(const QUrl &)>;

    explicit ItemActions(StashStore &store, QObject *parent = nullptr);

    void setURLOpener(URLOpener opener) { m_openURL = std::move(opener); }
    // Below which dragged text is written as a file, in "HoldraDrag"; Holdra's
    // private temporary directory under $XDG_RUNTIME_DIR by default.
    void setTemporaryDirectory(const QString &path) { m_temporaryDirectory = path; }

    // The clipboard data for `items`: text/uri-list of the stored copies and
    // link URLs in item order, x-special/gnome-copied-files for the copies (so
    // file managers paste the files) and text/plain (the texts, or else the
    // URLs and paths one per line). Nothing when no item contributes.
    std::unique_ptr<QMimeData> copyData(const QList<StashItem> &items) const;
    // Replaces the clipboard's contents; an empty list leaves it alone, a list
    // of items that contribute nothing leaves it cleared.
    void copyItems(const QList<StashItem> &items, QClipboard &clipboard) const;

    // Links in the browser, files and images in their default application;
    // texts and recordings have their own views.
    void open(const StashItem &item) const;
    // Shows the stored copy selected in the file manager, or at least its folder.
    void reveal(const StashItem &item) const;
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

    // Row entry points for QML, by item identifier.
    Q_INVOKABLE void copyItems(const QStringList &itemIDs) const;
    Q_INVOKABLE void open(const QString &itemID) const;
    Q_INVOKABLE void reveal(const QString &itemID) const;

    // The folder of dragged-out text files of one item: "HoldraDrag/<ID>".
    QString textDragDirectory(const StashItem &item) const;

private:
    // Writes the text of a text item to its own file, replacing what an earlier
    // drag left there; none when it cannot be written.
    std::optional<QUrl> writeTextFile(const StashItem &item) const;
    std::optional<StashItem> item(const QString &itemID) const;
    std::optional<QUrl> storedFileURL(const StashItem &item) const;
    // The URL of a link item, when its string is one.
    static std::optional<QUrl> linkURL(const StashItem &item);

    StashStore &m_store;
    URLOpener m_openURL;
    QString m_temporaryDirectory;
};

} // namespace holdra
