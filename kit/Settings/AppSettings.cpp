#include "Settings/AppSettings.h"

#include "Settings/UserDefaults.h"

#include <cmath>

namespace holdra {

namespace {

const QString launchAtLoginKey = QStringLiteral("settings.launchAtLogin");
const QString enableInFullScreenKey = QStringLiteral("settings.enableInFullScreen");
const QString soundFeedbackKey = QStringLiteral("settings.soundFeedback");
const QString animationsKey = QStringLiteral("settings.animations");
const QString panelWidthKey = QStringLiteral("settings.panelWidth");
const QString displayAttachmentModeKey = QStringLiteral("settings.displayAttachmentMode");
const QString attachedDisplayIDsKey = QStringLiteral("settings.attachedDisplayIDs");

const QString automaticMode = QStringLiteral("automatic");
const QString selectedMode = QStringLiteral("selected");
const QString disabledMode = QStringLiteral("disabled");

double clampedPanelWidth(double width)
{
    // A width that is not a number would make every window frame invalid.
    if (std::isnan(width))
        return AppSettings::defaultPanelWidth;
    if (width <= AppSettings::minimumPanelWidth)
        return AppSettings::minimumPanelWidth;
    if (width > AppSettings::maximumPanelWidth)
        return AppSettings::maximumPanelWidth;
    return width;
}

DisplayAttachmentSelection readDisplayAttachment(const UserDefaults &defaults)
{
    const QStringList list = defaults.stringListValue(attachedDisplayIDsKey).value_or(QStringList());
    const QSet<QString> ids(list.begin(), list.end());
    const std::optional<QString> mode = defaults.stringValue(displayAttachmentModeKey);
    if (mode == automaticMode)
        return DisplayAttachmentSelection::automatic();
    if (mode == disabledMode)
        return DisplayAttachmentSelection::disabled();
    // "selected", an unknown mode or none: whatever identifiers are stored still count.
    if (!ids.isEmpty())
        return DisplayAttachmentSelection::selected(ids);
    return DisplayAttachmentSelection::automatic();
}

} // namespace

AppSettings::AppSettings(UserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    m_launchAtLogin = defaults.boolValue(launchAtLoginKey).value_or(m_launchAtLogin);
    m_enableInFullScreen = defaults.boolValue(enableInFullScreenKey).value_or(m_enableInFullScreen);
    m_soundFeedback = defaults.boolValue(soundFeedbackKey).value_or(m_soundFeedback);
    m_animations = defaults.boolValue(animationsKey).value_or(m_animations);
    if (defaults.contains(panelWidthKey))
        m_panelWidth = clampedPanelWidth(defaults.doubleValue(panelWidthKey).value_or(0));
    m_displayAttachmentSelection = readDisplayAttachment(defaults);
    m_hotKey = GlobalHotKey::load(defaults).value_or(GlobalHotKey::defaultHotKey());
}

QSet<QString> AppSettings::attachedDisplayIDs() const
{
    return m_displayAttachmentSelection.selectedDisplayIDs();
}

// Each setter stores and writes before it notifies: an observer that assigns again
// from its handler then has the last word in memory and on disk alike.
void AppSettings::writeBool(const QString &key, bool &member, bool value, void (AppSettings::*changed)(bool))
{
    member = value;
    m_defaults.setBool(key, value);
    Q_EMIT(this->*changed)(value);
}

void AppSettings::setLaunchAtLogin(bool enabled)
{
    writeBool(launchAtLoginKey, m_launchAtLogin, enabled, &AppSettings::launchAtLoginChanged);
}

void AppSettings::setEnableInFullScreen(bool enabled)
{
    writeBool(enableInFullScreenKey, m_enableInFullScreen, enabled, &AppSettings::enableInFullScreenChanged);
}

void AppSettings::setSoundFeedback(bool enabled)
{
    writeBool(soundFeedbackKey, m_soundFeedback, enabled, &AppSettings::soundFeedbackChanged);
}

void AppSettings::setAnimations(bool enabled)
{
    writeBool(animationsKey, m_animations, enabled, &AppSettings::animationsChanged);
}

void AppSettings::setPanelWidth(double width)
{
    m_panelWidth = clampedPanelWidth(width);
    m_defaults.setDouble(panelWidthKey, m_panelWidth);
    Q_EMIT panelWidthChanged(m_panelWidth);
}

void AppSettings::resetPanelWidth()
{
    setPanelWidth(defaultPanelWidth);
}

void AppSettings::setDisplayAttachmentSelection(const DisplayAttachmentSelection &selection)
{
    const bool emptySelection =
        selection.mode() == DisplayAttachmentSelection::Mode::Selected && selection.selectedDisplayIDs().isEmpty();
    m_displayAttachmentSelection = emptySelection ? DisplayAttachmentSelection::disabled() : selection;

    switch (m_displayAttachmentSelection.mode()) {
    case DisplayAttachmentSelection::Mode::Selected: {
        QStringList ids = m_displayAttachmentSelection.selectedDisplayIDs().values();
        ids.sort();
        m_defaults.setStringList(attachedDisplayIDsKey, ids);
        m_defaults.setString(displayAttachmentModeKey, selectedMode);
        break;
    }
    case DisplayAttachmentSelection::Mode::Automatic:
    case DisplayAttachmentSelection::Mode::Disabled:
        m_defaults.setString(displayAttachmentModeKey,
                             m_displayAttachmentSelection.isAutomatic() ? automaticMode : disabledMode);
        m_defaults.setStringList(attachedDisplayIDsKey, {});
        break;
    }
    Q_EMIT displayAttachmentSelectionChanged(m_displayAttachmentSelection);
}

void AppSettings::setAttachedDisplayIDs(const QSet<QString> &displayIDs)
{
    setDisplayAttachmentSelection(displayIDs.isEmpty() ? DisplayAttachmentSelection::automatic()
                                                       : DisplayAttachmentSelection::selected(displayIDs));
}

void AppSettings::resetAttachedDisplays()
{
    setDisplayAttachmentSelection(DisplayAttachmentSelection::automatic());
}

void AppSettings::setHotKey(const GlobalHotKey &hotKey)
{
    m_hotKey = hotKey;
    m_hotKey.save(m_defaults);
    Q_EMIT hotKeyChanged(m_hotKey);
}

void AppSettings::resetHotKey()
{
    setHotKey(GlobalHotKey::defaultHotKey());
}

} // namespace holdra
