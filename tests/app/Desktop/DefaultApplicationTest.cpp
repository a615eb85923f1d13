#include "Desktop/DefaultApplication.h"
#include "TempDir.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

// GIO reads the XDG directories once per process, so the whole desktop is laid
// out before anything asks it: Holdra's own entry claiming texts (as a desktop
// without defaults would route them to it), an older entry of Holdra's under
// another name set as the default for PNGs, and a PDF viewer that notes what it
// was given. GIO skips entries whose program is not on the PATH and finds types
// through mimeinfo.cache, as update-desktop-database writes it.
bool layOut(const test::TempDir &dir)
{
    QDir().mkpath(dir.filePath(u"system"_s));
    QFile::link(u"/usr/share/mime"_s, dir.filePath(u"system/mime"_s)); // the MIME database, no applications
    const auto entry = [](const QByteArray &name, const QByteArray &exec, const QByteArray &type) -> QByteArray {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\nMimeType=" + type + ";\n";
    };
    dir.write(u"data/applications/com.tessavel.Holdra.desktop"_s, entry("Holdra", "holdra %F", "text/plain"));
    dir.write(u"data/applications/holdra-old.desktop"_s, entry("Old", "holdra %F", "image/png"));
    const QString viewer = dir.write(u"viewer"_s, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.opened\"\n");
    dir.write(u"data/applications/viewer.desktop"_s,
              entry("Viewer", QFile::encodeName(viewer) + " %f", "application/pdf"));
    dir.write(u"config/mimeapps.list"_s, "[Default Applications]\nimage/png=holdra-old.desktop\n");
    dir.write(u"data/applications/mimeinfo.cache"_s,
              "[MIME Cache]\napplication/pdf=viewer.desktop;\nimage/png=holdra-old.desktop;\n"
              "text/plain=com.tessavel.Holdra.desktop;\n");
    const QString holdra = dir.write(u"bin/holdra"_s, "#!/bin/sh\n");
    for (const QString &program : {viewer, holdra})
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(u"data"_s)));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(dir.filePath(u"system"_s)));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(u"config"_s)));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.filePath(u"none"_s)));
    qunsetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)) + ':' + qgetenv("PATH"));
    return true;
}

const test::TempDir &desktop()
{
    static const test::TempDir dir;
    [[maybe_unused]] static const bool laidOut = layOut(dir);
    return dir;
}
[[maybe_unused]] const bool desktopReady = (desktop(), true);

} // namespace

TEST(DefaultApplicationTest, OpensWithTheDefaultApplicationButNeverHandsAFileBackToHoldra)
{
    const QString opened = desktop().filePath(u"viewer.opened"_s);
    const std::tuple<QString, QByteArray, QString> refused[] = {
        {u"note.txt"_s, "x", u"默认应用是栖物匣自己"_s},  // the only entry that claims it is Holdra's
        {u"photo.png"_s, "x", u"默认应用是栖物匣自己"_s}, // the default starts the holdra program
        {u"blob.holdra-unknown"_s, "\x01\x02\x03", u"没有可以打开"_s},
    };
    for (const auto &[name, bytes, said] : refused) {
        const QString message = DefaultApplication::openFile(desktop().write(name, bytes));
        EXPECT_TRUE(message.contains(said)) << name.toStdString() << ": " << message.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(opened));

    const QString file = desktop().write(u"paper.pdf"_s, "%PDF-1.4");
    EXPECT_EQ(DefaultApplication::openFile(file), QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(opened).size() > 0; }, 10000));
    QFile record(opened);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(QFile::decodeName(record.readAll()), file);
}
