import QtQuick
import QtQuick.Controls
import Holdra
import QtQuick.Layouts

// One thing Holdra and Kelvarn do together: a symbol beside a title and its detail.
RowLayout {
    id: row
    property string symbol
    property string title
    property string detail

    Layout.fillWidth: true
    spacing: 8

    SystemPalette { id: system }

    Item {
        Layout.preferredWidth: 22
        Layout.preferredHeight: 22
        Layout.alignment: Qt.AlignTop
        Accessible.ignored: true
        TintedIcon {
            anchors.centerIn: parent
            name: row.symbol
            color: system.windowText
            width: 14
            height: 14
        }
    }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 3
        Label {
            text: row.title
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        Label {
            text: row.detail
            wrapMode: Text.Wrap
            opacity: 0.7
            Layout.fillWidth: true
        }
    }
}
