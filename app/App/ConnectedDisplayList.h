#pragma once

#include "Panel/NotchDisplay.h"
#include "Settings/ConnectedDisplay.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace holdra {

class AppSettings;

// The settings window's list of attached displays, each with a switch for
// showing the capsule on it. Switching writes the settings' display selection
// at once; a change of the selection from elsewhere shows in the switches.
class ConnectedDisplayList : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The settings window owns the display list.")
    // One map per display: id, title, caption, symbol, enabled.
    Q_PROPERTY(QVariantList displays READ displays NOTIFY displaysChanged)
    Q_PROPERTY(bool anyEffective READ anyEffective NOTIFY displaysChanged)
    Q_PROPERTY(bool automatic READ isAutomatic NOTIFY displaysChanged)

public:
    using ScreenProvider = std::function<QList<ConnectedDisplay::Screen>()>;

    // `settings` must outlive the list.
    ConnectedDisplayList(AppSettings &settings, ScreenProvider screens, QObject *parent = nullptr);

    // The connected displays as the list shows them (Linux screens have no notch).
    static QList<ConnectedDisplay::Screen> screens(const QList<NotchDisplay> &displays);

    QVariantList displays() const;
    bool anyEffective() const { return !effectiveIDs().isEmpty(); }
    bool isAutomatic() const;

    const QList<ConnectedDisplay> &connectedDisplays() const { return m_displays; }
    std::optional<QString> defaultDisplayID() const;
    // The displays that show a capsule under the current selection.
    QStringList effectiveIDs() const;

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void setDisplayEnabled(const QString &id, bool enabled);
    Q_INVOKABLE void resetToAutomatic();

Q_SIGNALS:
    void displaysChanged();

private:
    QStringList connectedIDs() const;

    AppSettings &m_settings;
    ScreenProvider m_screens;
    QList<ConnectedDisplay> m_displays;
};

} // namespace holdra
