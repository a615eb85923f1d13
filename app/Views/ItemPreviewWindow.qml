import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtMultimedia

// Holdra's own look at a stored file when the desktop offers no previewer:
// images scaled to fit, text, a player for recordings, otherwise the name and size.
Window {
    id: window
    property url fileUrl
    property string fileName
    property string sizeText
    // "image", "text", "audio" or "other".
    property string kind: "other"
    property string text
    signal openRequested()

    width: 560
    height: 440
    minimumWidth: 320
    minimumHeight: 200
    title: fileName

    Shortcut {
        // What StandardKey.Close means on Linux desktops, spelt out for the tools.
        sequences: ["Ctrl+W", "Ctrl+F4", "Escape"]
        onActivated: window.close()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 16
        spacing: 12

        Image {
            objectName: "previewImage"
            visible: window.kind === "image"
            source: window.kind === "image" ? window.fileUrl : ""
            fillMode: Image.PreserveAspectFit
            asynchronous: true
            Layout.fillWidth: true
            Layout.fillHeight: true
        }

        ScrollView {
            visible: window.kind === "text"
            Layout.fillWidth: true
            Layout.fillHeight: true
            TextArea {
                text: window.text
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                background: null
            }
        }

        MediaPlayer {
            id: player
            source: window.kind === "audio" ? window.fileUrl : ""
            audioOutput: AudioOutput {}
        }

        Item {
            visible: window.kind === "audio" || window.kind === "other"
            Layout.fillWidth: true
            Layout.fillHeight: true
        }

        Label {
            text: window.fileName
            font.bold: true
            elide: Text.ElideMiddle
            Layout.fillWidth: true
        }
        Label {
            text: window.sizeText
            visible: text.length > 0
            opacity: 0.7
        }

        RowLayout {
            Button {
                visible: window.kind === "audio"
                text: player.playbackState === MediaPlayer.PlayingState ? "暂停" : "播放"
                onClicked: player.playbackState === MediaPlayer.PlayingState ? player.pause() : player.play()
            }
            Item { Layout.fillWidth: true }
            Button {
                text: "打开"
                onClicked: window.openRequested()
            }
        }
    }

    onVisibleChanged: if (!visible) player.stop()
}
