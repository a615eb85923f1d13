#include "Settings/DisplayAttachmentSelection.h"

#include <algorithm>

namespace holdra {

namespace {

bool usable(const QString &id, const QStringList &availableIDs, const QSet<QString> &unavailableIDs)
{
    return availableIDs.contains(id) && !unavailableIDs.contains(id);
}

} // namespace

DisplayAttachmentSelection DisplayAttachmentSelection::automatic()
{
    return {};
}

DisplayAttachmentSelection DisplayAttachmentSelection::disabled()
{
    return {Mode::Disabled, {}};
}

DisplayAttachmentSelection DisplayAttachmentSelection::selected(const QSet<QString> &displayIDs)
{
    return {Mode::Selected, displayIDs};
}

QStringList DisplayAttachmentSelection::resolvedIDs(const QStringList &availableIDs,
                                                    const std::optional<QString> &defaultID) const
{
    if (availableIDs.isEmpty() || m_mode == Mode::Disabled)
        return {};
    if (m_mode == Mode::Selected) {
        if (m_ids.isEmpty())
            return {};
        QStringList connected;
        for (const QString &id : availableIDs) {
            if (m_ids.contains(id))
                connected.append(id);
        }
        if (!connected.isEmpty())
            return connected;
    }
    if (defaultID && availableIDs.contains(*defaultID))
        return {*defaultID};
    return {availableIDs.first()};
}

QStringList DisplayAttachmentSelection::hiddenNotchTriggerIDs(const QStringList &availableIDs,
                                                              const QSet<QString> &notchedIDs) const
{
    if (m_mode != Mode::Disabled)
        return {};
    QStringList triggers;
    for (const QString &id : availableIDs) {
        if (notchedIDs.contains(id))
            triggers.append(id);
    }
    return triggers;
}

DisplayAttachmentSelection DisplayAttachmentSelection::togglingDisplay(const QString &displayID, bool enabled,
                                                                       const QStringList &availableIDs,
                                                                       const std::optional<QString> &defaultID) const
{
    if (!availableIDs.contains(displayID))
        return *this;

    QSet<QString> ids;
    switch (m_mode) {
    case Mode::Automatic: {
        const QStringList resolved = resolvedIDs(availableIDs, defaultID);
        ids = QSet<QString>(resolved.begin(), resolved.end());
        break;
    }
    case Mode::Selected:
        ids = m_ids;
        break;
    case Mode::Disabled:
        break;
    }

    if (enabled) {
        ids.insert(displayID);
    } else {
        ids.remove(displayID);
        // Remembered disconnected displays alone do not keep a selection alive.
        const bool anyConnected =
            std::any_of(availableIDs.begin(), availableIDs.end(), [&](const QString &id) { return ids.contains(id); });
        if (!anyConnected)
            return disabled();
    }
    return normalizedSelection(ids, defaultID);
}

std::optional<QString> DisplayAttachmentSelection::transientPanelDisplayID(const std::optional<QString> &requestedID,
                                                                           const QStringList &availableIDs,
                                                                           const std::optional<QString> &defaultID,
                                                                           const QSet<QString> &unavailableIDs)
{
    if (requestedID && usable(*requestedID, availableIDs, unavailableIDs))
        return requestedID;
    if (defaultID && usable(*defaultID, availableIDs, unavailableIDs))
        return defaultID;
    for (const QString &id : availableIDs) {
        if (!unavailableIDs.contains(id))
            return id;
    }
    return std::nullopt;
}

std::optional<QString> DisplayAttachmentSelection::shortcutPanelDisplayID(const std::optional<QString> &requestedID,
                                                                          const QStringList &availableIDs,
                                                                          const QSet<QString> &unavailableIDs)
{
    if (requestedID && usable(*requestedID, availableIDs, unavailableIDs))
        return requestedID;
    return std::nullopt;
}

std::optional<QString> DisplayAttachmentSelection::displayID(const QPointF &point,
                                                             const QList<DisplayFrame> &orderedDisplayFrames)
{
    for (const DisplayFrame &display : orderedDisplayFrames) {
        const QRectF frame = display.frame.normalized();
        if (point.x() >= frame.left() && point.x() < frame.left() + frame.width() && point.y() >= frame.top()
            && point.y() < frame.top() + frame.height())
            return display.id;
    }
    return std::nullopt;
}

DisplayAttachmentSelection DisplayAttachmentSelection::normalizedSelection(const QSet<QString> &ids,
                                                                           const std::optional<QString> &defaultID)
{
    if (ids.isEmpty())
        return disabled();
    if (defaultID && ids.size() == 1 && ids.contains(*defaultID))
        return automatic();
    return selected(ids);
}

} // namespace holdra
