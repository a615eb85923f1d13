import QtQuick
import QtQuick.Controls.Basic
import Holdra

// The playing recording's position: a small slider and "0:12 / 1:05".
Row {
    id: progress

    required property AudioPlaybackController player
    readonly property real duration: player.duration
    readonly property real currentTime: player.currentTime

    readonly property string timeText: PanelTexts.playbackPosition(currentTime, duration)

    spacing: PanelStyle.progressSpacing

    Slider {
        id: slider
        objectName: "progressSlider"
        width: PanelStyle.progressMaxWidth
        height: 14
        anchors.verticalCenter: parent.verticalCenter
        from: 0
        to: progress.duration <= 0.1 ? 0.1 : progress.duration
        value: progress.currentTime
        focusPolicy: Qt.NoFocus
        onMoved: progress.player.seek(value)
        Accessible.name: "播放进度"
        Accessible.description: progress.timeText
        background: Rectangle {
            x: slider.leftPadding
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            width: slider.availableWidth
            height: 3
            radius: 1.5
            color: PanelStyle.withOpacity(PanelStyle.primary, 0.15)
            Rectangle {
                width: slider.visualPosition * parent.width
                height: parent.height
                radius: 1.5
                color: PanelStyle.accent
            }
        }
        handle: Rectangle {
            x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            width: 9
            height: 9
            radius: 4.5
            color: "white"
            border.color: PanelStyle.withOpacity("black", 0.2)
        }
    }
    Text {
        objectName: "progressText"
        anchors.verticalCenter: parent.verticalCenter
        text: progress.timeText
        color: PanelStyle.secondary
        font.family: PanelStyle.monospaceFamily
        font.pixelSize: PanelStyle.progressTimeSize
    }
}
