#include "App/AppDelegate.h"
#include "App/AppLogging.h"
#include "App/FirstFrame.h"
#include "App/SettingsWindow.h"
#include "App/SingleInstance.h"
#include "Cli/CommandLine.h"
#include "Desktop/ApplicationId.h"
#include "Integration/ExternalFileImportContract.h"
#include "Platform/DisplayServerProbe.h"
#include "Platform/TerminationSignals.h"
#include "Storage/ImageMetadata.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(HoldraQmlPlugin)

namespace {

// A second start hands its files (none: "show yourself") to the running
// instance, which stays the only writer of the stash.
bool forwardedToRunningInstance(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (arguments.removeAll(QLatin1String(holdra::AppDelegate::settingsOption)) > 0) {
        // Files named with --settings still come in; the window opens either way.
        const QList<QUrl> files =
            holdra::ExternalFileImportContract::fileURLsFromArguments(arguments, QDir::currentPath());
        const QString server = holdra::SingleInstance::defaultServerName();
        if (!files.isEmpty() && !holdra::SingleInstance::forward(server, files))
            return false;
        return holdra::SingleInstance::forwardSettingsRequest(server);
    }
    const QList<QUrl> files = holdra::ExternalFileImportContract::fileURLsFromArguments(arguments, QDir::currentPath());
    return holdra::SingleInstance::forward(holdra::SingleInstance::defaultServerName(), files);
}

} // namespace

int main(int argc, char *argv[])
{
    // Terminal commands run without a display and never start the application.
    // `holdra` runs most of them itself; adding files comes here, for the image decoders.
    if (const std::optional<int> status =
            holdra::cli::CommandLine::runIfCommand(argc, argv, &holdra::ImageMetadata::pixelSize))
        return *status;
    // From here on Holdra runs as the shelf: its log lines carry time, area and
    // level, so that a report or the journal can be read without the terminal
    // session they came from. QT_MESSAGE_PATTERN still overrides it.
    qSetMessagePattern(QLatin1String(holdra::logMessagePattern));
    if (forwardedToRunningInstance(argc, argv))
        return 0;

    if (const std::optional<QString> noDisplay = holdra::DisplayServerProbe::choosePlatform()) {
        std::fprintf(stderr, "%s\n", qPrintable(*noDisplay));
        return 1;
    }
    // Translucent windows: the capsule is drawn over the desktop.
    QQuickWindow::setDefaultAlphaBuffer(true);

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Holdra"));
    QCoreApplication::setOrganizationName(QStringLiteral("Holdra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOLDRA_VERSION));
    QGuiApplication::setDesktopFileName(QLatin1String(holdra::applicationId));
    // A shelf, not a document window: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    holdra::AppDelegate delegate;
    if (!delegate.launch()) {
        const QString message = delegate.launchError();
        qCCritical(holdra::lcApp).noquote() << "cannot start:" << message;
        QMessageBox::critical(nullptr, QStringLiteral("栖物匣"), message);
        return 1;
    }
    holdra::FirstFrame::reportIfRequested();
    // Every window (settings, preview, dialogs) shows the application's icon;
    // the bundled one when the icon theme lacks it (a build run in place). The
    // capsule shows none, so the SVG engine loads after its first frame.
    holdra::FirstFrame::whenShown(
        &app,
        [] {
            QGuiApplication::setWindowIcon(
                QIcon::fromTheme(QLatin1String(holdra::applicationId),
                                 QIcon(QStringLiteral(":/%1.svg").arg(QLatin1String(holdra::applicationId)))));
        },
        std::chrono::seconds(2));
    // The desktop's name for Holdra on the session bus; a second shelf never
    // gets this far (the local socket forwards to the first).
    QDBusConnection::sessionBus().registerService(QLatin1String(holdra::applicationId));
    qCInfo(holdra::lcApp).noquote() << "Holdra" << holdra::SettingsWindow::versionText() << "started on"
                                    << QGuiApplication::platformName();
    if (QCoreApplication::arguments().contains(QLatin1String(holdra::AppDelegate::settingsOption)))
        delegate.showSettings();
    // Logging out or Ctrl+C ends Holdra like its own Quit does.
    holdra::TerminationSignals termination;
    QObject::connect(&termination, &holdra::TerminationSignals::terminationRequested, &app, &QCoreApplication::quit);
    return app.exec();
}
