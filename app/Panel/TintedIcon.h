#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace holdra {

// Draws a named icon filling the item: a symbol from the engine's "symbol"
// image provider when one is installed, else the icon theme's icon of that
// name. With an opaque `color` the icon is drawn as a silhouette in that colour,
// the way symbol images take their foreground colour.
class TintedIcon : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit TintedIcon(QQuickItem *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void nameChanged();
    void colorChanged();

private:
    QImage resolvedImage(const QSize &pixelSize) const;

    QString m_name;
    QColor m_color;
};

} // namespace holdra
