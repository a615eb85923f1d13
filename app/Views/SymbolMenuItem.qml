import QtQuick
import QtQuick.Controls.Basic
import Holdra

// A context-menu entry with its symbol; hidden entries take no room.
MenuItem {
    id: entry

    property string symbol
    property bool destructive: false

    height: visible ? implicitHeight : 0
    font.family: PanelStyle.fontFamily
    font.pixelSize: PanelStyle.bodySize

    contentItem: Row {
        spacing: 8
        leftPadding: 4
        TintedIcon {
            name: entry.symbol
            color: entry.destructive ? PanelStyle.red : entry.highlighted ? "white" : PanelStyle.secondary
            width: 14
            height: 14
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            text: entry.text
            font: entry.font
            color: entry.destructive ? PanelStyle.red : entry.highlighted ? "white" : PanelStyle.primary
            anchors.verticalCenter: parent.verticalCenter
        }
    }
    background: Rectangle {
        radius: 4
        color: entry.highlighted ? PanelStyle.accent : "transparent"
    }
}
