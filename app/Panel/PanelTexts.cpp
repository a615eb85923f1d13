#include "Panel/PanelTexts.h"

#include "Models/StashItem.h"
#include "Support/Graphemes.h"

#include <QTextBoundaryFinder>

#include <cmath>

namespace holdra {

int PanelTexts::characterCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString PanelTexts::leading(const QString &text, int count)
{
    return leadingGraphemes(text, count);
}

QString PanelTexts::durationText(double seconds)
{
    return StashItem::durationText(seconds);
}

QString PanelTexts::stashFooter(int itemCount, const QString &byteSize, int selectionCount, bool filtering,
                                int shownCount)
{
    if (selectionCount > 0)
        return QStringLiteral("已选 %1 项").arg(selectionCount);
    if (filtering)
        return QStringLiteral("找到 %1 项 · 共 %2 个项目").arg(shownCount).arg(itemCount);
    return QStringLiteral("%1 个项目 · %2").arg(itemCount).arg(byteSize);
}

QString PanelTexts::trashFooter(int trashCount, const QString &byteSize)
{
    return QStringLiteral("%1 项 · %2 · 保留 30 天").arg(trashCount).arg(byteSize);
}

QString PanelTexts::clearAllMessage(int unlockedCount, int lockedCount)
{
    QString message = QStringLiteral("%1 个未锁定项目将保留在回收站 30 天，期间可以恢复。").arg(unlockedCount);
    if (lockedCount > 0)
        message += QStringLiteral("（%1 项已锁定，将继续保留在暂存中）").arg(lockedCount);
    return message;
}

QString PanelTexts::counted(const QString &action, int count)
{
    return count >= 2 ? QStringLiteral("%1 %2 项").arg(action).arg(count) : action;
}

QString PanelTexts::recordingLabel(double elapsedSeconds)
{
    return QStringLiteral("录音中 ") + durationText(elapsedSeconds);
}

QString PanelTexts::playbackPosition(double currentSeconds, double durationSeconds)
{
    return durationText(currentSeconds) + QStringLiteral(" / ") + durationText(durationSeconds);
}

QString PanelTexts::noteCounter(const QString &note)
{
    return QStringLiteral("%1 / %2").arg(characterCount(note)).arg(noteLengthLimit);
}

QString PanelTexts::trashToggleName(int trashCount)
{
    return QStringLiteral("回收站，%1 项").arg(trashCount);
}

QString PanelTexts::capsuleName(int itemCount)
{
    return QStringLiteral("栖物匣，%1 个暂存项目").arg(itemCount);
}

QString PanelTexts::actionOn(const QString &action, const QString &name)
{
    return action + QLatin1Char(' ') + name;
}

QString PanelTexts::removeItemName(const QString &name)
{
    return QStringLiteral("将 %1 移到回收站").arg(name);
}

QString PanelTexts::restoreItemName(const QString &name)
{
    return QStringLiteral("恢复 %1 到暂存").arg(name);
}

QString PanelTexts::widthInPoints(double width)
{
    return QStringLiteral("%1 点").arg(qint64(width));
}

QString PanelTexts::widthInPixels(double width)
{
    return QStringLiteral("%1 像素").arg(qint64(std::floor(width)));
}

} // namespace holdra
