import QtQuick
import QtQuick.Controls

// The text of one stashed item in a window of its own, selectable.
Window {
    id: window
    property string text
    width: 520
    height: 420
    minimumWidth: 320
    minimumHeight: 200
    title: "文本预览"

    Shortcut {
        // What StandardKey.Close means on Linux desktops, spelt out for the tools.
        sequences: ["Ctrl+W", "Ctrl+F4", "Escape"]
        onActivated: window.close()
    }

    ScrollView {
        anchors.fill: parent
        anchors.margins: 16
        ScrollBar.vertical.policy: ScrollBar.AlwaysOn

        TextArea {
            objectName: "previewText"
            text: window.text
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            horizontalAlignment: TextEdit.AlignLeft
            background: null
        }
    }
}
