#pragma once

#include "Models/StashItemKind.h"
#include "Storage/StoredFile.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QUuid>

#include <optional>

namespace holdra {

// The record of one stashed thing: a copied file, an image, a text, a link or a
// voice recording. A plain value; the note is always kept normalised.
class StashItem
{
public:
    // A null item, only so that containers and the meta-type system can hold items.
    StashItem() = default;
    StashItem(QUuid id, StashItemKind kind, QString displayName, QDateTime createdAt, bool locked,
              std::optional<QString> note, std::optional<QString> relativePath, std::optional<qint64> byteSize,
              std::optional<QString> originalFileName, std::optional<QString> contentHash,
              std::optional<int> pixelWidth, std::optional<int> pixelHeight, std::optional<QString> text,
              std::optional<QString> urlString, std::optional<QString> linkTitle,
              std::optional<double> durationSeconds);

    static StashItem makeText(const QString &text, const QDateTime &createdAt, const QUuid &id = QUuid::createUuid());
    static StashItem makeLink(const QString &urlString, const std::optional<QString> &title, const QDateTime &createdAt,
                              const QUuid &id = QUuid::createUuid());
    static StashItem makeFile(const StoredFile &stored, const QDateTime &createdAt,
                              const QUuid &id = QUuid::createUuid());
    static StashItem makeImage(const StoredFile &stored, const std::optional<QSizeF> &pixelSize,
                               const QDateTime &createdAt, const QUuid &id = QUuid::createUuid());
    // Without a display name the item is called "录音 · " and the creation time.
    static StashItem makeAudio(const StoredFile &stored, std::optional<double> durationSeconds,
                               const std::optional<QString> &displayName, const QDateTime &createdAt,
                               const QUuid &id = QUuid::createUuid());

    // Trimmed of white space, empty becomes nothing, at most 500 characters.
    static std::optional<QString> normalizedNote(const std::optional<QString> &note);
    // The first two non-blank lines joined by a space, at most 120 characters.
    static QString summary(const QString &text);
    // image/* names are images, audio/* names recordings, anything else (and every folder) a file.
    static StashItemKind inferredKind(const QString &fileName, bool isDirectory);
    // "m:ss", minutes unbounded.
    static QString durationText(double seconds);
    static QSet<QUuid> ids(const QList<StashItem> &items);

    const QUuid &id() const { return m_id; }
    StashItemKind kind() const { return m_kind; }
    const QString &displayName() const { return m_displayName; }
    const QDateTime &createdAt() const { return m_createdAt; }
    bool locked() const { return m_locked; }
    const std::optional<QString> &note() const { return m_note; }
    const std::optional<QString> &relativePath() const { return m_relativePath; }
    std::optional<qint64> byteSize() const { return m_byteSize; }
    const std::optional<QString> &originalFileName() const { return m_originalFileName; }
    const std::optional<QString> &contentHash() const { return m_contentHash; }
    std::optional<int> pixelWidth() const { return m_pixelWidth; }
    std::optional<int> pixelHeight() const { return m_pixelHeight; }
    const std::optional<QString> &text() const { return m_text; }
    const std::optional<QString> &urlString() const { return m_urlString; }
    const std::optional<QString> &linkTitle() const { return m_linkTitle; }
    std::optional<double> durationSeconds() const { return m_durationSeconds; }

    void setKind(StashItemKind kind) { m_kind = kind; }
    void setDisplayName(const QString &name) { m_displayName = name; }
    void setCreatedAt(const QDateTime &createdAt) { m_createdAt = createdAt; }
    void setLocked(bool locked) { m_locked = locked; }
    // Stores the normalised form.
    void setNote(const std::optional<QString> &note) { m_note = normalizedNote(note); }
    void setRelativePath(const std::optional<QString> &path) { m_relativePath = path; }
    void setByteSize(std::optional<qint64> size) { m_byteSize = size; }
    void setOriginalFileName(const std::optional<QString> &name) { m_originalFileName = name; }
    void setContentHash(const std::optional<QString> &hash) { m_contentHash = hash; }
    void setPixelWidth(std::optional<int> width) { m_pixelWidth = width; }
    void setPixelHeight(std::optional<int> height) { m_pixelHeight = height; }
    void setText(const std::optional<QString> &text) { m_text = text; }
    void setUrlString(const std::optional<QString> &url) { m_urlString = url; }
    void setLinkTitle(const std::optional<QString> &title) { m_linkTitle = title; }
    void setDurationSeconds(std::optional<double> seconds) { m_durationSeconds = seconds; }

    // The note on one line: runs of white space become one space.
    std::optional<QString> notePreview() const;
    // "W × H" when both dimensions are known.
    std::optional<QString> pixelSizeText() const;
    std::optional<QString> byteSizeText() const;
    std::optional<QString> durationText() const;
    // File name for dragging a text item out as a file.
    QString txtFileName() const;

    friend bool operator==(const StashItem &, const StashItem &) = default;

private:
    QUuid m_id;
    StashItemKind m_kind = StashItemKind::file;
    QString m_displayName;
    QDateTime m_createdAt;
    bool m_locked = false;
    std::optional<QString> m_note;
    std::optional<QString> m_relativePath;
    std::optional<qint64> m_byteSize;
    std::optional<QString> m_originalFileName;
    std::optional<QString> m_contentHash;
    std::optional<int> m_pixelWidth;
    std::optional<int> m_pixelHeight;
    std::optional<QString> m_text;
    std::optional<QString> m_urlString;
    std::optional<QString> m_linkTitle;
    std::optional<double> m_durationSeconds;
};

} // namespace holdra

Q_DECLARE_METATYPE(holdra::StashItem)
