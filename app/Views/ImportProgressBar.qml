import QtQuick
import Holdra

// A thin bar along the bottom edge while files are copied in: bytes done of
// bytes queued. Escape in the open panel stops the copy.
Rectangle {
    id: bar

    property ImportJob job: null
    readonly property bool busy: job !== null && job.busy

    objectName: "importProgressBar"
    visible: busy
    height: 2
    radius: 1
    color: PanelStyle.withOpacity(PanelStyle.primary, 0.15)
    Accessible.role: Accessible.ProgressBar
    Accessible.name: qsTr("正在暂存")

    Rectangle {
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        radius: parent.radius
        width: parent.width * (bar.job ? bar.job.progress : 0)
        color: PanelStyle.accent
    }
}
