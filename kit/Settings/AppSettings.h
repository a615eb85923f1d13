#pragma once

#include "HotKey/GlobalHotKey.h"
#include "Settings/DisplayAttachmentSelection.h"

#include <QObject>
#include <QSet>
#include <QString>

namespace holdra {

class UserDefaults;

// The user's preferences. Reads every value once at construction, falling back to
// fixed defaults for missing or mistyped values, and writes each change through to
// the defaults at once. Every assignment notifies, even of an equal value, so that
// observers can re-apply a setting.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(
        bool enableInFullScreen READ enableInFullScreen WRITE setEnableInFullScreen NOTIFY enableInFullScreenChanged)
    Q_PROPERTY(bool soundFeedback READ soundFeedback WRITE setSoundFeedback NOTIFY soundFeedbackChanged)
    Q_PROPERTY(bool animations READ animations WRITE setAnimations NOTIFY animationsChanged)
    Q_PROPERTY(double panelWidth READ panelWidth WRITE setPanelWidth NOTIFY panelWidthChanged)
    Q_PROPERTY(holdra::DisplayAttachmentSelection displayAttachmentSelection READ displayAttachmentSelection WRITE
                   setDisplayAttachmentSelection NOTIFY displayAttachmentSelectionChanged)
    Q_PROPERTY(holdra::GlobalHotKey hotKey READ hotKey WRITE setHotKey NOTIFY hotKeyChanged)

public:
    static constexpr double defaultPanelWidth = 384;
    static constexpr double minimumPanelWidth = 320;
    static constexpr double maximumPanelWidth = 720;

    // `defaults` must outlive the settings.
    explicit AppSettings(UserDefaults &defaults, QObject *parent = nullptr);

    UserDefaults &defaults() const { return m_defaults; }

    bool launchAtLogin() const { return m_launchAtLogin; }
    bool enableInFullScreen() const { return m_enableInFullScreen; }
    bool soundFeedback() const { return m_soundFeedback; }
    bool animations() const { return m_animations; }
    double panelWidth() const { return m_panelWidth; }
    DisplayAttachmentSelection displayAttachmentSelection() const { return m_displayAttachmentSelection; }
    GlobalHotKey hotKey() const { return m_hotKey; }

    // The chosen displays of a Selected selection, else empty.
    QSet<QString> attachedDisplayIDs() const;

    void setLaunchAtLogin(bool enabled);
    void setEnableInFullScreen(bool enabled);
    void setSoundFeedback(bool enabled);
    void setAnimations(bool enabled);

    // Clamped to 320…720.
    void setPanelWidth(double width);
    Q_INVOKABLE void resetPanelWidth();

    // A Selected selection without displays is stored as Disabled.
    void setDisplayAttachmentSelection(const holdra::DisplayAttachmentSelection &selection);
    // Unlike the above, an empty set means automatic.
    void setAttachedDisplayIDs(const QSet<QString> &displayIDs);
    Q_INVOKABLE void resetAttachedDisplays();

    void setHotKey(const holdra::GlobalHotKey &hotKey);
    Q_INVOKABLE void resetHotKey();

Q_SIGNALS:
    void launchAtLoginChanged(bool enabled);
    void enableInFullScreenChanged(bool enabled);
    void soundFeedbackChanged(bool enabled);
    void animationsChanged(bool enabled);
    void panelWidthChanged(double width);
    void displayAttachmentSelectionChanged(const holdra::DisplayAttachmentSelection &selection);
    void hotKeyChanged(const holdra::GlobalHotKey &hotKey);

private:
    void writeBool(const QString &key, bool &member, bool value, void (AppSettings::*changed)(bool));

    UserDefaults &m_defaults;
    bool m_launchAtLogin = false;
    bool m_enableInFullScreen = false;
    bool m_soundFeedback = true;
    bool m_animations = true;
    double m_panelWidth = defaultPanelWidth;
    DisplayAttachmentSelection m_displayAttachmentSelection;
    GlobalHotKey m_hotKey = GlobalHotKey::defaultHotKey();
};

} // namespace holdra
