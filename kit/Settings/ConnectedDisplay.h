#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

namespace holdra {

// One attached screen as the settings window lists it, with where it lies
// relative to the default screen.
struct ConnectedDisplay
{
    // What the system says of a screen. Frames are in Qt's virtual desktop,
    // where y grows downwards.
    struct Screen
    {
        QString id;
        QString name;
        QRectF frame;
        bool hasNotch = false;
        bool isMain = false;
    };

    QString id;
    QString name;
    bool hasNotch = false;
    bool isDefault = false;
    QString positionLabel;

    // `screens` in system order, each labelled: "默认屏幕" for the default one,
    // "左侧屏幕", "右侧屏幕", "上方屏幕" or "下方屏幕" by the offset of its centre
    // from the default screen's (horizontal wins ties), "屏幕" when there is no
    // default screen.
    static QList<ConnectedDisplay> fromScreens(const QList<Screen> &screens);

    // The first notched screen, else the main one, else the first one.
    static std::optional<qsizetype> defaultScreenIndex(const QList<Screen> &screens);

    // Where the capsule sits: "默认 · 屏幕顶部中央" or "屏幕顶部中央".
    QString placementCaption() const;
    // "<name> · <position>"
    QString title() const;
};

} // namespace holdra
