#include "Integration/ExternalFileImportContract.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
namespace Contract = ExternalFileImportContract;

namespace {

QUrl local(const QString &path)
{
    return QUrl::fromLocalFile(path);
}

} // namespace

TEST(ExternalFileImportContractTest, KeepsFirstOccurrencesOfLocalFiles)
{
    const QList<QUrl> input{
        local(u"/a/b/../b/x.txt"_s),
        QUrl(u"https://example.com/x.txt"_s),
        local(u"/a/b/x.txt"_s),
        local(u"/a//b/./y 1.txt"_s),
        QUrl(u"file://localhost/a/b/y%201.txt"_s),
        QUrl(u"file://nas/a/b/z.txt"_s),
        QUrl(u"file:relative.txt"_s),
        QUrl(),
        local(u"/a/报告/"_s),
        local(u"/a/报告"_s),
    };
    EXPECT_EQ(Contract::normalizedFileURLs(input),
              (QList<QUrl>{local(u"/a/b/x.txt"_s), local(u"/a/b/y 1.txt"_s), local(u"/a/报告/"_s)}));
}

TEST(ExternalFileImportContractTest, ArgumentsResolveAgainstTheCallersDirectory)
{
    const QStringList arguments{
        u"notes.txt"_s,
        u"../shared/a b.png"_s,
        u"/abs/c.pdf"_s,
        u"file:///abs/c.pdf"_s,
        u"file:///abs/d%20e.pdf"_s,
        u"https://example.com/"_s,
        u"a:b.txt"_s,
        QString(),
        u"file:///abs/broken%zz.pdf"_s,
        u"file://otherhost/abs/f.pdf"_s,
        u"file:///abs/g.pdf\nfile:///abs/h.pdf"_s,
        u"file://localhost/abs/%E6%97%A5.txt"_s,
    };
    EXPECT_EQ(
        Contract::fileURLsFromArguments(arguments, u"/home/u/work"_s),
        (QList<QUrl>{local(u"/home/u/work/notes.txt"_s), local(u"/home/u/shared/a b.png"_s), local(u"/abs/c.pdf"_s),
                     local(u"/abs/d e.pdf"_s), local(u"/home/u/work/a:b.txt"_s), local(u"/abs/日.txt"_s)}));
}
