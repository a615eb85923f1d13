#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace holdra {

// Text helpers the views need from the kit. Lengths count user-perceived
// characters (an emoji with its modifiers is one), not UTF-16 code units.
class PanelTexts : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int maximumNoteLength READ maximumNoteLength CONSTANT)

public:
    using QObject::QObject;

    int maximumNoteLength() const { return 500; }

    Q_INVOKABLE static int characterCount(const QString &text);
    // The first `count` characters; the text itself when it is not longer.
    Q_INVOKABLE static QString leading(const QString &text, int count);
    // "m:ss", as recordings are timed everywhere else.
    Q_INVOKABLE static QString durationText(double seconds);
};

} // namespace holdra
