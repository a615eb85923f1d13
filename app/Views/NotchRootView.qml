import QtQuick

// The content of one display's window: the closed capsule area, or the open
// panel when the controller has the panel open on this display.
Item {
    id: root

    property QtObject controller: null
    property string displayID: ""
    // Set by the window: whether this build has the open panel's view.
    property bool openPanelAvailable: false

    readonly property bool panelOpen: controller !== null && controller.isOpen
                                      && controller.activeDisplayID === displayID
    readonly property bool animated: controller !== null && controller.settings.animations

    // The part of the window that is drawn and takes the pointer, in window
    // coordinates; the window cuts its input and drawing area to it. An open
    // panel view may report its own shape; otherwise it is the whole window.
    readonly property Item shownView: panelOpen ? openLoader.item : closedLoader.item
    readonly property rect visibleShape: shownView !== null && shownView.visibleShape !== undefined
                                         ? shownView.visibleShape : Qt.rect(0, 0, width, height)
    readonly property real visibleShapeRadius: shownView !== null && shownView.visibleShapeRadius !== undefined
                                               ? shownView.visibleShapeRadius : 0

    focus: true

    Loader {
        id: closedLoader
        anchors.fill: parent
        active: !root.panelOpen
        sourceComponent: ClosedPillView {
            controller: root.controller
            displayID: root.displayID
            opacity: 0
            Component.onCompleted: opacity = 1
            Behavior on opacity {
                enabled: root.animated
                NumberAnimation { duration: 180; easing.type: Easing.InOutQuad }
            }
        }
    }

    Loader {
        id: openLoader
        anchors.fill: parent
        // The panel's field and keys need the window's focus to reach it.
        focus: true
        active: root.panelOpen && root.openPanelAvailable
        opacity: 0
        onActiveChanged: {
            if (active)
                setSource("OpenPanelView.qml", { controller: root.controller, displayID: root.displayID })
            else
                opacity = 0
        }
        // The panel takes the keyboard from the capsule it replaces.
        onLoaded: { opacity = 1; item.forceActiveFocus() }
        Behavior on opacity {
            enabled: root.animated
            NumberAnimation { duration: 180; easing.type: Easing.InOutQuad }
        }
    }
}
