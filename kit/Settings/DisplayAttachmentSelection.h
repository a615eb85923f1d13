#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace holdra {

// The user's choice of displays that show the capsule, and the rules that turn it
// into windows. Displays are named by their identifier strings; lists of them
// follow the system's order of screens.
class DisplayAttachmentSelection
{
    Q_GADGET
    Q_PROPERTY(bool isAutomatic READ isAutomatic CONSTANT)
    Q_PROPERTY(bool isDisabled READ isDisabled CONSTANT)

public:
    enum class Mode {
        Automatic, // the default display only
        Selected,  // exactly the chosen displays while connected
        Disabled,  // no capsule anywhere
    };
    Q_ENUM(Mode)

    struct DisplayFrame
    {
        QString id;
        QRectF frame;
    };

    DisplayAttachmentSelection() = default;
    static DisplayAttachmentSelection automatic();
    static DisplayAttachmentSelection disabled();
    static DisplayAttachmentSelection selected(const QSet<QString> &displayIDs);

    Mode mode() const { return m_mode; }
    bool isAutomatic() const { return m_mode == Mode::Automatic; }
    bool isDisabled() const { return m_mode == Mode::Disabled; }
    // The chosen identifiers of a Selected value, possibly of disconnected displays; else empty.
    QSet<QString> selectedDisplayIDs() const { return m_ids; }

    // Displays that get a capsule. A selection whose displays are all disconnected
    // falls back to the default display (or the first one), as automatic does.
    QStringList resolvedIDs(const QStringList &availableIDs, const std::optional<QString> &defaultID) const;

    // Displays that keep an invisible trigger over their notch: the notched ones,
    // when the capsule is switched off everywhere.
    QStringList hiddenNotchTriggerIDs(const QStringList &availableIDs, const QSet<QString> &notchedIDs) const;

    // The selection after the user switches one connected display on or off.
    DisplayAttachmentSelection togglingDisplay(const QString &displayID, bool enabled, const QStringList &availableIDs,
                                               const std::optional<QString> &defaultID) const;

    // Where to show a panel opened while no capsule is shown: the requested display,
    // else the default, else the first usable one.
    static std::optional<QString> transientPanelDisplayID(const std::optional<QString> &requestedID,
                                                          const QStringList &availableIDs,
                                                          const std::optional<QString> &defaultID,
                                                          const QSet<QString> &unavailableIDs);

    // The hot key opens on the requested display or not at all.
    static std::optional<QString> shortcutPanelDisplayID(const std::optional<QString> &requestedID,
                                                         const QStringList &availableIDs,
                                                         const QSet<QString> &unavailableIDs);

    // The first display whose frame holds the point, left and top edges inclusive,
    // right and bottom exclusive. Frames and point must be in the same space.
    static std::optional<QString> displayID(const QPointF &point, const QList<DisplayFrame> &orderedDisplayFrames);

    friend bool operator==(const DisplayAttachmentSelection &, const DisplayAttachmentSelection &) = default;

private:
    DisplayAttachmentSelection(Mode mode, const QSet<QString> &ids)
        : m_mode(mode)
        , m_ids(ids)
    {
    }

    static DisplayAttachmentSelection normalizedSelection(const QSet<QString> &ids,
                                                          const std::optional<QString> &defaultID);

    Mode m_mode = Mode::Automatic;
    QSet<QString> m_ids; // empty unless m_mode is Selected
};

} // namespace holdra
