// Writes a support directory holding COUNT items as a long-used stash has them:
// texts, links, stored .txt files (which loading compares with the texts) and
// other stored files, all with their hashes. Written straight to the files,
// since the store's own durable writes would take minutes for 100,000 items.
#include "Models/StashItem.h"
#include "Storage/ContentHasher.h"
#include "Storage/MetadataCodec.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cstdio>

namespace {

holdra::StashItem storedFile(const QDir &files, const QString &name, const QByteArray &bytes,
                             const QDateTime &createdAt)
{
    const QString directory = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QDir().mkpath(files.filePath(directory));
    QFile copy(files.filePath(directory + u'/' + name));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        qFatal("cannot write a stored copy");
    copy.close();
    holdra::StashItem item = holdra::StashItem::makeFile({directory + u'/' + name, bytes.size(), name}, createdAt);
    item.setContentHash(holdra::ContentHasher::sha256Hex(copy.fileName()));
    return item;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: MakeStash SUPPORT_DIR COUNT\n");
        return 2;
    }
    const QDir support(QFile::decodeName(argv[1]));
    const int count = QByteArray(argv[2]).toInt();
    const QDir files(support.filePath(QStringLiteral("Files")));
    QList<holdra::StashItem> items;
    items.reserve(count);
    const QDateTime base(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        const QDateTime createdAt = base.addSecs(count - i);
        switch (i % 8) {
        case 0:
        case 1:
        case 2:
        case 3:
            items.append(holdra::StashItem::makeText(
                QStringLiteral("第 %1 条笔记：季度计划 notes on the quarterly plan").arg(i), createdAt));
            break;
        case 4:
            items.append(holdra::StashItem::makeLink(QStringLiteral("https://example.com/page/%1").arg(i), std::nullopt,
                                                     createdAt));
            break;
        case 5:
            items.append(storedFile(files, QStringLiteral("notes-%1.txt").arg(i),
                                    "meeting notes " + QByteArray::number(i) + "\n", createdAt));
            break;
        default:
            items.append(storedFile(files, QStringLiteral("file-%1.pdf").arg(i), "stored copy " + QByteArray::number(i),
                                    createdAt));
        }
    }
    QFile file(support.filePath(QStringLiteral("metadata.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(holdra::MetadataCodec::encodeItems(items)) < 0)
        qFatal("cannot write the metadata");
    return 0;
}
