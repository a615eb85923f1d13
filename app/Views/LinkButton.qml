import QtQuick
import QtQuick.Controls
import Holdra

// A button drawn as a link: coloured text, underlined while hovered.
AbstractButton {
    id: link
    property string symbol
    implicitWidth: content.implicitWidth
    implicitHeight: content.implicitHeight
    hoverEnabled: true
    Accessible.role: Accessible.Link
    Accessible.name: text

    SystemPalette { id: system }
    SystemPalette { id: disabledSystem; colorGroup: SystemPalette.Disabled }

    contentItem: Row {
        id: content
        spacing: 4
        TintedIcon {
            visible: link.symbol.length > 0
            name: link.symbol
            color: label.color
            width: 14
            height: 14
            anchors.verticalCenter: parent.verticalCenter
        }
        Label {
            id: label
            text: link.text
            color: link.enabled ? system.highlight : disabledSystem.windowText
            font.underline: link.enabled && link.hovered
        }
    }
    HoverHandler { cursorShape: link.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor }
}
