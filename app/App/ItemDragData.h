#pragma once

#include <QMimeData>
#include <QString>

namespace holdra {

// The data of a drag out of the shelf. Besides what is set on it, it offers an
// image item's picture as image/png, made only when a drop target asks for it:
// a large photo is not converted for a drag that ends on a file manager.
class ItemDragData : public QMimeData
{
    Q_OBJECT

public:
    // The stored image offered as image/png; none by default.
    void setImageFile(const QString &path) { m_imageFile = path; }
    QString imageFile() const { return m_imageFile; }

    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QString m_imageFile;
};

} // namespace holdra
