#include "Store/TextCopyMemo.h"

#include "Storage/AtomicFile.h"
#include "Storage/FileIdentity.h"
#include "Storage/RegularFile.h"
#include "Support/PrivateDirectory.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace holdra {

namespace {

constexpr qint64 largestMemo = 64 * 1024 * 1024;
constexpr int memoVersion = 1;

} // namespace

TextCopyMemo::TextCopyMemo(QString memoPath, const QString &copiesDirectory)
    : m_path(std::move(memoPath))
{
    if (!copiesDirectory.isEmpty())
        m_copiesFd = ::open(QFile::encodeName(copiesDirectory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_path.isEmpty())
        return;
    const std::optional<QByteArray> bytes = RegularFile::readAll(m_path, largestMemo);
    if (!bytes)
        return;
    const QCborMap memo = QCborValue::fromCbor(*bytes).toMap();
    if (memo.value(QStringLiteral("version")).toInteger() != memoVersion)
        return;
    for (const QCborValue &value : memo.value(QStringLiteral("copies")).toArray()) {
        const QCborArray fields = value.toArray();
        if (fields.size() != 5 || !fields.at(0).isString())
            continue;
        const QCborValue text = fields.at(4);
        Entry entry{{fields.at(1).toInteger(), fields.at(2).toInteger(), quint64(fields.at(3).toInteger()), true},
                    text.isString() ? std::optional(text.toString()) : std::nullopt};
        m_loaded.insert(fields.at(0).toString(), entry);
    }
}

TextCopyMemo::~TextCopyMemo()
{
    if (m_copiesFd >= 0)
        ::close(m_copiesFd);
}

QString TextCopyMemo::defaultPath(const QString &supportDirectory)
{
    return PrivateDirectory::cacheFile(QStringLiteral("text-copies-"), supportDirectory);
}

namespace {

TextCopyMemo::Copy copyOf(int result, const struct stat &status)
{
    if (result != 0 || !S_ISREG(status.st_mode))
        return {};
    const FileIdentity identity = FileIdentity::of(status);
    return {identity.size, identity.changedNs, identity.inode, identity.settled()};
}

} // namespace

TextCopyMemo::Copy TextCopyMemo::look(const QString &path)
{
    struct stat status
    {
    };
    return copyOf(::stat(QFile::encodeName(path).constData(), &status), status);
}

TextCopyMemo::Copy TextCopyMemo::lookBelow(const QString &relativePath) const
{
    struct stat status
    {
    };
    return copyOf(::fstatat(m_copiesFd, QFile::encodeName(relativePath).constData(), &status, 0), status);
}

std::optional<std::optional<QString>> TextCopyMemo::recalled(const QString &relativePath, const Copy &copy)
{
    const auto found = m_loaded.constFind(relativePath);
    if (copy.size < 0 || found == m_loaded.cend() || found->copy.size != copy.size
        || found->copy.changedNs != copy.changedNs || found->copy.inode != copy.inode)
        return std::nullopt;
    m_used.insert(relativePath, *found);
    return found->text;
}

void TextCopyMemo::remember(const QString &relativePath, const Copy &copy, const std::optional<QString> &text)
{
    if (copy.size < 0 || !copy.settled)
        return;
    m_used.insert(relativePath, {copy, text});
    m_changed = true;
}

void TextCopyMemo::save()
{
    // Forgetting copies that went away is a change worth writing too.
    if (m_path.isEmpty() || (!m_changed && m_used.size() == m_loaded.size()))
        return;
    QCborArray copies;
    for (auto it = m_used.cbegin(); it != m_used.cend(); ++it) {
        copies.append(QCborArray{it.key(), it->copy.size, it->copy.changedNs, qint64(it->copy.inode),
                                 it->text ? QCborValue(*it->text) : QCborValue(QCborValue::Null)});
    }
    const QCborMap memo{{QStringLiteral("version"), memoVersion}, {QStringLiteral("copies"), copies}};
    AtomicFile::replace(m_path, QCborValue(memo).toCbor());
    m_loaded = m_used;
    m_changed = false;
}

} // namespace holdra
