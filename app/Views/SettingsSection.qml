import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One group of a settings form: an optional header above a framed column.
ColumnLayout {
    id: section
    property string title
    default property alias content: body.data

    Layout.fillWidth: true
    spacing: 6

    SystemPalette { id: system }

    Label {
        visible: section.title.length > 0
        text: section.title
        font.weight: Font.DemiBold
        color: system.windowText
        Layout.leftMargin: 4
    }
    Frame {
        Layout.fillWidth: true
        padding: 12
        ColumnLayout {
            id: body
            anchors.left: parent.left
            anchors.right: parent.right
            spacing: 10
        }
    }
}
