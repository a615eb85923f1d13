import QtQuick
import QtQuick.Controls
import Holdra
import QtQuick.Layouts

// A labelled switch that shows `value` and reports the user's flips; the
// owner writes the setting, whose change comes back through `value`.
RowLayout {
    id: row
    property string title
    property string caption
    property string symbol
    property bool value
    property alias switchItem: toggle
    signal toggledTo(bool on)

    Layout.fillWidth: true
    spacing: 8

    SystemPalette { id: system }

    TintedIcon {
        visible: row.symbol.length > 0
        name: row.symbol
        color: system.windowText
        Layout.preferredWidth: 18
        Layout.preferredHeight: 18
        Layout.alignment: Qt.AlignVCenter
    }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 2
        Label {
            id: titleLabel
            text: row.title
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        Label {
            visible: row.caption.length > 0
            text: row.caption
            font.pointSize: Math.max(1, titleLabel.font.pointSize - 1.5)
            opacity: 0.7
            Layout.fillWidth: true
        }
    }
    Switch {
        id: toggle
        checked: row.value
        Accessible.name: row.title
        onToggled: {
            row.toggledTo(checked)
            // Back to following the setting, which may have refused the flip.
            checked = Qt.binding(function() { return row.value })
        }
    }
}
