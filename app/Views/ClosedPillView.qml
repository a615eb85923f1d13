import QtQuick
import Holdra

// The closed state of a display's window: an invisible area that opens the
// panel on a click or a drag, with the capsule inside when this display shows it.
Item {
    id: pill

    required property NotchController controller
    required property string displayID
    readonly property bool hovering: hover.hovered

    // A plain script array, which has indexOf.
    readonly property var capsuleDisplayIDs: controller.visibleCapsuleDisplayIDs
    readonly property bool capsuleVisible: capsuleDisplayIDs.indexOf(displayID) >= 0
    readonly property bool notched: controller.isNotched(displayID)

    Accessible.ignored: !capsuleVisible

    // Almost transparent, so the area takes the pointer where nothing is drawn.
    Rectangle {
        anchors.fill: parent
        color: "white"
        opacity: 0.001
    }

    MouseArea {
        anchors.fill: parent
        onClicked: pill.controller.open(pill.displayID, false)
    }

    HoverHandler {
        id: hover
    }

    ClosedCapsuleBar {
        id: bar
        objectName: "capsuleBar"
        visible: pill.capsuleVisible
        controller: pill.controller
        displayID: pill.displayID
        hovering: pill.hovering
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: pill.notched ? undefined : parent.top
        anchors.topMargin: pill.notched ? 0 : 2
        anchors.bottom: pill.notched ? parent.bottom : undefined
        anchors.bottomMargin: pill.notched ? 2 : 0
    }

    ImportProgressBar {
        job: pill.controller.importJob
        visible: busy && pill.capsuleVisible
        anchors.left: bar.left
        anchors.right: bar.right
        anchors.top: bar.bottom
        anchors.topMargin: 1
    }
}
