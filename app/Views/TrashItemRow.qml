import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Holdra

// One trash entry: what it was, when it was cleared, and a way back.
Item {
    id: row

    required property string itemId
    required property string kind
    required property string displayName
    required property string subtitle
    required property string accessibleName
    required property bool hasStoredFile
    required property url fileUrl
    required property string fileIconName
    required property string symbolName

    required property NotchController controller
    property bool hovering: hoverArea.containsMouse

    implicitHeight: content.implicitHeight + 2 * PanelStyle.rowVerticalPadding

    function restore() {
        controller.actions.restoreFromTrash([itemId])
    }

    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName

    Rectangle {
        anchors.fill: parent
        radius: PanelStyle.rowCornerRadius
        color: row.hovering ? PanelStyle.withOpacity(PanelStyle.primary, PanelStyle.hoverFillOpacity) : "transparent"
    }
    MouseArea {
        id: hoverArea
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.RightButton
        onClicked: menu.popup()
    }

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: PanelStyle.rowHorizontalPadding
        anchors.rightMargin: PanelStyle.rowHorizontalPadding
        anchors.topMargin: PanelStyle.rowVerticalPadding
        anchors.bottomMargin: PanelStyle.rowVerticalPadding
        spacing: PanelStyle.rowSpacing

        ItemThumbnail {
            Layout.preferredWidth: PanelStyle.thumbnailSize
            Layout.preferredHeight: PanelStyle.thumbnailSize
            Layout.alignment: Qt.AlignVCenter
            kind: row.kind
            hasStoredFile: row.hasStoredFile
            fileUrl: row.fileUrl
            fileIconName: row.fileIconName
            symbolName: row.symbolName
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            spacing: PanelStyle.rowTextSpacing
            Text {
                objectName: "rowName"
                Layout.fillWidth: true
                text: row.displayName
                elide: Text.ElideMiddle
                maximumLineCount: 1
                color: PanelStyle.primary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.nameSize
                font.weight: PanelStyle.nameWeight
            }
            Text {
                objectName: "rowSubtitle"
                Layout.fillWidth: true
                text: row.subtitle
                elide: Text.ElideRight
                maximumLineCount: 1
                color: PanelStyle.secondary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.subtitleSize
            }
        }
        PlainButton {
            objectName: "restoreButton"
            Layout.alignment: Qt.AlignVCenter
            Layout.leftMargin: PanelStyle.rowMinimumGap
            symbol: "arrow.uturn.backward.circle.fill"
            symbolSize: PanelStyle.restoreIconSize
            symbolColor: row.hovering ? PanelStyle.accent : PanelStyle.secondary
            toolTip: "恢复到暂存"
            Accessible.name: PanelTexts.restoreItemName(row.displayName)
            onClicked: row.restore()
        }
    }

    Menu {
        id: menu
        SymbolMenuItem {
            text: "恢复到暂存"
            symbol: "arrow.uturn.backward"
            onTriggered: row.restore()
        }
    }
}
