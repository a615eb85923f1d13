import QtQuick
import QtQuick.Controls
import Holdra

// A button drawn as a link: coloured text, underlined while hovered.
AbstractButton {
    id: link
    property string symbol
    implicitWidth: contentItem.implicitWidth
    implicitHeight: contentItem.implicitHeight
    hoverEnabled: true
    Accessible.role: Accessible.Link
    Accessible.name: text

    SystemPalette { id: system }
    SystemPalette { id: disabledSystem; colorGroup: SystemPalette.Disabled }

    readonly property color textColor: enabled ? system.highlight : disabledSystem.windowText

    contentItem: Row {
        spacing: 4
        TintedIcon {
            visible: link.symbol.length > 0
            name: link.symbol
            color: link.textColor
            width: 14
            height: 14
            anchors.verticalCenter: parent.verticalCenter
        }
        Label {
            text: link.text
            color: link.textColor
            font.underline: link.enabled && link.hovered
        }
    }
    HoverHandler { cursorShape: link.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor }
}
