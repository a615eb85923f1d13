import QtQuick
import Holdra

// The square at the start of a row: the file's icon, the picture, or the kind's symbol.
Item {
    id: thumb

    property string kind
    property bool hasStoredFile: false
    property url fileUrl
    property string fileIconName
    property string symbolName

    width: PanelStyle.thumbnailSize
    height: PanelStyle.thumbnailSize

    readonly property bool showsFileIcon: kind === "file" && hasStoredFile && fileIconName.length > 0
    readonly property bool showsPicture: kind === "image" && hasStoredFile

    TintedIcon {
        anchors.fill: parent
        visible: thumb.showsFileIcon
        name: thumb.showsFileIcon ? thumb.fileIconName : ""
    }
    Loader {
        anchors.fill: parent
        active: thumb.showsPicture
        // Read across the component's boundary: Qt 6.4's Loader cannot make bound components.
        sourceComponent: ThumbnailView { url: thumb.fileUrl } // qmllint disable unqualified
    }
    Rectangle {
        anchors.fill: parent
        visible: !thumb.showsFileIcon && !thumb.showsPicture
        radius: PanelStyle.thumbnailCornerRadius
        color: PanelStyle.withOpacity(PanelStyle.secondary, PanelStyle.thumbnailPlaceholderOpacity)
        TintedIcon {
            anchors.centerIn: parent
            name: thumb.symbolName
            color: PanelStyle.secondary
            width: PanelStyle.thumbnailSymbolSize
            height: PanelStyle.thumbnailSymbolSize
        }
    }
}
