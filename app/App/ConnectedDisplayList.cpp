#include "App/ConnectedDisplayList.h"

#include "Settings/AppSettings.h"
#include "Support/DisplayIdentity.h"

#include <QGuiApplication>
#include <QScreen>

namespace holdra {

ConnectedDisplayList::ConnectedDisplayList(AppSettings &settings, ScreenProvider screens, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_screens(screens ? std::move(screens) : ScreenProvider(&ConnectedDisplayList::currentScreens))
{
    connect(&m_settings, &AppSettings::displayAttachmentSelectionChanged, this, &ConnectedDisplayList::displaysChanged);
    refresh();
}

QList<ConnectedDisplay::Screen> ConnectedDisplayList::currentScreens()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QList<DisplayIdentity::Screen> described = DisplayIdentity::currentScreens();
    QList<ConnectedDisplay::Screen> out;
    for (qsizetype i = 0; i < screens.size() && i < described.size(); ++i) {
        const std::optional<QString> id = DisplayIdentity::identifier(described[i], described);
        if (!id)
            continue;
        ConnectedDisplay::Screen screen;
        screen.id = *id;
        screen.name = QStringList{described[i].manufacturer.trimmed(), described[i].model.trimmed()}
                          .join(u' ')
                          .trimmed();
        if (screen.name.isEmpty())
            screen.name = described[i].connector.isEmpty() ? screens[i]->name() : described[i].connector;
        screen.frame = screens[i]->geometry();
        // Screens on Linux have no camera housing.
        screen.hasNotch = false;
        screen.isMain = screens[i] == QGuiApplication::primaryScreen();
        out.append(screen);
    }
    return out;
}

void ConnectedDisplayList::refresh()
{
    m_displays = ConnectedDisplay::fromScreens(m_screens());
    Q_EMIT displaysChanged();
}

QStringList ConnectedDisplayList::connectedIDs() const
{
    QStringList ids;
    for (const ConnectedDisplay &display : m_displays)
        ids.append(display.id);
    return ids;
}

std::optional<QString> ConnectedDisplayList::defaultDisplayID() const
{
    for (const ConnectedDisplay &display : m_displays) {
        if (display.isDefault)
            return display.id;
    }
    return std::nullopt;
}

QStringList ConnectedDisplayList::effectiveIDs() const
{
    return m_settings.displayAttachmentSelection().resolvedIDs(connectedIDs(), defaultDisplayID());
}

bool ConnectedDisplayList::isAutomatic() const
{
    return m_settings.displayAttachmentSelection().isAutomatic();
}

QVariantList ConnectedDisplayList::displays() const
{
    const QStringList effective = effectiveIDs();
    QVariantList out;
    for (const ConnectedDisplay &display : m_displays) {
        out.append(QVariantMap{
            {QStringLiteral("id"), display.id},
            {QStringLiteral("title"), display.title()},
            {QStringLiteral("caption"), display.placementCaption()},
            {QStringLiteral("symbol"), display.hasNotch ? QStringLiteral("laptopcomputer") : QStringLiteral("display")},
            {QStringLiteral("enabled"), effective.contains(display.id)},
        });
    }
    return out;
}

void ConnectedDisplayList::setDisplayEnabled(const QString &id, bool enabled)
{
    m_settings.setDisplayAttachmentSelection(
        m_settings.displayAttachmentSelection().togglingDisplay(id, enabled, connectedIDs(), defaultDisplayID()));
}

void ConnectedDisplayList::resetToAutomatic()
{
    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::automatic());
}

} // namespace holdra
