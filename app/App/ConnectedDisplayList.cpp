#include "App/ConnectedDisplayList.h"

#include "Settings/AppSettings.h"

namespace holdra {

ConnectedDisplayList::ConnectedDisplayList(AppSettings &settings, ScreenProvider screens, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_screens(std::move(screens))
{
    connect(&m_settings, &AppSettings::displayAttachmentSelectionChanged, this, &ConnectedDisplayList::displaysChanged);
    refresh();
}

QList<ConnectedDisplay::Screen> ConnectedDisplayList::screens(const QList<NotchDisplay> &displays)
{
    QList<ConnectedDisplay::Screen> out;
    for (qsizetype i = 0; i < displays.size(); ++i) {
        ConnectedDisplay::Screen screen;
        screen.id = displays[i].id;
        screen.name = displays[i].name;
        screen.frame = displays[i].geometry;
        screen.hasNotch = displays[i].safeAreaTop > 0;
        // The primary display comes first.
        screen.isMain = i == 0;
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
