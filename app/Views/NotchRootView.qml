import QtQuick
import Holdra

// The content of one display's window: the closed capsule area, or the open
// panel when the controller has the panel open on this display.
Item {
    id: root

    required property NotchController controller
    required property string displayID
    // Whether this build has the open panel's view.
    required property bool openPanelAvailable

    readonly property bool panelOpen: controller.isOpen && controller.activeDisplayID === displayID
    readonly property bool animated: controller.settings.animations

    // The window cuts its input and drawing area to the open panel's outline,
    // square at the top and rounded by this radius at the bottom; while closed
    // (radius 0) the whole window is the trigger for clicks and drags.
    // The view this window shows now: the open panel or the closed capsule.
    readonly property Item shownView: (panelOpen ? openLoader.item : closedLoader.item) as Item
    readonly property real panelCornerRadius: panelOpen && openLoader.item !== null
                                              ? PanelStyle.panelCornerRadius : 0

    focus: true

    // The two views cross-fade: the outgoing one stays loaded, without input,
    // until it has faded out; without animations the swap is immediate.
    Loader {
        id: closedLoader
        anchors.fill: parent
        active: !root.panelOpen || opacity > 0
        enabled: !root.panelOpen
        opacity: root.panelOpen ? 0 : 1
        Behavior on opacity {
            enabled: root.animated
            NumberAnimation { duration: 180; easing.type: Easing.InOutQuad }
        }
        // Qt 6.4's Loader cannot make a component bound to its file
        // (ComponentBehavior: Bound), so the component reads the file's ids.
        // qmllint disable unqualified
        sourceComponent: ClosedPillView {
            controller: root.controller
            displayID: root.displayID
        }
        // qmllint enable unqualified
    }

    Loader {
        id: openLoader
        readonly property bool wanted: root.panelOpen && root.openPanelAvailable
        anchors.fill: parent
        // The panel's field and keys need the window's focus to reach it.
        focus: true
        active: wanted || opacity > 0
        enabled: wanted
        opacity: wanted ? 1 : 0
        onActiveChanged: {
            if (active)
                setSource("OpenPanelView.qml", { controller: root.controller, displayID: root.displayID })
        }
        // The panel takes the keyboard from the capsule it replaces, also when
        // reopened while it still fades out and its field had the keyboard.
        onLoaded: (item as Item).forceActiveFocus()
        onWantedChanged: if (wanted && item) (item as Item).forceActiveFocus()
        Behavior on opacity {
            enabled: root.animated
            NumberAnimation { duration: 180; easing.type: Easing.InOutQuad }
        }
    }

    // Above both states and kept across them: a drag that opens the panel is
    // received by the grown window without entering anew.
    StashDropArea {
        objectName: "dropArea"
        anchors.fill: parent
        controller: root.controller
        displayID: root.displayID
    }
}
