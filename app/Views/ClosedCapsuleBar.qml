import QtQuick
import Holdra

// The visible capsule: the microphone, the tray with the item count and, while
// the companion application can open today's folder, its button.
Item {
    id: bar

    required property NotchController controller
    required property string displayID
    property bool hovering: false

    readonly property RecordingController recorder: controller.voiceNotes.recorder
    readonly property bool recording: recorder !== null && recorder.isRecording
    readonly property int itemCount: controller.store.count
    readonly property bool companionAvailable: controller.canOpenKelvarnTodayFolder

    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight
    width: implicitWidth
    height: implicitHeight

    onVisibleChanged: if (visible) controller.refreshKelvarnAvailability()
    Component.onCompleted: if (visible) controller.refreshKelvarnAvailability()

    component Glyph: Canvas {
        id: glyph
        property string pathData
        property color color: "white"
        implicitWidth: 13
        implicitHeight: 13
        onPathDataChanged: requestPaint()
        onColorChanged: requestPaint()
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.scale(width / 16, height / 16)
            ctx.fillStyle = glyph.color
            ctx.fillRule = Qt.OddEvenFill
            ctx.path = glyph.pathData
            ctx.fill()
        }
    }

    // A plain item rather than a control template: the closed capsule is on
    // screen from the first frame, and the templates' module would delay it and
    // stay resident for three buttons.
    component Segment: Item {
        id: segment
        property string help
        property Item contentItem
        property real leftPadding: 0
        property real rightPadding: 0
        property real topPadding: 0
        property real bottomPadding: 0
        readonly property bool hovered: pointer.containsMouse
        signal clicked
        signal pressed

        // As large as what it shows, or it could be neither seen nor clicked.
        implicitWidth: (contentItem ? contentItem.implicitWidth : 0) + leftPadding + rightPadding
        implicitHeight: (contentItem ? contentItem.implicitHeight : 0) + topPadding + bottomPadding
        Accessible.role: Accessible.Button
        Accessible.name: help
        Accessible.onPressAction: segment.clicked()

        Item {
            x: segment.leftPadding
            y: segment.topPadding
            width: segment.width - segment.leftPadding - segment.rightPadding
            height: segment.height - segment.topPadding - segment.bottomPadding
            children: segment.contentItem ? [segment.contentItem] : []
        }

        MouseArea {
            id: pointer
            anchors.fill: parent
            hoverEnabled: true
            onPressed: segment.pressed()
            onClicked: segment.clicked()
        }

        // Below the capsule, in a window of its own (see SystemToolTip).
        property bool helpShown: false
        function showHelp() {
            helpShown = true
            SystemToolTip.show(help, mapToGlobal(width / 2, height + 4))
        }
        function hideHelp() {
            helpDelay.stop()
            if (helpShown) {
                helpShown = false
                SystemToolTip.hide()
            }
        }
        Timer {
            id: helpDelay
            interval: 600
            onTriggered: segment.showHelp()
        }
        onHoveredChanged: {
            if (hovered && help.length > 0)
                helpDelay.restart()
            else
                hideHelp()
        }
        onHelpChanged: if (helpShown) showHelp()
        onPressed: hideHelp()
        onVisibleChanged: if (!visible) hideHelp()
    }

    component Divider: Rectangle {
        width: 1
        height: 12
        color: "white"
        opacity: 0.2
    }

    readonly property string micPath: "M8 1a2.5 2.5 0 0 1 2.5 2.5V8a2.5 2.5 0 0 1-5 0V3.5A2.5 2.5 0 0 1 8 1Z"
                                      + "M8 2.5a1 1 0 0 0-1 1V8a1 1 0 0 0 2 0V3.5a1 1 0 0 0-1-1Z" + micStandPath
    readonly property string micFillPath: "M8 1a2.5 2.5 0 0 1 2.5 2.5V8a2.5 2.5 0 0 1-5 0V3.5A2.5 2.5 0 0 1 8 1Z"
                                          + micStandPath
    readonly property string micStandPath: "M3.75 7a.75 .75 0 0 1 .75 .75V8a3.5 3.5 0 0 0 7 0V7.75a.75 .75 0 0 1 1.5 0V8"
                                           + "a5 5 0 0 1-4.25 4.94V14H10a.75 .75 0 0 1 0 1.5H6a.75 .75 0 0 1 0-1.5"
                                           + "H7.25V12.94A5 5 0 0 1 3 8V7.75A.75 .75 0 0 1 3.75 7Z"
    readonly property string trayPath: "M1 9.5L3 3.5H5.5V5H4.1L2.6 9H5a3 2 0 0 0 6 0H13.4L11.9 5H10.5V3.5H13L15 9.5V13"
                                       + "a1.5 1.5 0 0 1-1.5 1.5H2.5A1.5 1.5 0 0 1 1 13Z"
                                       + "M8 1a.75 .75 0 0 1 .75 .75V6.2L10 4.95a.75 .75 0 0 1 1.06 1.06L8 9.06L4.94 6"
                                       + "A.75 .75 0 0 1 6 4.94L7.25 6.2V1.75A.75 .75 0 0 1 8 1Z"
    readonly property string folderPath: "M1 4a1.5 1.5 0 0 1 1.5-1.5H6L7.5 4H13.5A1.5 1.5 0 0 1 15 5.5V12"
                                         + "a1.5 1.5 0 0 1-1.5 1.5H2.5A1.5 1.5 0 0 1 1 12Z"

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Qt.rgba(0, 0, 0, bar.hovering ? 0.92 : 0.7)
        border.color: Qt.rgba(1, 1, 1, 0.14)
        border.width: 1
    }

    Row {
        id: row
        spacing: 0

        Segment {
            id: micSegment
            objectName: "micSegment"
            anchors.verticalCenter: parent.verticalCenter
            help: bar.recording ? "停止录音并暂存" : "开始录音"
            leftPadding: 10
            rightPadding: 10
            topPadding: 4
            bottomPadding: 4
            onClicked: bar.controller.voiceNotes.toggleRecording(bar.displayID)
            contentItem: Row {
                spacing: 4
                Glyph {
                    anchors.verticalCenter: parent.verticalCenter
                    pathData: bar.recording ? bar.micFillPath : bar.micPath
                    color: bar.recording ? "#ff453a" : "white"
                }
                Text {
                    visible: bar.recording
                    anchors.verticalCenter: parent.verticalCenter
                    text: bar.recording ? PanelTexts.durationText(bar.recorder.elapsedSeconds) : ""
                    color: "white"
                    // Even-width digits keep the ticking clock from jittering.
                    font.family: PanelStyle.monospaceFamily
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                }
            }
        }

        Divider {
            anchors.verticalCenter: parent.verticalCenter
        }

        Segment {
            id: traySegment
            objectName: "traySegment"
            anchors.verticalCenter: parent.verticalCenter
            help: "打开暂存面板"
            Accessible.name: PanelTexts.capsuleName(bar.itemCount)
            Accessible.description: "打开暂存面板"
            leftPadding: 12
            rightPadding: 12
            topPadding: 4
            bottomPadding: 4
            onClicked: bar.controller.open(bar.displayID, false)
            contentItem: Row {
                spacing: 6
                Glyph {
                    anchors.verticalCenter: parent.verticalCenter
                    pathData: bar.trayPath
                }
                Text {
                    objectName: "itemCountText"
                    visible: bar.itemCount > 0
                    anchors.verticalCenter: parent.verticalCenter
                    text: String(bar.itemCount)
                    color: "white"
                    font.pixelSize: 11
                    font.weight: Font.Bold
                }
            }
        }

        Divider {
            anchors.verticalCenter: parent.verticalCenter
            visible: bar.companionAvailable
        }

        Segment {
            id: companionSegment
            objectName: "companionSegment"
            visible: bar.companionAvailable
            anchors.verticalCenter: parent.verticalCenter
            help: "使用 Kelvarn 打开今日文件夹"
            Accessible.name: "Kelvarn 今日文件夹"
            Accessible.description: "打开今天的下载归档文件夹"
            leftPadding: 10
            rightPadding: 16
            topPadding: 6
            bottomPadding: 6
            onClicked: bar.controller.openKelvarnTodayFolder(bar.displayID)
            contentItem: Glyph {
                pathData: bar.folderPath
            }
        }
    }
}
