#include "Desktop/DefaultApplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

// GIO reads the XDG directories once per process, so the whole desktop is laid
// out before anything asks it: Holdra's own entry claiming texts (as a desktop
// without defaults would route them to it), an older entry of Holdra's under
// another name set as the default for PNGs, and a viewer for PDFs that notes
// what it was given. GIO skips entries whose program is not on the PATH and
// finds MIME types through the directory's mimeinfo.cache, as
// update-desktop-database writes it after a package is installed.
class Desktop
{
public:
    Desktop()
    {
        QDir().mkpath(path("data/applications"));
        QDir().mkpath(path("config"));
        // The system's MIME database, without the system's applications.
        QDir().mkpath(path("system"));
        QFile::link(QStringLiteral("/usr/share/mime"), path("system/mime"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("none")));
        qunsetenv("XDG_CURRENT_DESKTOP");
        write("data/applications/com.tessavel.Holdra.desktop",
              "[Desktop Entry]\nType=Application\nName=Holdra\nExec=holdra %F\nMimeType=text/plain;\n");
        write("data/applications/holdra-old.desktop",
              "[Desktop Entry]\nType=Application\nName=Old\nExec=holdra %F\nMimeType=image/png;\n");
        write("viewer", "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.opened\"\n");
        QFile::setPermissions(path("viewer"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write("data/applications/viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + path("viewer")
                  + " %f\nMimeType=application/pdf;\n");
        write("config/mimeapps.list", "[Default Applications]\nimage/png=holdra-old.desktop\n");
        write("data/applications/mimeinfo.cache",
              "[MIME Cache]\napplication/pdf=viewer.desktop;\n"
              "image/png=holdra-old.desktop;\ntext/plain=com.tessavel.Holdra.desktop;\n");
        QDir().mkpath(path("bin"));
        write("bin/holdra", "#!/bin/sh\n");
        QFile::setPermissions(path("bin/holdra"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(path("bin")) + ':' + qgetenv("PATH"));
    }
    QString path(const QString &relative) const { return m_root.filePath(relative); }
    QString write(const QString &relative, const QString &contents) const
    {
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write(contents.toUtf8());
        return file.fileName();
    }

private:
    QTemporaryDir m_root;
};

Desktop &desktop()
{
    static Desktop instance;
    return instance;
}
[[maybe_unused]] const bool desktopReady = (desktop(), true);

} // namespace

TEST(DefaultApplicationTest, NeverHandsAFileBackToHoldra)
{
    struct Case
    {
        const char *file;
        const char *contents;
        const char *said;
    };
    const Case cases[] = {
        {"note.txt", "x", "默认应用是栖物匣自己"},  // the only entry that claims it is Holdra's
        {"photo.png", "x", "默认应用是栖物匣自己"}, // the default starts the holdra program
        {"blob.holdra-unknown", "\x01\x02\x03", "没有可以打开"},
    };
    for (const Case &c : cases) {
        const QString file = desktop().write(c.file, QString::fromLatin1(c.contents));
        const QString message = DefaultApplication::openFile(file);
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.said))) << c.file << ": " << message.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(desktop().path("viewer.opened")));
}

TEST(DefaultApplicationTest, OpensWithTheDefaultApplication)
{
    const QString file = desktop().write("paper.pdf", "%PDF-1.4");
    EXPECT_EQ(DefaultApplication::openFile(file), QString());
    ASSERT_TRUE(QTest::qWaitFor([] { return QFileInfo(desktop().path("viewer.opened")).size() > 0; }, 10000));
    QFile opened(desktop().path("viewer.opened"));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()), file);
}
