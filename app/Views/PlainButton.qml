import QtQuick
import QtQuick.Controls.Basic
import Holdra

// A borderless button: an optional symbol and an optional label, the way the
// panel's header, footer and rows show their actions.
AbstractButton {
    id: button

    property string symbol
    property color symbolColor: PanelStyle.secondary
    property real symbolSize: PanelStyle.headerIconSize
    property string label
    property color labelColor: symbolColor
    property real labelSize: PanelStyle.captionSize
    property int labelWeight: Font.Normal
    property string labelFamily: PanelStyle.fontFamily
    property string toolTip
    property real contentSpacing: 4

    hoverEnabled: true
    focusPolicy: Qt.NoFocus
    padding: 2
    text: label
    opacity: enabled ? (pressed ? 0.6 : 1) : 0.35
    Accessible.role: Accessible.Button
    Accessible.name: label
    ToolTip.visible: hovered && toolTip.length > 0
    ToolTip.text: toolTip
    ToolTip.delay: 600

    contentItem: Row {
        spacing: button.contentSpacing
        TintedIcon {
            visible: button.symbol.length > 0
            name: button.symbol
            color: button.symbolColor
            width: button.symbolSize
            height: button.symbolSize
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            visible: button.label.length > 0
            text: button.label
            color: button.labelColor
            font.family: button.labelFamily
            font.pixelSize: button.labelSize
            font.weight: button.labelWeight
            anchors.verticalCenter: parent.verticalCenter
        }
    }
    background: Item {}
}
