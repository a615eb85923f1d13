import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Holdra

// Asks before the whole unlocked stash goes to the trash.
Popup {
    id: dialog

    property string message
    signal confirmed()

    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    anchors.centerIn: parent
    width: parent ? Math.min(300, parent.width - 32) : 300
    padding: 18

    background: Rectangle {
        radius: 12
        color: PanelStyle.sheet
        border.width: 1
        border.color: PanelStyle.withOpacity(PanelStyle.primary, 0.12)
    }

    contentItem: ColumnLayout {
        spacing: 10
        Text {
            objectName: "confirmationTitle"
            Layout.fillWidth: true
            text: "将全部暂存项目移到回收站？"
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            color: PanelStyle.primary
            font.family: PanelStyle.fontFamily
            font.pixelSize: PanelStyle.headlineSize
            font.weight: PanelStyle.headlineWeight
        }
        Text {
            objectName: "confirmationMessage"
            Layout.fillWidth: true
            text: dialog.message
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            color: PanelStyle.secondary
            font.family: PanelStyle.fontFamily
            font.pixelSize: PanelStyle.captionSize + 1
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 4
            spacing: 8
            Button {
                objectName: "confirmationCancel"
                Layout.fillWidth: true
                text: "取消"
                font.family: PanelStyle.fontFamily
                onClicked: dialog.close()
            }
            Button {
                objectName: "confirmationConfirm"
                Layout.fillWidth: true
                text: "移到回收站"
                font.family: PanelStyle.fontFamily
                palette.buttonText: PanelStyle.red
                onClicked: {
                    dialog.close()
                    dialog.confirmed()
                }
            }
        }
    }
}
