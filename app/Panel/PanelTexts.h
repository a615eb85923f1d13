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

    static constexpr int noteLengthLimit = 500;
    int maximumNoteLength() const { return noteLengthLimit; }

    Q_INVOKABLE static int characterCount(const QString &text);
    // The first `count` characters; the text itself when it is not longer.
    Q_INVOKABLE static QString leading(const QString &text, int count);
    // "m:ss", as recordings are timed everywhere else.
    Q_INVOKABLE static QString durationText(double seconds);

    // The lines the views show, built here so that the views only show them.
    // The footer of the stash: the selection, the search's matches, or the totals.
    Q_INVOKABLE static QString stashFooter(int itemCount, const QString &byteSize, int selectionCount, bool filtering,
                                           int shownCount);
    Q_INVOKABLE static QString trashFooter(int trashCount, const QString &byteSize);
    // The question before the stash is cleared: what goes and what stays.
    Q_INVOKABLE static QString clearAllMessage(int unlockedCount, int lockedCount);
    // A menu action on two or more items names their number: "复制 3 项".
    Q_INVOKABLE static QString counted(const QString &action, int count);
    Q_INVOKABLE static QString recordingLabel(double elapsedSeconds);
    // "0:12 / 1:05"
    Q_INVOKABLE static QString playbackPosition(double currentSeconds, double durationSeconds);
    Q_INVOKABLE static QString noteCounter(const QString &note);
    Q_INVOKABLE static QString trashToggleName(int trashCount);
    Q_INVOKABLE static QString capsuleName(int itemCount);
    // What an action does to a named item, for screen readers: "快速预览 a.pdf".
    Q_INVOKABLE static QString actionOn(const QString &action, const QString &name);
    Q_INVOKABLE static QString removeItemName(const QString &name);
    Q_INVOKABLE static QString restoreItemName(const QString &name);
    // The panel's width in whole points (the resize edges) and pixels (the settings).
    Q_INVOKABLE static QString widthInPoints(double width);
    Q_INVOKABLE static QString widthInPixels(double width);
};

} // namespace holdra
