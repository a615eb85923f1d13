import QtQuick
import Holdra

// What an empty list shows instead of rows.
Column {
    id: empty

    property string symbol: "tray"
    property string title: "先栖物匣"
    property string message: "点击输入条打字录入，或拖入文件、按 Ctrl+V 粘贴"

    spacing: PanelStyle.emptySpacing
    padding: PanelStyle.emptyPadding

    TintedIcon {
        anchors.horizontalCenter: parent.horizontalCenter
        name: empty.symbol
        color: PanelStyle.secondary
        width: PanelStyle.emptyIconSize
        height: PanelStyle.emptyIconSize
    }
    Text {
        objectName: "emptyTitle"
        anchors.horizontalCenter: parent.horizontalCenter
        text: empty.title
        color: PanelStyle.primary
        font.family: PanelStyle.fontFamily
        font.pixelSize: PanelStyle.headlineSize
        font.weight: PanelStyle.headlineWeight
    }
    Text {
        objectName: "emptyMessage"
        anchors.horizontalCenter: parent.horizontalCenter
        text: empty.message
        color: PanelStyle.secondary
        font.family: PanelStyle.fontFamily
        font.pixelSize: PanelStyle.captionSize
    }
}
