import QtQuick
import Holdra

// A stored picture, decoded off the main thread at no more than the row needs.
Item {
    id: thumbnail

    property url url

    width: PanelStyle.thumbnailSize
    height: PanelStyle.thumbnailSize

    Rectangle {
        anchors.fill: parent
        visible: image.status !== Image.Ready
        radius: PanelStyle.thumbnailCornerRadius
        color: PanelStyle.withOpacity(PanelStyle.secondary, PanelStyle.thumbnailPlaceholderOpacity)
    }
    Image {
        id: image
        anchors.fill: parent
        source: String(thumbnail.url) ? "image://thumbnail/" + encodeURIComponent(String(thumbnail.url)) : ""
        asynchronous: true
        sourceSize.width: PanelStyle.thumbnailMaxPixel
        sourceSize.height: PanelStyle.thumbnailMaxPixel
        fillMode: Image.PreserveAspectCrop
        clip: true
        smooth: true
        mipmap: true
    }
}
