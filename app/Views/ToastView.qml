import QtQuick
import Holdra

// The short message capsule at the bottom of the panel.
Item {
    id: toast

    property string text
    // A failure or a refusal gets a warning sign, never the success check mark.
    property bool isError: false

    implicitWidth: capsule.width
    implicitHeight: capsule.height

    // Drawn as a blurred-free drop shadow: a soft dark capsule one point lower.
    Rectangle {
        x: -PanelStyle.toastShadowRadius / 2
        y: PanelStyle.toastShadowOffset - PanelStyle.toastShadowRadius / 2
        width: capsule.width + PanelStyle.toastShadowRadius
        height: capsule.height + PanelStyle.toastShadowRadius
        radius: height / 2
        color: Qt.rgba(0, 0, 0, PanelStyle.toastShadowOpacity / 2)
    }
    Rectangle {
        id: capsule
        width: row.implicitWidth + 2 * PanelStyle.toastHorizontalPadding
        height: row.implicitHeight + 2 * PanelStyle.toastVerticalPadding
        radius: height / 2
        color: PanelStyle.thinMaterial
        border.width: 1
        border.color: PanelStyle.withOpacity(PanelStyle.primary, PanelStyle.toastOutlineOpacity)

        Row {
            id: row
            anchors.centerIn: parent
            spacing: PanelStyle.toastSpacing
            TintedIcon {
                objectName: "toastIcon"
                name: toast.isError ? "exclamationmark.triangle.fill" : "checkmark.circle.fill"
                color: toast.isError ? PanelStyle.red : PanelStyle.green
                width: PanelStyle.toastIconSize
                height: PanelStyle.toastIconSize
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                objectName: "toastText"
                text: toast.text
                color: PanelStyle.primary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.captionSize
                font.weight: Font.Medium
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
}
